#pragma once

#include "editor/world/Geometry.h"
#include "editor/world/Vec2.h"

// Finds the shortest push along a set of separating axes: fed one axis at a
// time with the projections of the first shape (a) and the second (b), it
// keeps the shortest candidate that takes a and b apart on that axis.
class MinimumTranslation {
public:
    // Offers the candidates of one unit axis; false when a and b are apart
    // on it (the shapes do not overlap at all).
    bool addAxis(const Vec2& axis, const Interval& a, const Interval& b);

    // The shortest candidate so far: the move that takes b clear of a;
    // negated, it takes a clear of b.
    const Vec2& push() const { return push_; }

private:
    void offer(const Vec2& axis, float amount);

    // Longer than any real overlap, so the first candidate always wins.
    Vec2 push_{100000.0f, 100000.0f};
};
