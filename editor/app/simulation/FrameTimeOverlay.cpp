#include "editor/app/simulation/FrameTimeOverlay.h"

#include <GL/glew.h>
#include <GL/freeglut.h>

void FrameTimeOverlay::draw(uint32_t now)
{
    glDisable(GL_TEXTURE_2D);
    for (auto& list : drawables) {
        for (auto& drawable : list) {
            if (drawable->enabled) drawable->draw();
        }
    }
    glPointSize(1.0f);
    if (now != lastStamp_) number_ = std::to_string(now - lastStamp_);
    lastStamp_ = now;
    glWindowPos2i(20, 580);
    for (char c : std::string("frT ") + number_) glutBitmapCharacter(GLUT_BITMAP_9_BY_15, c);
    glColor3f(1.0f, 1.0f, 1.0f);
}
