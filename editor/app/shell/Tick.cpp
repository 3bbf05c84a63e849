#include "editor/app/shell/Tick.h"

#include "editor/app/menus/MenuManager.h"
#include "editor/app/shell/AppState.h"
#include "editor/app/simulation/Simulator.h"
#include "editor/app/simulation/ViewCamera.h"
#include "platform/KeyState.h"

#include <GL/freeglut.h>

namespace {

void advanceSimulation(AppState& app, uint32_t now)
{
    app.simTime += now - app.lastTickTime;
    app.lastTickTime = now;
    Simulator& sim = *app.simulation;
    // Judged where the pointer is now, not where the last tick left it: a
    // move off a menu and a click on the map can fall inside one tick.
    const bool overMenu = app.menusOn && app.menuManager->isOverMenu(app.mouseX, app.mouseY);
    if (!overMenu && app.pointerInWindow) sim.handleInput();
    sim.Tick();
    sim.update();
    ViewCamera& camera = *app.camera;
    if (camera.position.x != camera.previousPosition.x || camera.position.y != camera.previousPosition.y) {
        sim.updateParallax();
    }
    camera.previousPosition = camera.position;
}

}  // namespace

void tick(AppState& app, uint32_t now)
{
    platform::refreshKeyState();
    app.leftDown = app.leftButton.takeForTick();
    app.rightDown = app.rightButton.takeForTick();
    if (app.simulationOn) advanceSimulation(app, now);
    if (app.menusOn) app.menuManager->update();
    app.prevLeftDown = app.leftDown;
    app.prevRightDown = app.rightDown;
    app.prevMouseX = app.mouseX;
    app.prevMouseY = app.mouseY;
}

uint32_t rearmDelay(uint16_t period, uint32_t spent)
{
    return spent >= period ? 0 : period - spent;
}

void recordMouseButton(AppState& app, int button, int state)
{
    const bool down = state == GLUT_DOWN;
    if (button == GLUT_LEFT_BUTTON) app.leftButton.record(down);
    else if (button == GLUT_RIGHT_BUTTON) app.rightButton.record(down);
}

void recordMotion(AppState& app, int x, int y)
{
    app.prevMouseX = app.mouseX;
    app.prevMouseY = app.mouseY;
    app.mouseX = x;
    app.mouseY = y;
}
