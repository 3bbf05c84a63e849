#include "editor/world/Geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

namespace {

TEST(Vec2, NormalizeKeepsTinyVectorsAndScalesTheRest)
{
    struct Case {
        Vec2 in;
        Vec2 out;
    } cases[] = {
        {{0, 0}, {0, 0}},
        {{1e-6f, 0}, {1e-6f, 0}},
        {{0, -1e-5f}, {0, -1e-5f}},  // exactly at the threshold: unchanged
        {{3, 4}, {0.6f, 0.8f}},
        {{-10, 0}, {-1, 0}},
    };
    for (const Case& c : cases) {
        const Vec2 n = Vec2::normalize(c.in);
        EXPECT_FLOAT_EQ(n.x, c.out.x) << c.in.x << "," << c.in.y;
        EXPECT_FLOAT_EQ(n.y, c.out.y) << c.in.x << "," << c.in.y;
        Vec2 inPlace = c.in;
        Vec2::normalizeInPlace(inPlace);
        EXPECT_EQ(inPlace, n);
    }
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_TRUE(std::isnan(Vec2::normalize({nan, 1}).y));
}

TEST(Geometry, RotatePointTurnsCounterClockwiseAboutTheCentre)
{
    const Vec2 quarter = rotatePoint({1, 0}, {0, 0}, std::numbers::pi_v<float> / 2);
    EXPECT_NEAR(quarter.x, 0.0f, 1e-6f);
    EXPECT_NEAR(quarter.y, 1.0f, 1e-6f);
    const Vec2 half = rotatePoint({3, 2}, {2, 2}, std::numbers::pi_v<float>);
    EXPECT_NEAR(half.x, 1.0f, 1e-6f);
    EXPECT_NEAR(half.y, 2.0f, 1e-6f);
}

// Unit square from (0,0) to (1,1), and the box corner order: corner 1 is the
// largest x and y, corner 3 the smallest.
const std::vector<Vec2> kSquare = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
const Vec2 kBox[4] = {{1, 0}, {1, 1}, {0, 1}, {0, 0}};

// A circle placed against the unit square, and whether it overlaps it.
struct CircleCase {
    const char* what;
    Vec2 centre;
    float radius;
    bool overlaps;
};

TEST(Geometry, CircleAgainstPolygonCountsTouchingAsOverlap)
{
    const CircleCase cases[] = {
        {"inside", {0.5f, 0.5f}, 0.1f, true},
        {"touching the right edge", {2, 0.5f}, 1, true},
        {"clear of the right edge", {2.01f, 0.5f}, 1, false},
        {"touching the bottom edge", {0.5f, -0.5f}, 0.5f, true},
        // Beyond the corner: every edge axis overlaps, only the vertex axis separates.
        {"near the corner, outside", {1.8f, 1.8f}, 1.0f, false},
        {"near the corner, within reach", {1.5f, 1.5f}, 0.8f, true},
    };
    for (const CircleCase& c : cases) {
        EXPECT_EQ(circleOverlapsPolygon(c.centre, c.radius, kSquare), c.overlaps) << c.what;
    }
}

TEST(Geometry, CircleAgainstBoxIsStrict)
{
    const CircleCase cases[] = {
        {"inside", {0.5f, 0.5f}, 0.1f, true},
        {"touching the right side", {2, 0.5f}, 1, false},
        {"just over the right side", {2, 0.5f}, 1.001f, true},
        {"touching the bottom", {0.5f, -1}, 1, false},
        {"diagonal off the corner", {2, 2}, 1.4f, false},
        {"diagonal reaching the corner", {2, 2}, 1.42f, true},
    };
    for (const CircleCase& c : cases) {
        EXPECT_EQ(circleOverlapsBox(kBox, c.centre, c.radius), c.overlaps) << c.what;
    }
}

TEST(Geometry, PolygonAgainstBoxUsesEdgeAndBoxAxes)
{
    auto shifted = [](float dx, float dy) {
        std::vector<Vec2> points;
        for (const Vec2& p : kSquare) points.push_back({p.x + dx, p.y + dy});
        return points;
    };
    const std::vector<Vec2> triangle = {{1.6f, 0.5f}, {2.5f, 0.5f}, {1.6f, 1.4f}};
    const std::vector<Vec2> diamond = {{1.5f, 1.5f}, {2.1f, 0.9f}, {2.7f, 1.5f}, {2.1f, 2.1f}};
    struct Case {
        const char* what;
        std::vector<Vec2> polygon;
        bool overlaps;
    } cases[] = {
        {"same square", shifted(0, 0), true},
        {"sharing the right side", shifted(1, 0), true},
        {"sharing one corner", shifted(1, 1), true},
        {"apart", shifted(1.01f, 0), false},
        {"triangle to the right", triangle, false},
        {"diamond off the corner", diamond, false},
        {"diamond reaching in", {{0.9f, 0.9f}, {1.5f, 0.3f}, {2.1f, 0.9f}, {1.5f, 1.5f}}, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(polygonOverlapsBox(kBox, c.polygon), c.overlaps) << c.what;
    }
}

TEST(Geometry, EmptyPointListsOverlapNothing)
{
    const std::vector<Vec2> none;
    EXPECT_FALSE(circleOverlapsPolygon({0, 0}, 100, none));
    EXPECT_FALSE(polygonOverlapsBox(kBox, none));
}

TEST(Geometry, ZeroLengthEdgeGivesAZeroAxisThatSeparatesNothing)
{
    const std::vector<Vec2> withRepeat = {{0, 0}, {0, 0}, {1, 0}, {0, 1}};
    const Vec2 axis = edgeAxis(withRepeat, 0);
    EXPECT_EQ(axis, Vec2(0, 0));
    EXPECT_TRUE(circleOverlapsPolygon({0.2f, 0.2f}, 0.05f, withRepeat));
}

}  // namespace
