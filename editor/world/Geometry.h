#pragma once

#include "editor/world/Vec2.h"

#include <cstddef>
#include <vector>


float floatAbs(float v);
float floatSqrt(float v);

// Point turned about centre by angle radians (counter-clockwise, y up).
Vec2 rotatePoint(const Vec2& point, const Vec2& centre, float angle);
// Point moved away from centre by sx along x and sy along y.
Vec2 scalePoint(const Vec2& point, const Vec2& centre, float sx, float sy);
// The mean of the points; (0, 0) for none.
Vec2 meanOf(const std::vector<Vec2>& points);

// Separating-axis tests used for picking. Touching intervals overlap in the
// projection tests; the circle-box test is strict. An empty point list
// overlaps nothing.
bool circleOverlapsPolygon(const Vec2& centre, float radius, const std::vector<Vec2>& points);
bool polygonOverlapsBox(const Vec2 corners[4], const std::vector<Vec2>& points);
bool circleOverlapsBox(const Vec2 corners[4], const Vec2& centre, float radius);

// Smallest and largest projection of a point list on an axis.
struct Interval {
    float min;
    float max;
};
Interval projectOnAxis(const Vec2* points, std::size_t count, const Vec2& axis);

// Unit normal of edge i of a closed point list (the last edge joins the last
// point to the first); a zero-length edge gives a zero axis.
Vec2 edgeAxis(const std::vector<Vec2>& points, std::size_t i);

