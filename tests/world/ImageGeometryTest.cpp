#include "editor/world/ImageGeometry.h"
#include "editor/world/Quad.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

void expectPoints(const std::vector<Vec2>& actual, const std::vector<Vec2>& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(actual[i].x, expected[i].x, 1e-5f) << "point " << i;
        EXPECT_NEAR(actual[i].y, expected[i].y, 1e-5f) << "point " << i;
    }
}

uint16_t ownerLayer = 3;

ImageGeometry borderOf(const std::vector<Vec2>& outline, float width)
{
    return ImageGeometry(outline, 7, &ownerLayer, kDrawQuads, true, width);
}

TEST(ImageGeometry, BorderStripsRunAlongEveryEdgeWithTheLastTwoPointsOnTheEdge)
{
    const ImageGeometry border = borderOf({{0, 0}, {4, 0}, {4, 4}}, 2.0f);
    const float diagonal = std::sqrt(0.5f);
    expectPoints(border.points, {{0, -1}, {4, -1}, {4, 0}, {0, 0},
                                 {5, 0}, {5, 4}, {4, 4}, {4, 0},
                                 {4 - diagonal, 4 + diagonal}, {-diagonal, diagonal}, {0, 0},
                                 {4, 4}});
    EXPECT_EQ(border.borderSize, 2.0f);
    EXPECT_EQ(border.drawtype, kDrawQuads);
    EXPECT_EQ(border.uvs.size(), border.points.size());
}

TEST(ImageGeometry, BoxBorderUsesTheFourSidesInCornerOrder)
{
    const ImageGeometry border({-1, 1}, {1, 1}, {1, -1}, {-1, -1}, 7, &ownerLayer, kUvTile,
                               kDrawQuads, true, 1.0f);
    ASSERT_EQ(border.points.size(), 16u);
    // Corners run clockwise, so the top side's strip lies inside the box,
    // half the width deep.
    expectPoints({border.points.begin(), border.points.begin() + 4},
                 {{-1, 0.5f}, {1, 0.5f}, {1, 1}, {-1, 1}});
}

TEST(ImageGeometry, SetBorderWidthMovesTheOuterSideToTheFullWidth)
{
    ImageGeometry strip = borderOf({{0, 0}, {4, 0}}, 2.0f);
    strip.setBorderWidth(3.0f);
    expectPoints({strip.points.begin(), strip.points.begin() + 4},
                 {{0, -3}, {4, -3}, {4, 0}, {0, 0}});
    EXPECT_FLOAT_EQ(strip.borderSize, 3.0f);
}

TEST(ImageGeometry, SetBorderWidthLeavesATriangleAloneAndNeverKeepsAZeroSize)
{
    ImageGeometry triangle({{0, 0}, {1, 0}, {0, 1}}, 7, &ownerLayer, kDrawPolygon, false, 0.0f);
    triangle.setBorderWidth(5.0f);
    expectPoints(triangle.points, {{0, 0}, {1, 0}, {0, 1}});
    EXPECT_EQ(triangle.borderSize, 1.0f);

    ImageGeometry strip = borderOf({{0, 0}, {4, 0}}, 2.0f);
    strip.setBorderWidth(0.0f);
    EXPECT_EQ(strip.borderSize, 1.0f);
}

struct TexCoordCase {
    const char* name;
    uint16_t mode;
    std::vector<Vec2> points;
    std::vector<Vec2> expected;
};

TEST(ImageGeometry, TextureCoordinatesFollowTheMappingMode)
{
    const TexCoordCase cases[] = {
        {"tile", kUvTile, {{400, -800}, {0, 0}}, {{1, -2}, {0, 0}}},
        {"stretch", kUvStretch, {{10, 20}, {30, 20}, {30, 60}}, {{0, 0}, {1, 0}, {1, 1}}},
        {"stretch vertical segment", kUvStretch, {{5, 0}, {5, 2}}, {{0, 0}, {0, 1}}},
        {"stretch horizontal segment", kUvStretch, {{0, 7}, {0.2f, 7}}, {{0, 0}, {1, 0}}},
    };
    for (const TexCoordCase& c : cases) {
        SCOPED_TRACE(c.name);
        ImageGeometry drawable(c.points, 7, &ownerLayer, kDrawPolygon, false, 0.0f);
        drawable.computeTexCoords(c.mode);
        expectPoints(drawable.uvs, c.expected);
    }
}

TEST(ImageGeometry, TooFewPointsOrAnUnknownModeKeepTheTextureCoordinates)
{
    ImageGeometry single({{400, 400}}, 7, &ownerLayer, kDrawPolygon, false, 0.0f);
    EXPECT_TRUE(single.uvs.empty());
    single.uvs = {{0.25f, 0.5f}};
    single.computeTexCoords(kUvTile);
    expectPoints(single.uvs, {{0.25f, 0.5f}});

    ImageGeometry pair({{400, 400}, {0, 0}}, 7, &ownerLayer, kDrawPolygon, false, 0.0f);
    pair.computeTexCoords(9);
    expectPoints(pair.uvs, {{1, 1}, {0, 0}});
}

TEST(ImageGeometry, TranslateMovesTiledTextureWithTheWorld)
{
    ImageGeometry drawable({{0, 0}, {400, 0}}, 7, &ownerLayer, kDrawPolygon, false, 0.0f);
    drawable.translate({400, 0}, true);
    expectPoints(drawable.points, {{400, 0}, {800, 0}});
    expectPoints(drawable.uvs, {{1, 0}, {2, 0}});
    drawable.translate({400, 0}, false);
    expectPoints(drawable.uvs, {{1, 0}, {2, 0}});
}

TEST(ImageGeometry, RotateAndScaleTurnTextureCoordinatesAboutTheirMean)
{
    ImageGeometry drawable({{0, 0}, {2, 0}}, 7, &ownerLayer, kDrawPolygon, false, 0.0f);
    drawable.uvs = {{0, 0}, {2, 0}};
    drawable.rotate({0, 0}, static_cast<float>(M_PI / 2), true);
    expectPoints(drawable.points, {{0, 0}, {0, 2}});
    expectPoints(drawable.uvs, {{1, -1}, {1, 1}});
    drawable.scale({0, 2}, 3.0f, 0.5f, true);
    expectPoints(drawable.points, {{0, 1}, {0, 2}});
    expectPoints(drawable.uvs, {{1, -0.5f}, {1, 0.5f}});
}

TEST(ImageGeometry, ALockedDrawableStaysWhereItIs)
{
    ImageGeometry drawable({{1, 1}, {2, 2}}, 7, &ownerLayer, kDrawPolygon, false, 0.0f);
    drawable.locked = true;
    testing::internal::CaptureStdout();
    drawable.translate({5, 5}, true);
    drawable.scale({0, 0}, 2, 2, true);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    testing::internal::CaptureStdout();
    drawable.rotate({0, 0}, 1.0f, true);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "DSKLFJDSLKFJSDKJFLDSJ LKDSJFL KJSDLKF J\n");
    expectPoints(drawable.points, {{1, 1}, {2, 2}});
}

TEST(ImageGeometry, SubLayerCounterWrapsAtTheThousandthDrawable)
{
    // The counter is process-wide: run it up to its last step first.
    while (ImageGeometry::currentSubLayer() < 0.9985f) ImageGeometry().points.clear();
    testing::internal::CaptureStdout();
    const ImageGeometry wrapped;
    const ImageGeometry next;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "SETTING SUB LAYER BACK TO 0\n");
    EXPECT_EQ(wrapped.subLayer, 0.0f);
    EXPECT_FLOAT_EQ(next.subLayer, 0.001f);
    // A copy is a new drawable and takes the next step too.
    const ImageGeometry copy(next, &ownerLayer);
    EXPECT_FLOAT_EQ(copy.subLayer, 0.002f);
}

TEST(ImageGeometry, DrawLayerFollowsTheOwnerUnlessItHasItsOwn)
{
    uint16_t layer = 4;
    ImageGeometry drawable({{0, 0}, {1, 1}}, 7, &layer, kDrawPolygon, false, 0.0f);
    EXPECT_EQ(drawable.drawLayer(), 4);
    layer = 9;
    EXPECT_EQ(drawable.drawLayer(), 9);
    drawable.ownLayer = 5;
    layer = 11;
    EXPECT_EQ(drawable.drawLayer(), 5);
}

TEST(ImageGeometry, CloneCopiesEveryFieldButTheLayerReferenceAndDepth)
{
    uint16_t otherLayer = 8;
    Quad quad({0, 1}, {1, 1}, {1, 0}, {0, 0}, 12, &ownerLayer, kUvStretch);
    quad.brightness = 0.5f;
    quad.borderSize = 2.5f;
    const auto copy = quad.clone(&otherLayer);
    ASSERT_NE(dynamic_cast<Quad*>(copy.get()), nullptr);
    EXPECT_EQ(copy->layerRef, &otherLayer);
    EXPECT_EQ(copy->points, quad.points);
    EXPECT_EQ(copy->uvs, quad.uvs);
    EXPECT_EQ(copy->img, 12u);
    EXPECT_EQ(copy->uvMapMode, kUvStretch);
    EXPECT_EQ(copy->brightness, 0.5f);
    EXPECT_EQ(copy->borderSize, 2.5f);
    EXPECT_EQ(copy->drawtype, kDrawQuads);
    EXPECT_NE(copy->subLayer, quad.subLayer);

    const ImageGeometry plain({{0, 0}, {1, 1}}, 7, &ownerLayer, kDrawPolygon, false, 0.0f);
    EXPECT_EQ(dynamic_cast<Quad*>(plain.clone(&otherLayer).get()), nullptr);
}

TEST(ImageGeometry, WithoutAnOpenGlContextTextureSizesAreZero)
{
    const Quad quad;
    EXPECT_EQ(quad.texWidth, 0);
    EXPECT_EQ(quad.texHeight, 0);
    expectPoints(quad.points, {{-1, 1}, {1, 1}, {1, -1}, {-1, -1}});
    EXPECT_EQ(quad.layerRef, nullptr);
    EXPECT_EQ(quad.drawLayer(), 0);
}

}  // namespace
