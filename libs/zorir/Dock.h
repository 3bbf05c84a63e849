#pragma once

#include "libs/zorir/Vector2.h"

#include <cstdint>

namespace Zorir {

class Window;

// A top-level window as the window manager keeps it: its place in the z order
// and, when anchored, its distances from the screen's edges.
struct Dock {
    Window* window_ = nullptr;  // not owned
    int32_t zValue_ = 0;
    bool anchored_ = false;
    bool fromTop_ = true;
    bool fromLeft_ = true;
    float horizontalDistance_ = 0.0f;
    float verticalDistance_ = 0.0f;

    // Where an anchored window goes on a screen of the given size.
    Vector2 anchoredPosition(const Vector2& screenSize) const;
};

}  // namespace Zorir
