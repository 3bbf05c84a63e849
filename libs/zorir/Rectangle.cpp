#include "libs/zorir/Rectangle.h"

#include <algorithm>
#include <cmath>

namespace Zorir {

Rectangle::Rectangle(const Vector2& corner1, const Vector2& corner2)
    : x(std::min(corner1.x, corner2.x)),
      y(std::min(corner1.y, corner2.y)),
      width(std::max(corner1.x, corner2.x) - x),
      height(std::max(corner1.y, corner2.y) - y)
{
}

Rectangle::Rectangle(float x1, float y1, float x2, float y2) : Rectangle(Vector2(x1, y1), Vector2(x2, y2)) {}

bool Rectangle::contains(const Vector2& point) const
{
    return x <= point.x && point.x <= x + width && y <= point.y && point.y <= y + height;
}

void Rectangle::expand(float distance)
{
    expandHorizontally(distance);
    y -= distance;
    height += 2.0f * distance;
}

void Rectangle::expandHorizontally(float distance)
{
    x -= distance;
    width += 2.0f * distance;
}

void Rectangle::round()
{
    for (float* value : {&x, &y, &width, &height}) *value = std::floor(*value + 0.5f);
}

}  // namespace Zorir
