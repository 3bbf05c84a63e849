#pragma once

#include "libs/zorir/WindowManager.h"

#include <string>

namespace zorirtest {

// The modifier keys as the host reports them, set by the tests.
struct Modifiers {
    static inline bool shift = false;
    static inline bool alt = false;
    static inline bool ctrl = false;

    static bool isShiftDown() { return shift; }
    static bool isAltDown() { return alt; }
    static bool isCtrlDown() { return ctrl; }

    // Starts the window manager with the test font and these queries.
    static void initialize()
    {
        Zorir::WindowManager::instance().initialize("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", &isShiftDown,
                                                    &isAltDown, &isCtrlDown);
    }
};

}  // namespace zorirtest
