#include "editor/world/Bounds.h"

#include "editor/world/Aabb.h"
#include "editor/world/Circle.h"
#include "editor/world/Poly.h"

#include <algorithm>
#include <iostream>

namespace {

void extentOf(const Vec2* points, size_t count, Vec2& outMin, Vec2& outMax)
{
    if (count == 0) return;
    outMin = points[0];
    outMax = points[0];
    for (size_t i = 1; i < count; ++i) {
        outMin = Vec2(std::min(outMin.x, points[i].x), std::min(outMin.y, points[i].y));
        outMax = Vec2(std::max(outMax.x, points[i].x), std::max(outMax.y, points[i].y));
    }
}

}  // namespace

void computeBounds(GameObject& object, Vec2& outMin, Vec2& outMax)
{
    if (const auto* circle = dynamic_cast<const Circle*>(&object);
        circle && object.geometry == kGeometryCircle) {
        Vec2 c;
        object.getCenter(c);
        const float r = circle->radius;
        outMin = Vec2(c.x - r, c.y - r);
        outMax = Vec2(c.x + r, c.y + r);
    } else if (const auto* poly = dynamic_cast<const Poly*>(&object);
               poly && object.geometry == kGeometryPoly) {
        extentOf(poly->points.data(), poly->points.size(), outMin, outMax);
    } else if (const auto* box = dynamic_cast<const Aabb*>(&object);
               box && object.geometry == kGeometryBox) {
        extentOf(box->corners, 4, outMin, outMax);
    } else {
        std::cout << "default case 2: should not be default something broke" << std::endl;
    }
}
