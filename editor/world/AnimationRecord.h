#pragma once

#include <cstdint>
#include <vector>

// Texture coordinates of one frame of a sprite sheet.
struct FrameRect {
    float uMin = 0.0f;
    float uMax = 0.0f;
    float vMin = 0.0f;
    float vMax = 0.0f;
};

// One animation of a sprite: its frames are cut side by side from one
// horizontal strip of the sprite sheet.
class AnimationRecord {
public:
    // Whether the parameters describe at least one frame on a sheet that has
    // a size; anything else would divide by zero or leave nothing to show.
    static bool isUsable(uint32_t fileWidth, uint32_t fileHeight, uint16_t numFrames);

    // Cuts numFrames frames from the strip of animWidth x animHeight pixels
    // at (xOffset, yOffset) of a fileWidth x fileHeight sheet. Unusable
    // parameters give a record without frames, which never advances.
    AnimationRecord(uint32_t fileWidth, uint32_t fileHeight, uint16_t animWidth,
                    uint16_t animHeight, uint16_t numFrames, uint16_t xOffset, uint16_t yOffset,
                    uint16_t frameLength, bool loop);

    // Advances by the tick increment; returns whether the animation is over
    // (a finished non-looping animation no longer advances).
    bool step();

    uint32_t frameCount() const { return static_cast<uint32_t>(frames.size()); }
    // Null when the record has no frame to show.
    const FrameRect* currentFrameRect() const;

    uint32_t startTime = 0;
    const uint16_t* tickSource = nullptr;  // per-step tick increment; none: no advance
    bool loop = false;
    bool finished = false;
    uint16_t tick = 0;
    uint16_t currentFrame = 0;
    uint16_t frameLength = 0;
    std::vector<FrameRect> frames;
    uint32_t fileWidth = 0;
    uint32_t fileHeight = 0;
    uint16_t animWidth = 0;
    uint16_t animHeight = 0;
    uint16_t xOffset = 0;
    uint16_t yOffset = 0;
};
