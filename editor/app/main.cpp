// Quillow map editor. Until the editing application stands, the program
// opens its window and shows every texture of the graphics folder.
#include "editor/world/TextureManager.h"
#include "platform/Console.h"

#include <GL/glew.h>
#include <GL/freeglut.h>

#include <cstdio>
#include <vector>

namespace {

void drawTextureGallery()
{
    glClearColor(0.15f, 0.15f, 0.2f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 1024, 768, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    const float size = 96, gap = 16;
    int index = 0;
    for (const auto& [name, id] : TextureManager::instance()->nameToId()) {
        const float x = gap + (index % 8) * (size + gap);
        const float y = gap + (index / 8) * (size + gap);
        glBindTexture(GL_TEXTURE_2D, id);
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0); glVertex2f(x, y + size);
        glTexCoord2f(1, 0); glVertex2f(x + size, y + size);
        glTexCoord2f(1, 1); glVertex2f(x + size, y);
        glTexCoord2f(0, 1); glVertex2f(x, y);
        glEnd();
        ++index;
    }
    glDisable(GL_TEXTURE_2D);
    glutSwapBuffers();
}

void redraw(int)
{
    glutPostRedisplay();
    glutTimerFunc(16, redraw, 0);
}

}  // namespace

int main(int argc, char** argv)
{
    platform::makeStdoutLineBuffered();
    TextureManager::instance();
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(1024, 768);
    glutCreateWindow("Quillow");
    glewInit();
    TextureManager::instance()->loadAllImages();
    std::printf("Loaded %zu images\n", TextureManager::instance()->nameToId().size());
    glutDisplayFunc(drawTextureGallery);
    glutTimerFunc(16, redraw, 0);
    glutMainLoop();
    return 0;
}
