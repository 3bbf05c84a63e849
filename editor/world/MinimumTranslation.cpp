#include "editor/world/MinimumTranslation.h"

bool MinimumTranslation::addAxis(const Vec2& axis, const Interval& a, const Interval& b)
{
    if (a.max < b.min || a.min > b.max) return false;
    if (b.min >= a.min && b.max >= a.max) {
        offer(axis, a.max - b.min);  // b reaches past a's high end
    } else if (b.min <= a.min && b.max <= a.max) {
        offer(axis, a.min - b.max);  // b reaches past a's low end
    } else {
        offer(axis, a.min - b.max);  // one inside the other: either way out
        offer(axis, a.max - b.min);
    }
    return true;
}

void MinimumTranslation::offer(const Vec2& axis, float amount)
{
    const Vec2 candidate = axis * amount;
    if (floatSqrt(dot(candidate, candidate)) < floatSqrt(dot(push_, push_))) push_ = candidate;
}
