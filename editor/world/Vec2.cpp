#include "editor/world/Vec2.h"

#include "editor/world/Geometry.h"


namespace {

// Lengths up to this count as 1, so tiny and zero vectors stay as they are.
constexpr float kShortestLength = 1e-5f;

float inverseLength(const Vec2& v)
{
    float length = floatSqrt(v.x * v.x + v.y * v.y);
    if (length <= kShortestLength) length = 1.0f;
    return 1.0f / length;
}

}  // namespace

Vec2 Vec2::normalize(const Vec2& v)
{
    const float scale = inverseLength(v);
    return {v.x * scale, v.y * scale};
}

void Vec2::normalizeInPlace(Vec2& v)
{
    v = normalize(v);
}

