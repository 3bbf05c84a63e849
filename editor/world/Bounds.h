#pragma once

#include "editor/world/Vec2.h"

class GameObject;

// The bounding box of an object by its shape code: a circle's square, or
// the extent of a polygon's points or a box's corners. An object of another
// code, or a polygon without points, leaves both outputs unchanged (the
// former with a diagnostic line).
void computeBounds(GameObject& object, Vec2& outMin, Vec2& outMax);
