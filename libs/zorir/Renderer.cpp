#include "libs/zorir/Renderer.h"

#include "libs/zorir/Image.h"
#include "libs/zorir/WindowManager.h"
#include "libs/zorir/core/StandardException.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace Zorir {

namespace {

constexpr float degreesPerRadian = 57.29578f;

void vertex(float x, float y)
{
    glVertex2f(x, y);
}

// The outline's edges, inset by half the line width so that a wide line
// stays inside the rectangle. Bottom and right take the first colour.
void drawOutline(const Vector2& topLeft, const Vector2& bottomRight, const Color* bottomRightColor,
                 const Color* topLeftColor)
{
    const float half = 0.5f * lineWidth();
    const float width = 2.0f * half;
    const float left = topLeft.x, top = topLeft.y, right = bottomRight.x, bottom = bottomRight.y;
    glBegin(GL_LINES);
    if (bottomRightColor) setColor(*bottomRightColor);
    vertex(left, bottom - half);
    vertex(right, bottom - half);
    vertex(right - half, bottom - width);
    vertex(right - half, top + width);
    if (topLeftColor) setColor(*topLeftColor);
    vertex(right, top + half);
    vertex(left, top + half);
    vertex(left + half, top + width);
    vertex(left + half, bottom - width);
    glEnd();
}

GLUquadric* quadric()
{
    static GLUquadric* shared = gluNewQuadric();
    return shared;
}

}  // namespace

void begin2D()
{
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPixelStorei(GL_UNPACK_SWAP_BYTES, GL_FALSE);
    glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);

    const Vector2& screen = WindowManager::instance().screenSize();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, screen.x, screen.y, 0.0, -10.0, 10.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

void end2D()
{
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
    glPopClientAttrib();
}

void setColor(const Color& color)
{
    glColor4f(color.red, color.green, color.blue, color.alpha);
}

void setLineWidth(float width)
{
    glLineWidth(width);
}

float lineWidth()
{
    GLfloat width = 1.0f;
    glGetFloatv(GL_LINE_WIDTH, &width);
    return width;
}

void setLineSmoothing(bool on)
{
    if (on) {
        glEnable(GL_LINE_SMOOTH);
    } else {
        glDisable(GL_LINE_SMOOTH);
    }
}

bool lineSmoothing()
{
    return glIsEnabled(GL_LINE_SMOOTH) == GL_TRUE;
}

void enableClipping(const Rectangle& rectangle)
{
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    glEnable(GL_SCISSOR_TEST);
    // The scissor box counts from the bottom; ours from the top.
    glScissor(static_cast<GLint>(rectangle.x),
              static_cast<GLint>(static_cast<float>(viewport[3] - viewport[1]) - (rectangle.y + rectangle.height)),
              static_cast<GLsizei>(rectangle.width) + 1, static_cast<GLsizei>(rectangle.height) + 1);
}

void disableClipping()
{
    glDisable(GL_SCISSOR_TEST);
}

void drawLine(const Vector2& a, const Vector2& b)
{
    glBegin(GL_LINES);
    vertex(a.x, a.y);
    vertex(b.x, b.y);
    glEnd();
}

void drawTriangle(const Vector2& a, const Vector2& b, const Vector2& c, bool filled)
{
    glBegin(filled ? GL_TRIANGLES : GL_LINE_LOOP);
    vertex(a.x, a.y);
    vertex(b.x, b.y);
    vertex(c.x, c.y);
    glEnd();
}

void drawRectangle(const Vector2& topLeft, const Vector2& bottomRight, bool filled)
{
    if (!filled) {
        drawOutline(topLeft, bottomRight, nullptr, nullptr);
        return;
    }
    glBegin(GL_TRIANGLE_STRIP);
    vertex(topLeft.x, topLeft.y);
    vertex(topLeft.x, bottomRight.y);
    vertex(bottomRight.x, topLeft.y);
    vertex(bottomRight.x, bottomRight.y);
    glEnd();
}

void drawBevel(const Vector2& topLeft, const Vector2& bottomRight, const Color& color1, const Color& color2)
{
    drawOutline(topLeft, bottomRight, &color1, &color2);
}

void drawBevelSwapped(const Vector2& topLeft, const Vector2& bottomRight, const Color& color1, const Color& color2)
{
    drawOutline(topLeft, bottomRight, &color2, &color1);
}

void drawGradient(const Vector2& topLeft, const Vector2& bottomRight, const Color& color1, const Color& color2,
                  bool horizontal)
{
    const Vector2 bottomLeft(topLeft.x, bottomRight.y), topRight(bottomRight.x, topLeft.y);
    // Horizontal: the left edge takes the first colour; vertical: the bottom edge.
    const Vector2 first[2] = {horizontal ? topLeft : bottomLeft, horizontal ? bottomLeft : bottomRight};
    const Vector2 second[2] = {horizontal ? topRight : topLeft, horizontal ? bottomRight : topRight};
    glBegin(GL_TRIANGLE_STRIP);
    setColor(color1);
    vertex(first[0].x, first[0].y);
    vertex(first[1].x, first[1].y);
    setColor(color2);
    vertex(second[0].x, second[0].y);
    vertex(second[1].x, second[1].y);
    glEnd();
}

void drawArc(const Vector2& centre, float radius, float startAngle, float endAngle, int segments, bool filled)
{
    const float half = 0.5f * lineWidth();
    const float inner = filled ? 0.0f : radius - half;
    const float outer = filled ? radius : radius + half;
    const float start = 90.0f + startAngle * degreesPerRadian;
    const float sweep = (90.0f + endAngle * degreesPerRadian) - start;
    glTranslatef(centre.x, centre.y, 0.0f);
    gluPartialDisk(quadric(), inner, outer, segments, 1, start, sweep);
    glTranslatef(-centre.x, -centre.y, 0.0f);
}

void drawRoundedRectangle(const Vector2& topLeft, const Vector2& bottomRight, float radius, bool filled)
{
    constexpr float quarter = 1.5707963f;
    constexpr int segments = 7;
    const float left = topLeft.x + radius, right = bottomRight.x - radius;
    const float top = topLeft.y + radius, bottom = bottomRight.y - radius;
    drawArc({right, top}, radius, 0.0f, quarter, segments, filled);
    drawArc({left, top}, radius, quarter, 2.0f * quarter, segments, filled);
    drawArc({left, bottom}, radius, 2.0f * quarter, 3.0f * quarter, segments, filled);
    drawArc({right, bottom}, radius, 3.0f * quarter, 4.0f * quarter, segments, filled);
    if (filled) {
        drawRectangle({left, topLeft.y}, {right, bottomRight.y}, true);
        drawRectangle({topLeft.x, top}, {left, bottom}, true);
        drawRectangle({right, top}, {bottomRight.x, bottom}, true);
        return;
    }
    drawLine({left, topLeft.y}, {right, topLeft.y});
    drawLine({left, bottomRight.y}, {right, bottomRight.y});
    drawLine({topLeft.x, top}, {topLeft.x, bottom});
    drawLine({bottomRight.x, top}, {bottomRight.x, bottom});
}

void createTexture(Image& image)
{
    const uint32_t bits = image.numberOfBitsPerPixel();
    ZORIR_ASSERT((bits == 24) || (bits == 32));
    GLuint name = 0;
    glGenTextures(1, &name);
    if (name == 0) return;
    glBindTexture(GL_TEXTURE_2D, name);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    const GLenum format = bits == 24 ? GL_RGB : GL_RGBA;
    const Image::Size size = image.size();
    // Rows are tightly packed, whatever the host's unpacking says.
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), static_cast<GLsizei>(size.width),
                 static_cast<GLsizei>(size.height), 0, format, GL_UNSIGNED_BYTE, image.pixels());
    glPopClientAttrib();
    image.setHandle(name);
}

void bindTexture(Image& image)
{
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    try {
        if (image.handle() == 0) createTexture(image);
        ZORIR_ASSERT(image.handle() != 0);
    } catch (...) {
        glPopAttrib();
        throw;
    }
    glBindTexture(GL_TEXTURE_2D, image.handle());
}

void drawImage(Image& image, const Rectangle& rectangle, float s0, float t0, float s1, float t1)
{
    bindTexture(image);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    drawTexturedQuad(rectangle, s0, t1, s1, t0);
    glPopAttrib();
}

void deleteTexture(uint32_t name)
{
    const GLuint texture = name;
    glDeleteTextures(1, &texture);
}

void drawTexturedQuad(const Rectangle& area, float sLeft, float tTop, float sRight, float tBottom)
{
    const Vector2 topLeft = area.topLeft(), bottomRight = area.bottomRight();
    glBegin(GL_QUADS);
    glTexCoord2f(sLeft, tBottom);
    vertex(topLeft.x, bottomRight.y);
    glTexCoord2f(sLeft, tTop);
    vertex(topLeft.x, topLeft.y);
    glTexCoord2f(sRight, tTop);
    vertex(bottomRight.x, topLeft.y);
    glTexCoord2f(sRight, tBottom);
    vertex(bottomRight.x, bottomRight.y);
    glEnd();
}

}  // namespace Zorir
