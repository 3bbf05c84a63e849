#include "editor/world/ShapePairs.h"

#include "editor/world/Geometry.h"
#include "editor/world/MinimumTranslation.h"

#include <algorithm>

namespace {

struct Extent {
    Vec2 min;
    Vec2 max;
};

Extent extentOf(const Vec2* corners)
{
    return {corners[3], corners[1]};
}

// No push on an axis where b spans a completely.
constexpr float kNoPush = 10000.0f;

// How far a moves on one axis to get clear of b.
float boxPushOnAxis(float aMin, float aMax, float bMin, float bMax)
{
    if (bMin < aMin) return bMax <= aMax ? bMax - aMin : kNoPush;
    if (aMax <= bMax) return bMin - aMax;
    // b inside a: towards the nearer side.
    const float lowGap = bMin - aMin;
    const float highGap = aMax - bMax;
    return highGap > lowGap ? bMin - aMin : bMax - aMax;
}

Interval projectOutline(const std::vector<Vec2>& outline, const Vec2& axis)
{
    return projectOnAxis(outline.data(), outline.size(), axis);
}

std::vector<Vec2> edgeAxes(const std::vector<Vec2>& a, const std::vector<Vec2>& b)
{
    std::vector<Vec2> axes;
    for (size_t i = 0; i < a.size(); ++i) axes.push_back(edgeAxis(a, i));
    for (size_t i = 0; i < b.size(); ++i) axes.push_back(edgeAxis(b, i));
    return axes;
}

float squaredDistance(const Vec2& a, const Vec2& b)
{
    const Vec2 d = a - b;
    return dot(d, d);
}

}  // namespace

bool boxesOverlap(const Vec2* a, const Vec2* b)
{
    const Extent ea = extentOf(a);
    const Extent eb = extentOf(b);
    return !(eb.max.y < ea.min.y || eb.min.y > ea.max.y || eb.max.x < ea.min.x ||
             eb.min.x > ea.max.x);
}

bool resolveBoxes(const Vec2* a, const Vec2* b, Vec2& push)
{
    if (!boxesOverlap(a, b)) return false;
    const Extent ea = extentOf(a);
    const Extent eb = extentOf(b);
    const float dx = boxPushOnAxis(ea.min.x, ea.max.x, eb.min.x, eb.max.x);
    const float dy = boxPushOnAxis(ea.min.y, ea.max.y, eb.min.y, eb.max.y);
    push = floatAbs(dx) <= floatAbs(dy) ? Vec2(dx, 0.0f) : Vec2(0.0f, dy);
    return true;
}

Vec2 nearestBoxPoint(const Vec2* corners, const Vec2& p)
{
    const Extent e = extentOf(corners);
    return {p.x < e.min.x ? e.min.x : std::min(e.max.x, p.x),
            p.y < e.min.y ? e.min.y : std::min(e.max.y, p.y)};
}

BoxContact boxContact(const Vec2* corners, const Vec2& p)
{
    const Vec2 nearest = nearestBoxPoint(corners, p);
    const Vec2 delta = nearest - p;
    return {nearest, delta, floatSqrt(dot(delta, delta))};
}

std::vector<Vec2> boxOutline(const Vec2* corners)
{
    return {corners, corners + 4};
}

bool outlinesOverlap(const std::vector<Vec2>& a, const std::vector<Vec2>& b)
{
    if (a.empty() || b.empty()) return false;
    for (const Vec2& axis : edgeAxes(a, b)) {
        const Interval ia = projectOutline(a, axis);
        const Interval ib = projectOutline(b, axis);
        if (ib.min > ia.max || ib.max < ia.min) return false;
    }
    return true;
}

bool resolveOutlines(const std::vector<Vec2>& a, const std::vector<Vec2>& b, Vec2& push)
{
    if (a.empty() || b.empty()) return false;
    MinimumTranslation shortest;
    for (const Vec2& axis : edgeAxes(a, b)) {
        if (!shortest.addAxis(axis, projectOutline(a, axis), projectOutline(b, axis))) {
            return false;
        }
    }
    push = shortest.push();
    return true;
}

bool resolveOutlineAndCircle(const std::vector<Vec2>& outline, const Vec2& centre, float radius,
                             Vec2& push)
{
    if (outline.empty()) return false;
    MinimumTranslation shortest;
    auto addAxis = [&](const Vec2& axis) {
        const float c = dot(centre, axis);
        return shortest.addAxis(axis, projectOutline(outline, axis), {c - radius, c + radius});
    };
    size_t nearest = 0;
    for (size_t i = 0; i < outline.size(); ++i) {
        if (!addAxis(edgeAxis(outline, i))) return false;
        if (squaredDistance(outline[i], centre) < squaredDistance(outline[nearest], centre)) {
            nearest = i;
        }
    }
    if (!addAxis(Vec2::normalize(centre - outline[nearest]))) return false;
    push = shortest.push();
    return true;
}
