#include "editor/world/GlDraw.h"

#include "editor/world/DrawBatch.h"

#include <GL/glew.h>

void emitTextured(GlPrimitive primitive, uint32_t textureId, const Vec2* points, const Vec2* uvs,
                  size_t count, float depth)
{
    if (DrawBatch* batch = DrawBatch::current()) {
        batch->add(primitive, textureId, points, uvs, count, depth);
        return;
    }
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, textureId);
    if (count > 0) {
        glBegin(primitive == GlPrimitive::Quads ? GL_QUADS : GL_POLYGON);
        for (size_t i = 0; i < count; ++i) {
            if (uvs) {
                glTexCoord2f(uvs[i].x, uvs[i].y);
            } else {
                glTexCoord2f(0.0f, 0.0f);
            }
            glVertex3f(points[i].x, points[i].y, depth);
        }
        glEnd();
    }
    glDisable(GL_TEXTURE_2D);
}

void setGrey(float v)
{
    if (DrawBatch* batch = DrawBatch::current()) {
        batch->setGrey(v);
        return;
    }
    glColor4f(v, v, v, v);
}
