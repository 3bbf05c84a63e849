#include "editor/world/AnimatingSprite.h"
#include "editor/world/SimulationClock.h"

#include <gtest/gtest.h>

namespace {

uint16_t ownerLayer = 1;

AnimatingSprite spriteBody()
{
    return AnimatingSprite({0, 1}, {1, 1}, {1, 0}, {0, 0}, 3, &ownerLayer);
}

TEST(AnimatingSprite, FramesAreCutSideBySideFromTheStrip)
{
    AnimatingSprite sprite = spriteBody();
    ASSERT_EQ(sprite.addAnimation(256, 128, 128, 32, 4, 64, 64, 5, true), 0);
    const AnimationRecord& record = *sprite.animations[0];
    ASSERT_EQ(record.frameCount(), 4u);
    for (uint32_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_FLOAT_EQ(record.frames[i].uMin, 0.25f + 0.125f * i);
        EXPECT_FLOAT_EQ(record.frames[i].uMax, 0.375f + 0.125f * i);
        EXPECT_FLOAT_EQ(record.frames[i].vMin, 0.5f);
        EXPECT_FLOAT_EQ(record.frames[i].vMax, 0.75f);
    }
    EXPECT_EQ(sprite.addAnimation(64, 64, 64, 64, 1, 0, 0, 1, false), 1);
}

TEST(AnimatingSprite, AnimationsWithoutFramesOrSheetSizeAreRefused)
{
    struct Case {
        uint32_t fileWidth, fileHeight;
        uint16_t numFrames;
    };
    const Case refused[] = {{256, 128, 0}, {0, 128, 4}, {256, 0, 4}};
    AnimatingSprite sprite = spriteBody();
    for (const Case& c : refused) {
        testing::internal::CaptureStdout();
        EXPECT_EQ(sprite.addAnimation(c.fileWidth, c.fileHeight, 128, 32, c.numFrames, 0, 0, 1,
                                      true),
                  -1);
        EXPECT_NE(testing::internal::GetCapturedStdout().find("ERROR"), std::string::npos);
    }
    EXPECT_TRUE(sprite.animations.empty());

    // A record built directly from such values has nothing to step through.
    AnimationRecord empty(256, 128, 128, 32, 0, 0, 0, 1, true);
    const uint16_t increment = 1;
    empty.tickSource = &increment;
    EXPECT_FALSE(empty.step());
    EXPECT_EQ(empty.currentFrameRect(), nullptr);
}

TEST(AnimatingSprite, ALoopingAnimationAdvancesEveryFrameLengthTicksAndWraps)
{
    AnimationRecord record(64, 16, 64, 16, 3, 0, 0, 3, true);
    const uint16_t increment = 1;
    record.tickSource = &increment;
    const uint16_t expectedFrames[] = {0, 0, 1, 1, 1, 2, 2, 2, 0, 0};
    for (uint16_t expected : expectedFrames) {
        EXPECT_FALSE(record.step());
        EXPECT_EQ(record.currentFrame, expected);
    }
}

TEST(AnimatingSprite, ANonLoopingAnimationStopsOnItsLastFrame)
{
    AnimationRecord record(64, 16, 64, 16, 3, 0, 0, 1, false);
    const uint16_t increment = 1;
    record.tickSource = &increment;
    for (int step = 0; step < 10; ++step) EXPECT_FALSE(record.step());
    EXPECT_EQ(record.currentFrame, 2);
    record.finished = true;
    EXPECT_TRUE(record.step());
}

TEST(AnimatingSprite, ANonLoopingAnimationStopsAdvancingAfterItsPlayingTime)
{
    uint32_t now = 105;
    setSimulationClock(&now);
    AnimationRecord record(64, 16, 64, 16, 3, 0, 0, 2, false);
    const uint16_t increment = 2;
    record.tickSource = &increment;
    record.startTime = 100;  // over after 100 + 2 * 3 ms
    record.step();
    EXPECT_EQ(record.currentFrame, 1);
    now = 107;
    record.step();
    EXPECT_EQ(record.currentFrame, 1);
    setSimulationClock(nullptr);
}

TEST(AnimatingSprite, WithoutATickSourceNothingAdvances)
{
    AnimationRecord record(64, 16, 64, 16, 2, 0, 0, 0, true);
    EXPECT_FALSE(record.step());
    EXPECT_EQ(record.currentFrame, 0);
}

TEST(AnimatingSprite, CopiesKeepEveryAnimationField)
{
    AnimatingSprite sprite = spriteBody();
    sprite.addAnimation(256, 128, 128, 32, 4, 64, 48, 5, true);
    sprite.addAnimation(512, 256, 300, 20, 3, 10, 12, 2, false);
    const uint16_t increment = 1;
    sprite.animations[1]->tickSource = &increment;
    sprite.animations[1]->currentFrame = 2;
    sprite.currentAnim = 1;
    sprite.playing = true;
    uint16_t otherLayer = 6;
    const auto copy = sprite.clone(&otherLayer);
    auto* copied = dynamic_cast<AnimatingSprite*>(copy.get());
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->currentAnim, 1);
    EXPECT_TRUE(copied->playing);
    EXPECT_TRUE(copied->animating);
    EXPECT_EQ(copied->layerRef, &otherLayer);
    ASSERT_EQ(copied->animations.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const AnimationRecord& a = *sprite.animations[i];
        const AnimationRecord& b = *copied->animations[i];
        EXPECT_NE(&a, &b);
        EXPECT_EQ(b.fileWidth, a.fileWidth);
        EXPECT_EQ(b.fileHeight, a.fileHeight);
        EXPECT_EQ(b.animWidth, a.animWidth);
        EXPECT_EQ(b.animHeight, a.animHeight);
        EXPECT_EQ(b.xOffset, a.xOffset);
        EXPECT_EQ(b.yOffset, a.yOffset);
        EXPECT_EQ(b.frameLength, a.frameLength);
        EXPECT_EQ(b.loop, a.loop);
        EXPECT_EQ(b.frameCount(), a.frameCount());
        EXPECT_EQ(b.currentFrame, a.currentFrame);
        EXPECT_EQ(b.tickSource, a.tickSource);
    }
}

TEST(AnimatingSprite, DrawingWithoutAnimationsShowsNothingAndSaysSo)
{
    AnimatingSprite sprite = spriteBody();
    testing::internal::CaptureStdout();
    sprite.draw();
    sprite.draw();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "no animation\nno animation\n");
}

TEST(AnimatingSprite, ADefaultSpriteWaitsForItsPoints)
{
    const AnimatingSprite sprite;
    EXPECT_TRUE(sprite.points.empty());
    EXPECT_TRUE(sprite.animations.empty());
    EXPECT_EQ(sprite.currentAnim, 0);
    EXPECT_FALSE(sprite.playing);
}

}  // namespace
