#include "tests/support/GlTestContext.h"

#include <GL/glew.h>
#include <GL/freeglut.h>

#include <cstdio>
#include <cstdlib>

namespace quillow::test {

void ensureGlContext(int width, int height)
{
    static bool created = false;
    if (created) return;
    int argc = 1;
    char name[] = "quillow-test";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(width, height);
    const int window = glutCreateWindow("quillow-test");
    if (glewInit() != GLEW_OK) {
        std::fprintf(stderr, "glewInit failed\n");
        std::abort();
    }
    glViewport(0, 0, width, height);
    created = true;
    // Tear the context down before the driver is unloaded at exit, so leak
    // checks see no driver memory left behind.
    static int windowToClose = window;
    std::atexit([] {
        glutDestroyWindow(windowToClose);
        glutExit();
    });
}

Pixel readPixel(int x, int y)
{
    Pixel pixel{};
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &pixel);
    return pixel;
}

}  // namespace quillow::test
