#include "editor/world/AnimationRecord.h"

#include "editor/world/SimulationClock.h"

bool AnimationRecord::isUsable(uint32_t fileWidth, uint32_t fileHeight, uint16_t numFrames)
{
    return fileWidth > 0 && fileHeight > 0 && numFrames > 0;
}

AnimationRecord::AnimationRecord(uint32_t fileWidth_, uint32_t fileHeight_, uint16_t animWidth_,
                                 uint16_t animHeight_, uint16_t numFrames, uint16_t xOffset_,
                                 uint16_t yOffset_, uint16_t frameLength_, bool loop_)
    : loop(loop_),
      frameLength(frameLength_),
      fileWidth(fileWidth_),
      fileHeight(fileHeight_),
      animWidth(animWidth_),
      animHeight(animHeight_),
      xOffset(xOffset_),
      yOffset(yOffset_)
{
    if (!isUsable(fileWidth, fileHeight, numFrames)) return;
    const float sheetWidth = static_cast<float>(fileWidth);
    const float sheetHeight = static_cast<float>(fileHeight);
    const float frameWidth = static_cast<float>(animWidth) / numFrames / sheetWidth;
    const float vMin = yOffset / sheetHeight;
    for (uint16_t i = 0; i < numFrames; ++i) {
        FrameRect frame;
        frame.uMin = i * frameWidth + xOffset / sheetWidth;
        frame.uMax = frame.uMin + frameWidth;
        frame.vMin = vMin;
        frame.vMax = vMin + animHeight / sheetHeight;
        frames.push_back(frame);
    }
}

const FrameRect* AnimationRecord::currentFrameRect() const
{
    return currentFrame < frames.size() ? &frames[currentFrame] : nullptr;
}

bool AnimationRecord::step()
{
    if (frames.empty()) return finished;
    if (!loop) {
        const uint32_t now = *simulationClock();
        const bool onLastFrame = currentFrame + 1u >= frameCount();
        const bool expired = startTime != 0 && now > frameLength * frameCount() + startTime;
        if (onLastFrame || expired) return finished;
    }
    // Without a tick source nobody has started the clock of this animation.
    if (!tickSource) return false;
    tick += *tickSource;
    if (tick >= frameLength) {
        tick = 0;
        currentFrame = static_cast<uint16_t>((currentFrame + 1u) % frameCount());
    }
    return false;
}
