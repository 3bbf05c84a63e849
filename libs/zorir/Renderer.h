#pragma once

#include "libs/zorir/Color.h"
#include "libs/zorir/Rectangle.h"
#include "libs/zorir/Vector2.h"

#include <cstdint>

namespace Zorir {

class Image;

// Immediate-mode OpenGL drawing for widgets and looks, in screen pixels with
// y growing downwards. Only these functions draw; none runs before the host
// has a current OpenGL context.

// Saves the host's state and sets up 2D drawing over the window manager's
// screen; end2D restores everything.
void begin2D();
void end2D();

void setColor(const Color& color);
void setLineWidth(float width);
float lineWidth();
void setLineSmoothing(bool on);
bool lineSmoothing();

// One clip rectangle at a time; there is no stack.
void enableClipping(const Rectangle& rectangle);
void disableClipping();

void drawLine(const Vector2& a, const Vector2& b);
void drawTriangle(const Vector2& a, const Vector2& b, const Vector2& c, bool filled);
// Outlined, the lines lie inside the rectangle whatever the line width.
void drawRectangle(const Vector2& topLeft, const Vector2& bottomRight, bool filled);
// An outline with the bottom and right edges in the first colour and the top
// and left edges in the second.
void drawBevel(const Vector2& topLeft, const Vector2& bottomRight, const Color& color1, const Color& color2);
void drawBevelSwapped(const Vector2& topLeft, const Vector2& bottomRight, const Color& color1, const Color& color2);
// Horizontal: first colour on the left, second on the right. Vertical: first
// colour at the bottom, second at the top.
void drawGradient(const Vector2& topLeft, const Vector2& bottomRight, const Color& color1, const Color& color2,
                  bool horizontal);
// Angles in radians; 0 points right and angles grow upwards on screen.
void drawArc(const Vector2& centre, float radius, float startAngle, float endAngle, int segments, bool filled);
void drawRoundedRectangle(const Vector2& topLeft, const Vector2& bottomRight, float radius, bool filled);

// Textures: made on first use of an image, texture names start at 0.
void createTexture(Image& image);
void bindTexture(Image& image);
// Texture corner (s0, t0) goes to the bottom left, (s1, t1) to the top right.
void drawImage(Image& image, const Rectangle& rectangle, float s0, float t0, float s1, float t1);
void deleteTexture(uint32_t name);
// One quad of the bound texture: texture coordinates (left, top) at the
// area's top-left corner and (right, bottom) at its bottom-right one.
void drawTexturedQuad(const Rectangle& area, float sLeft, float tTop, float sRight, float tBottom);

}  // namespace Zorir
