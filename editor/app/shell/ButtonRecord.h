#pragma once

#include <cstdint>

// A mouse button as the GLUT callbacks saw it since the last tick. A press
// counts for the next tick even when the button is up again by then, so a
// click shorter than a tick still reaches the tools; its release shows on
// the tick after.
class ButtonRecord {
public:
    void record(bool down)
    {
        held_ = down;
        if (down) pressedSinceTick_ = true;
    }

    // Whether the button is down for the tick that starts now.
    uint8_t takeForTick()
    {
        const bool down = held_ || pressedSinceTick_;
        pressedSinceTick_ = false;
        return down ? 1 : 0;
    }

private:
    bool held_ = false;
    bool pressedSinceTick_ = false;
};
