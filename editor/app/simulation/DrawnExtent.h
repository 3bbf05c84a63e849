#pragma once

#include "editor/world/Vec2.h"

class GameObject;

// The box around every point the object's drawables draw; false when they
// draw none.
bool drawnExtent(const GameObject& object, Vec2& low, Vec2& high);
