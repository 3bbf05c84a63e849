#include "editor/app/shell/GlutShell.h"

#include "editor/app/menus/MenuManager.h"
#include "editor/app/menus/MenuWindow.h"
#include "editor/app/shell/AppState.h"
#include "editor/app/shell/Tick.h"
#include "editor/app/simulation/MessageConsole.h"
#include "editor/app/simulation/Simulator.h"
#include "editor/app/simulation/ViewCamera.h"
#include "editor/world/TextureManager.h"
#include "libs/zorir/WindowManager.h"
#include "platform/Console.h"
#include "platform/KeyState.h"

#include <GL/glew.h>
#include <GL/freeglut.h>

#include <exception>
#include <iostream>

namespace {

constexpr int kFullCrosshair = GLUT_CURSOR_FULL_CROSSHAIR;

AppState& app()
{
    return *AppState::current();
}

uint32_t now()
{
    return static_cast<uint32_t>(glutGet(GLUT_ELAPSED_TIME));
}

// GLUT cannot pass exceptions through its loop: whatever escapes a callback
// is told before the process ends.
template <class Step>
void guarded(const char* where, Step step)
{
    try {
        step();
    } catch (const std::exception& error) {
        std::cout << "ERROR: " << where << ": " << error.what() << std::endl;
        std::exit(2);
    } catch (...) {
        std::cout << "ERROR: " << where << ": an unknown exception" << std::endl;
        std::exit(2);
    }
}

void displayCallback()
{
    guarded("drawing", [] {
        AppState& state = app();
        state.frameStamp = now();
        if (state.simulationOn) state.simulation->render();
        state.menuManager->draw();
        glFlush();
        glutSwapBuffers();
    });
}

void reshapeCallback(int width, int height)
{
    guarded("resizing", [width, height] {
        AppState& state = app();
        const int h = height == 0 ? 1 : height;
        Zorir::WindowManager::instance().screenResized(width, h);
        state.aspect = static_cast<float>(width) / static_cast<float>(h);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glViewport(0, 0, width, h);
        state.windowCenterX = width / 2;
        state.windowCenterY = h / 2;
        state.windowRect.width = width;
        state.windowRect.height = h;
        state.camera->resize(width, h);
        std::cout << "cam w " << state.camera->viewWidth << " h " << state.camera->viewHeight << std::endl;
        state.menuManager->replaceShown();
    });
}

void keyboardCallback(unsigned char key, int, int)
{
    guarded("a key", [key] {
        Zorir::WindowManager::instance().onKeyPressed(key);
        if (app().simulationOn) app().simulation->keyboardHook(key);
    });
}

void specialCallback(int key, int, int)
{
    guarded("a key", [key] { Zorir::WindowManager::instance().onSpecialKeyPressed(static_cast<uint16_t>(key)); });
}

void mouseCallback(int button, int state, int x, int y)
{
    guarded("a mouse button", [=] {
        app().menuManager->mouseButton(button, state, x, y);
        recordMouseButton(app(), button, state);
    });
}

void motionCallback(int x, int y)
{
    guarded("a mouse move", [x, y] {
        recordMotion(app(), x, y);
        Zorir::WindowManager::instance().onMouseMove(x, y);
    });
}

void entryCallback(int state)
{
    const bool entered = state == GLUT_ENTERED;
    std::cout << (entered ? "window focused" : "window unfocused") << std::endl;
    app().pointerInWindow = entered ? 1 : 0;
}

// Once the window is closed the loop ends, but timers already due still
// fire on its way out; with no window they have nothing left to do.
bool windowGone()
{
    return glutGetWindow() == 0;
}

void redrawTimer(int)
{
    if (windowGone()) return;
    const uint32_t start = now();
    glutPostRedisplay();
    glutTimerFunc(rearmDelay(app().redrawPeriod, now() - start), redrawTimer, 0);
}

void tickTimer(int)
{
    if (windowGone()) return;
    const uint32_t start = now();
    guarded("updating", [start] { tick(app(), start); });
    glutTimerFunc(rearmDelay(app().tickPeriod, now() - start), tickTimer, 0);
}

void registerCallbacks()
{
    glutDisplayFunc(displayCallback);
    glutSpecialFunc(specialCallback);
    glutReshapeFunc(reshapeCallback);
    glutKeyboardFunc(keyboardCallback);
    glutMouseFunc(mouseCallback);
    glutMotionFunc(motionCallback);
    glutPassiveMotionFunc(motionCallback);
    glutEntryFunc(entryCallback);
}

}  // namespace

void setupGlut(int argc, char** argv)
{
    AppState& state = app();
    state.redrawPeriod = state.tickPeriod = 16;
    platform::placeConsoleWindow(825, 120, 900, 500);
    state.aspect = 4.0f / 3.0f;
    state.windowRect = {0, 0, 1024, 768};
    *state.camera = ViewCamera(6300.0f, 4.0f / 3.0f, 0.0f, 0.0f);
    state.windowCenterX = state.windowRect.x + state.windowRect.width / 2;
    state.windowCenterY = state.windowRect.y + state.windowRect.height / 2;
    glutInit(&argc, argv);
    // Closing the window ends the loop, and with it the program.
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);
    glutInitWindowSize(1024, 768);
    glutInitWindowPosition(0, 0);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("Quillow");
    glewInit();
    // Keys typed into other programs are theirs, whatever the pointer rests on.
    platform::followKeyboardOfCurrentWindow();
    std::cout << "here" << std::endl;
    for (auto& window : state.menuManager->menus) window->place();
    glutSetCursor(kFullCrosshair);
    registerCallbacks();
    glutTimerFunc(state.redrawPeriod, redrawTimer, 0);
    glutTimerFunc(state.tickPeriod, tickTimer, 0);
    initGL();
    if (state.startMode == 0) guarded("starting", enterEditMode);
    glutMainLoop();
}

void initGL()
{
    glViewport(0, 0, 500, 500);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-10.0, 10.0, -10.0, 10.0, static_cast<double>(0.1f), 10.0);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDepthFunc(GL_LESS);
    glAlphaFunc(GL_GREATER, 0.02f);
    glEnable(GL_ALPHA_TEST);
}

void enterEditMode()
{
    AppState& state = app();
    state.simulation->console->addMessage(0.5f, 0.5f, 1.0f, now());
    state.textureManager->loadAllImages();
    state.menuManager->populateMenus();
    state.simulation->startUp();
    state.simulationOn = 1;
    state.menusOn = 1;
    glutSetCursor(kFullCrosshair);
    state.menuManager->showAll(true);
    state.simTime = 0;
    state.lastTickTime = now();
}
