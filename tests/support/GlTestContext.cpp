#include "tests/support/GlTestContext.h"

#include <GL/glew.h>
#include <GL/freeglut.h>

#include <dlfcn.h>
#include <link.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace quillow::test {

namespace {

// Keeps the loaded OpenGL driver in memory until the process is gone. The
// driver is otherwise unloaded at exit, before leak checking, and what it
// keeps for the life of the process could no longer be told from ours: its
// frames would have no module name for the suppressions to match.
void pinGraphicsDriver()
{
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void*) {
            const char* name = info->dlpi_name;
            if (name && (std::strstr(name, "_dri.so") || std::strstr(name, "libgallium"))) {
                dlopen(name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            }
            return 0;
        },
        nullptr);
}

}  // namespace

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
    glutCreateWindow("quillow-test");
    if (glewInit() != GLEW_OK) {
        std::fprintf(stderr, "glewInit failed\n");
        std::abort();
    }
    glViewport(0, 0, width, height);
    pinGraphicsDriver();
    created = true;
}

Pixel readPixel(int x, int y)
{
    Pixel pixel{};
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &pixel);
    return pixel;
}

unsigned makeNearestTexture(int width, int height, unsigned format, const void* texels)
{
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), width, height, 0, format, GL_UNSIGNED_BYTE, texels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    return texture;
}

}  // namespace quillow::test
