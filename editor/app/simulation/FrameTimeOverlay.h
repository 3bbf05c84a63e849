#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The frame time in the corner of the window, with room for debug drawings
// drawn under it.
class FrameTimeOverlay {
public:
    class DebugDrawable {
    public:
        virtual ~DebugDrawable() = default;
        virtual void draw() = 0;
        bool enabled = true;
    };

    // Draws the debug drawables and the time since the previous call, taken
    // at now; two calls in the same millisecond keep the earlier figure.
    void draw(uint32_t now);

    const std::string& frameTimeText() const { return number_; }

    std::vector<std::unique_ptr<DebugDrawable>> drawables[2];

private:
    uint32_t lastStamp_ = 0;
    std::string number_;
};
