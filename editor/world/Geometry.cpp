#include "editor/world/Geometry.h"

#include <cmath>
#include <algorithm>


float floatAbs(float v)
{
    return std::fabs(v);
}

float floatSqrt(float v)
{
    return std::sqrt(v);
}

Vec2 rotatePoint(const Vec2& point, const Vec2& centre, float angle)
{
    const Vec2 d = point - centre;
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    return {centre.x + (c * d.x - s * d.y), centre.y + (s * d.x + c * d.y)};
}

Vec2 scalePoint(const Vec2& point, const Vec2& centre, float sx, float sy)
{
    return {centre.x + (point.x - centre.x) * sx, centre.y + (point.y - centre.y) * sy};
}

Vec2 meanOf(const std::vector<Vec2>& points)
{
    if (points.empty()) return {};
    Vec2 sum;
    for (const Vec2& p : points) sum += p;
    return sum * (1.0f / static_cast<float>(points.size()));
}

Interval projectOnAxis(const Vec2* points, size_t count, const Vec2& axis)
{
    Interval range{dot(points[0], axis), dot(points[0], axis)};
    for (size_t i = 1; i < count; ++i) {
        const float p = dot(points[i], axis);
        if (p < range.min) range.min = p;
        if (p > range.max) range.max = p;
    }
    return range;
}

Vec2 edgeAxis(const std::vector<Vec2>& points, size_t i)
{
    const size_t next = i + 1 < points.size() ? i + 1 : 0;
    const Vec2 edge = points[i] - points[next];
    return Vec2::normalize(Vec2(-edge.y, edge.x));
}

namespace {

// Whether [c - radius, c + radius] meets the polygon's projection on axis.
bool circleMeetsPolygonOn(const Vec2& axis, const Vec2& centre, float radius,
                          const std::vector<Vec2>& points)
{
    const Interval poly = projectOnAxis(points.data(), points.size(), axis);
    const float c = dot(centre, axis);
    return !(c - radius > poly.max || c + radius < poly.min);
}

float squaredDistance(const Vec2& a, const Vec2& b)
{
    const Vec2 d = a - b;
    return d.x * d.x + d.y * d.y;
}

}  // namespace

bool circleOverlapsPolygon(const Vec2& centre, float radius, const std::vector<Vec2>& points)
{
    if (points.empty()) return false;
    size_t nearest = 0;
    for (size_t i = 0; i < points.size(); ++i) {
        if (!circleMeetsPolygonOn(edgeAxis(points, i), centre, radius, points)) return false;
        if (squaredDistance(points[i], centre) < squaredDistance(points[nearest], centre)) {
            nearest = i;
        }
    }
    const Vec2 towardCentre = Vec2::normalize(centre - points[nearest]);
    return circleMeetsPolygonOn(towardCentre, centre, radius, points);
}

bool polygonOverlapsBox(const Vec2 corners[4], const std::vector<Vec2>& points)
{
    if (points.empty()) return false;
    auto separates = [&](const Vec2& axis) {
        const Interval poly = projectOnAxis(points.data(), points.size(), axis);
        const Interval box = projectOnAxis(corners, 4, axis);
        return box.min > poly.max || poly.min > box.max;
    };
    for (size_t i = 0; i < points.size(); ++i) {
        if (separates(edgeAxis(points, i))) return false;
    }
    for (int k = 1; k <= 3; ++k) {
        const Vec2 d = corners[k] - corners[0];
        if (separates(Vec2::normalize(Vec2(d.y, -d.x)))) return false;
    }
    return true;
}

bool circleOverlapsBox(const Vec2 corners[4], const Vec2& centre, float radius)
{
    const Vec2& high = corners[1];
    const Vec2& low = corners[3];
    Vec2 nearest;
    nearest.x = centre.x < low.x ? low.x : std::min(high.x, centre.x);
    nearest.y = centre.y < low.y ? low.y : std::min(high.y, centre.y);
    const Vec2 d = nearest - centre;
    return radius > floatSqrt(d.x * d.x + d.y * d.y);
}

