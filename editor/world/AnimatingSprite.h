#pragma once

#include "editor/world/AnimationRecord.h"
#include "editor/world/Quad.h"

#include <memory>
#include <vector>

// A quad that shows frames of a sprite sheet instead of its own texture
// coordinates, one of its animations at a time.
class AnimatingSprite : public Quad {
public:
    // No points and no animations: for readers that fill in every field.
    AnimatingSprite();
    // An animated body over four corners, tiled, with no animations yet.
    AnimatingSprite(const Vec2& c0, const Vec2& c1, const Vec2& c2, const Vec2& c3,
                    uint32_t textureId, const uint16_t* layerRef);
    AnimatingSprite(const AnimatingSprite& source, const uint16_t* newLayerRef);

    std::unique_ptr<ImageGeometry> clone(const uint16_t* newLayerRef) const override;
    void draw() override;

    // Appends an animation and returns its index; an animation without
    // frames or on a sheet without a size is refused with an error line and
    // -1.
    int32_t addAnimation(uint32_t fileWidth, uint32_t fileHeight, uint16_t animWidth,
                         uint16_t animHeight, uint16_t numFrames, uint16_t xOffset,
                         uint16_t yOffset, uint16_t frameLength, bool loop);

    uint16_t currentAnim = 0;
    std::vector<std::unique_ptr<AnimationRecord>> animations;
    bool playing = false;
    bool done = false;  // set when the played animation reported its end

private:
    void drawFrame(const FrameRect& frame, uint16_t layer);
};
