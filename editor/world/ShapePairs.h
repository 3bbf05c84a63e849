#pragma once

#include "editor/world/Vec2.h"

#include <vector>

// The geometry of the pair tests between shapes, on plain corner sets and
// point lists. A box is given by its four corners, of which only corner 3
// (the minima) and corner 1 (the maxima) are read. A push is the move that
// takes the first shape named clear of the second unless said otherwise.

// Touching boxes overlap.
bool boxesOverlap(const Vec2* a, const Vec2* b);
bool resolveBoxes(const Vec2* a, const Vec2* b, Vec2& push);

// The point of the box nearest to p (p itself when inside).
Vec2 nearestBoxPoint(const Vec2* corners, const Vec2& p);

// Where a circle centred at p meets a box: the box's nearest point, that
// point less p, and their distance.
struct BoxContact {
    Vec2 nearest;
    Vec2 delta;
    float distance;
};
BoxContact boxContact(const Vec2* corners, const Vec2& p);

// The box's corners as a closed outline.
std::vector<Vec2> boxOutline(const Vec2* corners);

// Separating axes: the edge normals of a, then those of b; touching
// outlines overlap, an empty outline overlaps nothing.
bool outlinesOverlap(const std::vector<Vec2>& a, const std::vector<Vec2>& b);
// Over the same axes; the push takes b clear of a.
bool resolveOutlines(const std::vector<Vec2>& a, const std::vector<Vec2>& b, Vec2& push);

// Over the outline's edge normals, then the axis from its vertex nearest to
// the centre towards the centre; the push takes the circle clear of the
// outline.
bool resolveOutlineAndCircle(const std::vector<Vec2>& outline, const Vec2& centre, float radius,
                             Vec2& push);
