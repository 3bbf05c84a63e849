#include "editor/world/AnimatingSprite.h"

#include <iostream>

AnimatingSprite::AnimatingSprite()
{
    // A reader supplies the stored points, so the default square goes.
    points.clear();
    uvs.clear();
}

AnimatingSprite::AnimatingSprite(const Vec2& c0, const Vec2& c1, const Vec2& c2, const Vec2& c3,
                                 uint32_t textureId, const uint16_t* layerRef)
    : Quad(c0, c1, c2, c3, textureId, layerRef, kUvTile)
{
    animating = true;
}

AnimatingSprite::AnimatingSprite(const AnimatingSprite& source, const uint16_t* newLayerRef)
    : Quad(source, newLayerRef), currentAnim(source.currentAnim), playing(source.playing)
{
    for (const auto& record : source.animations) {
        animations.push_back(std::make_unique<AnimationRecord>(*record));
    }
}

std::unique_ptr<ImageGeometry> AnimatingSprite::clone(const uint16_t* newLayerRef) const
{
    return std::make_unique<AnimatingSprite>(*this, newLayerRef);
}

int32_t AnimatingSprite::addAnimation(uint32_t fileWidth, uint32_t fileHeight,
                                      uint16_t animWidth, uint16_t animHeight,
                                      uint16_t numFrames, uint16_t xOffset, uint16_t yOffset,
                                      uint16_t frameLength, bool loop)
{
    if (!AnimationRecord::isUsable(fileWidth, fileHeight, numFrames)) {
        std::cout << "ERROR: animation refused: " << numFrames << " frames on a sheet of "
                  << fileWidth << " x " << fileHeight << std::endl;
        return -1;
    }
    animations.push_back(std::make_unique<AnimationRecord>(
        fileWidth, fileHeight, animWidth, animHeight, numFrames, xOffset, yOffset, frameLength,
        loop));
    return static_cast<int32_t>(animations.size()) - 1;
}

void AnimatingSprite::draw()
{
    const uint16_t layer = drawLayer();
    if (animations.empty()) {
        std::cout << "no animation" << std::endl;
        return;
    }
    if (currentAnim >= animations.size()) return;
    AnimationRecord& animation = *animations[currentAnim];
    const FrameRect* shown = animation.currentFrameRect();
    if (!shown) return;
    // The frame shown is the one before this step.
    const FrameRect frame = *shown;
    if (playing && animation.step()) {
        done = true;
        return;
    }
    drawFrame(frame, layer);
}

void AnimatingSprite::drawFrame(const FrameRect& frame, uint16_t layer)
{
    if (points.size() < 4) return;
    const Vec2 frameCorners[4] = {{frame.uMin, frame.vMax},
                                  {frame.uMax, frame.vMax},
                                  {frame.uMax, frame.vMin},
                                  {frame.uMin, frame.vMin}};
    emitTinted(GlPrimitive::Quads, img, frameCorners, 4, layer);
}
