#include "editor/app/simulation/ViewCamera.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(ViewCamera, MapsTheWindowCentreToItsPositionAndTheCornerToTheViewsEdge)
{
    ViewCamera camera(6300.0f, 4.0f / 3.0f, 100.0f, -50.0f);
    EXPECT_FLOAT_EQ(camera.viewHeight, 4725.0f);
    const Vec2 centre = camera.windowToWorld(512, 384, 1024, 768);
    EXPECT_FLOAT_EQ(centre.x, 100.0f);
    EXPECT_FLOAT_EQ(centre.y, -50.0f);
    const Vec2 corner = camera.windowToWorld(0, 0, 1024, 768);
    EXPECT_FLOAT_EQ(corner.x, 100.0f - 3150.0f);
    EXPECT_FLOAT_EQ(corner.y, -50.0f + 2362.5f);
}

TEST(ViewCamera, AResizeKeepsTheWidthOfTheWorld)
{
    ViewCamera camera;
    EXPECT_FLOAT_EQ(camera.viewWidth, 1280.0f);
    EXPECT_FLOAT_EQ(camera.viewHeight, 800.0f);
    camera.resize(1024, 768);
    EXPECT_FLOAT_EQ(camera.viewWidth, 1280.0f);
    EXPECT_FLOAT_EQ(camera.viewHeight, 960.0f);
}

TEST(ViewCamera, AWindowOfNoSizeLeavesAUsableView)
{
    ViewCamera camera;
    for (auto [width, height] : {std::pair{0, 0}, {1024, 0}, {0, 768}}) {
        camera.resize(width, height);
        EXPECT_TRUE(std::isfinite(camera.aspect) && camera.aspect > 0.0f);
        EXPECT_TRUE(std::isfinite(camera.viewHeight) && camera.viewHeight > 0.0f);
        const Vec2 p = camera.windowToWorld(10, 10, width, height);
        EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
    }
}

TEST(ViewCamera, DragZoomStaysWithinItsBoundsAndFollowsThePointer)
{
    ViewCamera camera(6300.0f, 2.0f, 0.0f, 0.0f);
    Vec2 anchor(0.0f, 0.0f);
    camera.zoomStep(Vec2(100.0f, 0.0f), anchor);  // right zooms in
    EXPECT_FLOAT_EQ(camera.viewWidth, 6200.0f);
    EXPECT_FLOAT_EQ(anchor.x, 100.0f);
    camera.zoomStep(Vec2(1e6f, 0.0f), anchor);
    EXPECT_FLOAT_EQ(camera.viewWidth, ViewCamera::kMinViewWidth);
    EXPECT_FLOAT_EQ(camera.viewHeight, ViewCamera::kMinViewWidth / 2.0f);
    camera.zoomStep(Vec2(-1e6f, 0.0f), anchor);
    EXPECT_FLOAT_EQ(camera.viewWidth, ViewCamera::kMaxViewWidth);
    EXPECT_FLOAT_EQ(camera.viewHeight, ViewCamera::kMaxViewWidth / 2.0f);
}

TEST(ViewCamera, KeyboardZoomStaysWithinTheSameBounds)
{
    ViewCamera camera(6300.0f, 4.0f / 3.0f, 0.0f, 0.0f);
    for (int i = 0; i < 5000; ++i) camera.scaleHeight(1.01f);
    EXPECT_FLOAT_EQ(camera.viewWidth, ViewCamera::kMaxViewWidth);
    for (int i = 0; i < 5000; ++i) camera.scaleHeight(0.99f);
    EXPECT_FLOAT_EQ(camera.viewWidth, ViewCamera::kMinViewWidth);
    EXPECT_FLOAT_EQ(camera.viewHeight, camera.viewWidth / camera.aspect);
}

TEST(ViewCamera, PanMovesPositionAndTargetAlike)
{
    ViewCamera camera(6300.0f, 4.0f / 3.0f, 10.0f, 20.0f);
    camera.pan(Vec2(5.0f, -5.0f));
    EXPECT_FLOAT_EQ(camera.position.x, 15.0f);
    EXPECT_FLOAT_EQ(camera.target.y, 15.0f);
    EXPECT_FLOAT_EQ(camera.previousPosition.x, 10.0f);
}

}  // namespace

namespace {

TEST(ViewCamera, SeesEveryBoxThatReachesIntoTheView)
{
    const ViewCamera camera(200.0f, 2.0f, 0.0f, 0.0f);  // x -100..100, y -50..50
    EXPECT_TRUE(camera.sees(Vec2(-10, -10), Vec2(10, 10)));
    EXPECT_TRUE(camera.sees(Vec2(90, 40), Vec2(500, 500)));      // a corner reaches in
    EXPECT_TRUE(camera.sees(Vec2(-500, -500), Vec2(500, 500)));  // covers the view
    EXPECT_TRUE(camera.sees(Vec2(100, 50), Vec2(120, 60)));      // touches the edge
    EXPECT_FALSE(camera.sees(Vec2(101, -10), Vec2(150, 10)));
    EXPECT_FALSE(camera.sees(Vec2(-10, -90), Vec2(10, -51)));
}

}  // namespace
