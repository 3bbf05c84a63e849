#include "TestScene.h"

#include "editor/app/selections/ImgGeoSelection.h"
#include "editor/app/selections/ImgVertexSelection.h"
#include "editor/app/selections/ObjectSelection.h"
#include "editor/app/selections/ObjectVertexSelection.h"
#include "editor/world/Map_Aabb.h"
#include "editor/world/Map_Poly.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

namespace {

std::unique_ptr<Map_Poly> triangle(const Vec2& at)
{
    return std::make_unique<Map_Poly>(std::vector<Vec2>{{0, 0}, {6, 0}, {0, 3}}, at, 1, 0.0f, 0,
                                      0);
}

std::unique_ptr<Map_Aabb> box(const Vec2& centre, float width, float height)
{
    return std::make_unique<Map_Aabb>(centre, width, height, 1, 0, 0, 0.0f, kUvTile);
}

struct Extent {
    Vec2 low;
    Vec2 high;
};

Extent extentOf(const std::vector<Vec2>& points)
{
    Extent e{points.at(0), points.at(0)};
    for (const Vec2& p : points) {
        e.low = Vec2(std::min(e.low.x, p.x), std::min(e.low.y, p.y));
        e.high = Vec2(std::max(e.high.x, p.x), std::max(e.high.y, p.y));
    }
    return e;
}

TEST(SelectionKinds, EachKindTellsItsLevelAndWhetherItIsAVertex)
{
    TestScene scene;
    auto object = box({0, 0}, 4, 2);
    ImageGeometry& body = *object->drawables.at(0);
    struct Row {
        std::unique_ptr<Selection> selection;
        SelectionKind kind;
        bool objectLevel;
        bool isVertex;
    };
    Row rows[] = {
        {std::make_unique<ObjectSelection>(scene, *object), kSelectObject, true, false},
        {std::make_unique<ObjectVertexSelection>(scene, *object, 0), kSelectObjectVertex, true,
         true},
        {std::make_unique<ImgVertexSelection>(scene, body, 0, *object), kSelectImageVertex,
         false, true},
        {std::make_unique<ImgGeoSelection>(scene, body, *object), kSelectImageGeometry, false,
         false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.kind);
        EXPECT_EQ(row.selection->kind(), row.kind);
        EXPECT_EQ(row.selection->objectLevel(), row.objectLevel);
        EXPECT_EQ(row.selection->isVertex(), row.isVertex);
        EXPECT_EQ(row.selection->geometryCode(), kGeometryBox);
    }
}

// The anchor is what snapping puts on the grid.
TEST(SelectionKinds, ObjectAnchorsFollowTheShapeCode)
{
    TestScene scene;
    Map_Circle circle(Vec2(3, 4), 2.0f, 1, 0);
    auto poly = triangle(Vec2(10, 10));
    auto built = box({1, 1}, 4, 2);
    auto sorted = box({1, 1}, 4, 2);
    sorted->sortCorners();
    Map_Poly empty;
    empty.center = Vec2(7, 8);

    EXPECT_EQ(ObjectSelection(scene, circle).getAnchor(), Vec2(3, 4));
    EXPECT_EQ(ObjectSelection(scene, *poly).getAnchor(), poly->points.front());
    // The top-left corner, in whichever slot it sits.
    EXPECT_EQ(ObjectSelection(scene, *built).getAnchor(), Vec2(-1, 2));
    EXPECT_EQ(ObjectSelection(scene, *sorted).getAnchor(), Vec2(-1, 2));
    EXPECT_EQ(ObjectSelection(scene, empty).getAnchor(), Vec2(7, 8));

    auto odd = box({1, 1}, 4, 2);
    odd->geometry = 99;
    CaptureStdout();
    ObjectSelection unknown(scene, *odd);
    EXPECT_EQ(unknown.getAnchor(), Vec2(0, 0));
    EXPECT_NE(GetCapturedStdout().find("well thats not right"), std::string::npos);
}

// The marker's frame lies inside the shape's bounds, its outer edge on them.
TEST(SelectionKinds, ObjectHighlightCoversTheShapesBounds)
{
    TestScene scene;
    Map_Circle circle(Vec2(30, 40), 20.0f, 1, 0);
    Map_Poly poly({{0, 0}, {60, 0}, {0, 30}}, Vec2(10, 10), 1, 0.0f, 0, 0);
    auto rect = box({10, 10}, 40, 20);
    const Extent circleBounds = extentOf(ObjectSelection(scene, circle).highlight()->points);
    EXPECT_EQ(circleBounds.low, Vec2(10, 20));
    EXPECT_EQ(circleBounds.high, Vec2(50, 60));
    const Extent polyPoints = extentOf(poly.points);
    const Extent polyBounds = extentOf(ObjectSelection(scene, poly).highlight()->points);
    EXPECT_EQ(polyBounds.low, polyPoints.low);
    EXPECT_EQ(polyBounds.high, polyPoints.high);
    const Extent boxBounds = extentOf(ObjectSelection(scene, *rect).highlight()->points);
    EXPECT_EQ(boxBounds.low, Vec2(-10, 0));
    EXPECT_EQ(boxBounds.high, Vec2(30, 20));
}

// The marker of a vertex keeps its size on screen: its half-size is a
// fixed share of the view width.
TEST(SelectionKinds, VertexMarkerScalesWithTheView)
{
    for (float width : {350.0f, 3500.0f}) {
        SCOPED_TRACE(width);
        TestScene scene;
        scene.width = width;
        auto poly = triangle(Vec2(10, 10));
        ObjectVertexSelection vertex(scene, *poly, 1);
        const Extent marker = extentOf(vertex.highlight()->points);
        const float h = width / 350.0f;
        EXPECT_FLOAT_EQ(marker.low.x, poly->points[1].x - h);
        EXPECT_FLOAT_EQ(marker.high.y, poly->points[1].y + h);
    }
}

TEST(SelectionKinds, VertexPositionIsTheOriginSoOnlyTheVertexMoves)
{
    TestScene scene;
    auto poly = triangle(Vec2(10, 10));
    const Vec2 centreBefore = poly->center;
    const Vec2 anchorBefore = poly->originalCenter();
    ObjectVertexSelection vertex(scene, *poly, 2);
    EXPECT_EQ(vertex.getPosition(), Vec2(0, 0));
    vertex.setPosition(Vec2(50, 50));
    EXPECT_EQ(poly->originalCenter(), anchorBefore);

    const Vec2 moved = poly->points[2] + Vec2(3, 0);
    vertex.translate(Vec2(3, 0), false);
    EXPECT_EQ(poly->points[2], moved);
    EXPECT_EQ(poly->center, centreBefore + Vec2(1, 0));
    // The body is rebuilt through the moved point.
    EXPECT_EQ(poly->drawables.back()->points[2], moved);
}

TEST(SelectionKinds, ObjectPositionIsTheParallaxAnchor)
{
    TestScene scene;
    Map_Circle circle(Vec2(3, 4), 2.0f, 1, 0);
    circle.setOriginalCenter(Vec2(-5, -5));
    ObjectSelection selection(scene, circle);
    EXPECT_EQ(selection.getPosition(), Vec2(-5, -5));
    selection.setPosition(Vec2(1, 2));
    EXPECT_EQ(circle.originalCenter(), Vec2(1, 2));
}

// A vertex is in reach when the pointer's circle comes within a margin of a
// 150th of the view width.
TEST(SelectionKinds, VertexUnderCursorWithinTheViewMargin)
{
    TestScene scene;
    scene.width = 300.0f;  // margin 2, cursor radius 1
    auto poly = triangle(Vec2(10, 10));
    ObjectVertexSelection vertex(scene, *poly, 0);
    const Vec2 v = poly->points[0];
    scene.pointAt(v.x + 2.9f, v.y);
    EXPECT_TRUE(vertex.isUnderCursor());
    scene.pointAt(v.x + 3.1f, v.y);
    EXPECT_FALSE(vertex.isUnderCursor());
}

// A vertex whose point is gone does nothing and is under no cursor.
TEST(SelectionKinds, VanishedVertexIsLeftAlone)
{
    TestScene scene;
    auto poly = triangle(Vec2(10, 10));
    ObjectVertexSelection vertex(scene, *poly, 2);
    poly->points.pop_back();
    EXPECT_EQ(vertex.vertex(), nullptr);
    EXPECT_EQ(vertex.target(), nullptr);
    const auto before = poly->points;
    vertex.translate(Vec2(1, 1), false);
    vertex.rotate(Vec2(0, 0), 1.0f, false);
    vertex.scale(Vec2(0, 0), 2.0f, 2.0f, false);
    vertex.refreshHighlight();
    EXPECT_EQ(poly->points, before);
    scene.pointAt(before[0].x, before[0].y);
    EXPECT_FALSE(vertex.isUnderCursor());
    EXPECT_EQ(vertex.getAnchor(), Vec2(0, 0));
}

TEST(SelectionKinds, FinishingAVertexEditRecentresTheOwner)
{
    TestScene scene;
    auto rect = box({1, 1}, 4, 2);
    ObjectVertexSelection corner(scene, *rect, 1);
    rect->corners[1] += Vec2(4, 4);
    corner.finishEdit();
    EXPECT_EQ(rect->center, Vec2(2, 2));
}

}  // namespace
