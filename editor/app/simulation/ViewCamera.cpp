#include "editor/app/simulation/ViewCamera.h"

#include <GL/glu.h>

#include <algorithm>

ViewCamera::ViewCamera() : start_{position, up, viewWidth, aspect} {}

ViewCamera::ViewCamera(float width, float aspect_, float x, float y)
    : position(x, y),
      previousPosition(x, y),
      target(x, y),
      viewWidth(width),
      viewHeight(width / aspect_),
      aspect(aspect_),
      start_{position, up, viewWidth, aspect}
{
}

Vec2 ViewCamera::windowToWorld(int mx, int my, int windowWidth, int windowHeight) const
{
    // A window shrunk to nothing still maps every pixel somewhere finite.
    const float w = static_cast<float>(std::max(windowWidth, 1));
    const float h = static_cast<float>(std::max(windowHeight, 1));
    return Vec2(position.x - 0.5f * viewWidth + (static_cast<float>(mx) / w) * viewWidth,
                position.y + 0.5f * viewHeight - (static_cast<float>(my) / h) * viewHeight);
}

bool ViewCamera::sees(const Vec2& low, const Vec2& high) const
{
    const float halfWidth = 0.5f * viewWidth;
    const float halfHeight = 0.5f * viewHeight;
    return high.x >= position.x - halfWidth && low.x <= position.x + halfWidth &&
           high.y >= position.y - halfHeight && low.y <= position.y + halfHeight;
}

void ViewCamera::applyViewTransform() const
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-0.5 * viewWidth, 0.5 * viewWidth, -0.5 * viewHeight, 0.5 * viewHeight, 0.1, 1000.0);
    gluLookAt(position.x, position.y, 5.0, target.x, target.y, 0.0, up.x, up.y, 0.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void ViewCamera::resize(int windowWidth, int windowHeight)
{
    // A window of no width or height keeps a usable, finite view.
    aspect = static_cast<float>(std::max(windowWidth, 1)) / static_cast<float>(std::max(windowHeight, 1));
    viewHeight = viewWidth / aspect;
}

void ViewCamera::pan(const Vec2& delta)
{
    position.x += delta.x;
    position.y += delta.y;
    target.x += delta.x;
    target.y += delta.y;
}

void ViewCamera::setZoom(float width)
{
    viewWidth = std::clamp(width, kMinViewWidth, kMaxViewWidth);
    viewHeight = viewWidth / aspect;
}

void ViewCamera::zoomStep(const Vec2& p, Vec2& anchor)
{
    setZoom(viewWidth - (p.x - anchor.x));
    anchor = p;
}

void ViewCamera::scaleHeight(float factor)
{
    setZoom(viewHeight * factor * aspect);
}
