// Quillow map editor. Until the editing application stands, the program
// opens its window and shows a small scene built through the world model:
// textured shapes, a bordered box and both sides' spawn markers.
#include "editor/world/Map.h"
#include "editor/world/Map_Aabb.h"
#include "editor/world/Map_Circle.h"
#include "editor/world/Map_Poly.h"
#include "editor/world/Spawn.h"
#include "editor/world/TextureManager.h"
#include "platform/Console.h"

#include <GL/glew.h>
#include <GL/freeglut.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace {

// Lives until the process ends, like the editor's own map: nothing is torn
// down while GLUT exits.
Map& scene = *new Map;

uint32_t texture(const char* name)
{
    return static_cast<uint32_t>(TextureManager::instance()->getTextureId(name));
}

void buildScene()
{
    scene.objects.push_back(new Map_Aabb(Vec2(-250, 120), 300.0f, 160.0f, 5, texture("bricks"),
                                         texture("stone"), 16.0f, 0));
    scene.objects.push_back(new Map_Circle(Vec2(200, 150), 110.0f, 4, texture("grass")));
    scene.objects.push_back(new Map_Poly({{-120, -80}, {160, -60}, {60, -260}, {-200, -220}},
                                         Vec2(0, -150), 3, 12.0f, texture("water"),
                                         texture("sand")));
    for (uint16_t side : {0, 1}) {
        auto spawn = std::make_unique<Spawn>();
        createSpawnMarker(*spawn, side, Vec2(side ? 380.0f : -380.0f, -250.0f));
        scene.addSpawn(std::move(spawn));
    }
}

void drawScene()
{
    glClearColor(0.15f, 0.15f, 0.2f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-512, 512, -384, 384, 0, 70000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    for (GameObject* object : scene.objects) object->drawDrawables();
    for (const auto& side : scene.spawnLists) {
        for (const auto& spawn : side) {
            if (spawn->marker) spawn->marker->drawDrawables();
        }
    }
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
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.0f);
    TextureManager::instance()->loadAllImages();
    buildScene();
    glutDisplayFunc(drawScene);
    glutTimerFunc(16, redraw, 0);
    glutMainLoop();
    return 0;
}
