#include "editor/world/AnimatingSprite.h"
#include "editor/world/Bounds.h"
#include "editor/world/Map_Aabb.h"
#include "editor/world/Map_Circle.h"
#include "editor/world/Map_Poly.h"

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <string>

namespace {

using Shape = std::function<std::unique_ptr<GameObject>()>;

Shape box(float cx, float cy, float width, float height)
{
    return [=] {
        return std::make_unique<Map_Aabb>(Vec2(cx, cy), width, height, 1, 0, 0, 0.0f, kUvTile);
    };
}

Shape circle(float cx, float cy, float radius)
{
    return [=] { return std::make_unique<Map_Circle>(Vec2(cx, cy), radius, 1, 0); };
}

// An axis-aligned rectangle as a polygon, counter-clockwise from its lower left.
Shape rect(float x0, float y0, float x1, float y1)
{
    return [=] {
        const std::vector<Vec2> outline = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
        return std::make_unique<Map_Poly>(outline, Vec2((x0 + x1) / 2, (y0 + y1) / 2), 1, 0.0f,
                                          0, 0);
    };
}

Shape emptyPoly()
{
    return [] { return std::make_unique<Map_Poly>(); };
}

// Left untouched by a resolution that finds nothing.
const Vec2 kUntouched(99, 99);

struct PairCase {
    const char* name;
    Shape first;
    Shape second;
    bool collides;
    bool resolves;
    Vec2 push;  // the move of the first shape; kUntouched when none is written
};

const PairCase kPairs[] = {
    {"box/box apart", box(0, 0, 2, 2), box(5, 0, 2, 2), false, false, kUntouched},
    {"box/box touching", box(0, 0, 2, 2), box(2, 0, 2, 2), true, true, {0, 0}},
    // x: the other reaches over the high side by 1; y: it lies inside,
    // nearer the low side.
    {"box/box overlapping", box(2, 2, 4, 4), box(4.5f, 1.5f, 3, 1), true, true, {-1, 0}},
    {"box/circle apart", box(0, 0, 2, 2), circle(3, 0, 1), false, false, {0, 0}},
    {"box/circle touching", box(0, 0, 2, 2), circle(2, 0, 1), false, false, {0, 0}},
    {"box/circle overlapping", box(0, 0, 2, 2), circle(1.5f, 0, 1), true, true, {-0.5f, 0}},
    {"box/polygon apart", box(0, 0, 2, 2), rect(2, -0.5f, 4, 0.5f), false, false, kUntouched},
    {"box/polygon touching", box(0, 0, 2, 2), rect(1, -0.5f, 3, 0.5f), true, true, {0, 0}},
    {"box/polygon overlapping", box(0, 0, 2, 2), rect(0.5f, -0.5f, 2.5f, 0.5f), true, true,
     {-0.5f, 0}},
    {"circle/box overlapping", circle(1.5f, 0, 1), box(0, 0, 2, 2), true, true, {0.5f, 0}},
    {"circle/box centre inside", circle(0.5f, 0, 1), box(0, 0, 2, 2), true, true, {0, 0}},
    {"circle/box touching", circle(0, 2, 1), box(0, 0, 2, 2), false, false, {0, 0}},
    {"circle/circle apart", circle(0, 0, 1), circle(3, 0, 1), false, false, kUntouched},
    {"circle/circle touching", circle(0, 0, 1), circle(2, 0, 1), false, false, kUntouched},
    {"circle/circle overlapping", circle(0, 0, 1), circle(1.5f, 0, 1), true, true, {-0.5f, 0}},
    {"circle/polygon apart", circle(3, 0, 1), rect(-1, -1, 1, 1), false, false, kUntouched},
    // Projections that touch overlap.
    {"circle/polygon touching", circle(2, 0, 1), rect(-1, -1, 1, 1), true, true, {0, 0}},
    {"circle/polygon overlapping", circle(1.5f, 0, 1), rect(-1, -1, 1, 1), true, true,
     {0.5f, 0}},
    // Within reach of every edge line, but not of the corner vertex.
    {"circle/polygon beyond the corner", circle(1.8f, 1.8f, 1), rect(-1, -1, 1, 1), false,
     false, kUntouched},
    // The shortest way out is along the corner vertex's axis.
    {"circle/polygon at the corner", circle(1.6f, 1.6f, 1), rect(-1, -1, 1, 1), true, true,
     {0.1071068f, 0.1071068f}},
    {"polygon/box overlapping", rect(0.5f, -0.5f, 2.5f, 0.5f), box(0, 0, 2, 2), true, true,
     {0.5f, 0}},
    {"polygon/circle overlapping", rect(-1, -1, 1, 1), circle(1.5f, 0, 1), true, true,
     {-0.5f, 0}},
    {"polygon/polygon apart", rect(-1, -1, 1, 1), rect(2, -0.5f, 4, 0.5f), false, false,
     kUntouched},
    {"polygon/polygon touching", rect(-1, -1, 1, 1), rect(1, -0.5f, 3, 0.5f), true, true,
     {0, 0}},
    {"polygon/polygon overlapping", rect(-1, -1, 1, 1), rect(0.5f, -0.5f, 2.5f, 0.5f), true,
     true, {-0.5f, 0}},
    // A polygon without points touches nothing, from either side.
    {"empty polygon/box", emptyPoly(), box(0, 0, 2, 2), false, false, kUntouched},
    {"box/empty polygon", box(0, 0, 2, 2), emptyPoly(), false, false, kUntouched},
    {"circle/empty polygon", circle(0, 0, 1), emptyPoly(), false, false, kUntouched},
    {"empty polygon/polygon", emptyPoly(), rect(-1, -1, 1, 1), false, false, kUntouched},
};

class ShapePairTest : public testing::TestWithParam<PairCase> {};

TEST_P(ShapePairTest, CollidesAndResolves)
{
    const PairCase& c = GetParam();
    auto first = c.first();
    auto second = c.second();
    EXPECT_EQ(first->collides(*second), c.collides);
    Vec2 push = kUntouched;
    EXPECT_EQ(first->collideAndResolve(*second, push), c.resolves);
    EXPECT_NEAR(push.x, c.push.x, 1e-5f);
    EXPECT_NEAR(push.y, c.push.y, 1e-5f);
}

std::string caseName(const testing::TestParamInfo<PairCase>& info)
{
    std::string name = info.param.name;
    for (char& ch : name) {
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(AllPairs, ShapePairTest, testing::ValuesIn(kPairs), caseName);

TEST(ShapeCollision, AShapeCodeWithoutItsShapeNeverCollides)
{
    auto probe = circle(0, 0, 1)();
    auto impostor = box(0, 0, 2, 2)();
    impostor->geometry = kGeometryCircle;  // says circle, is a box
    EXPECT_FALSE(probe->collides(*impostor));
    impostor->geometry = 9;
    EXPECT_FALSE(probe->collides(*impostor));
    Vec2 push = kUntouched;
    EXPECT_TRUE(rect(-1, -1, 1, 1)()->collideAndResolve(*impostor, push));
    EXPECT_EQ(push, kUntouched);
}

void expectCorners(const Aabb& box, const std::vector<Vec2>& expected)
{
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(box.corners[i], expected[i]) << "corner " << i;
    }
}

TEST(Aabb, ConstructorsKeepCornerOneAsTheMaximum)
{
    const std::vector<Vec2> expected = {{-2, 1}, {2, 1}, {2, -1}, {-2, -1}};
    const Map_Aabb plain({0, 0}, 4.0f, 2.0f, 1, 0, 0, 0.0f, kUvTile);
    expectCorners(plain, expected);
    const Map_Aabb flipped({0, 0}, -4.0f, -2.0f, 1, 0, 0, 0.0f, kUvTile);
    expectCorners(flipped, expected);
    EXPECT_EQ(flipped.width, 4.0f);
    EXPECT_EQ(flipped.height, 2.0f);
    const Map_Aabb halves({0, 0}, 2.0f, 1.0f, 1, 0, kUvTile);
    expectCorners(halves, expected);
    EXPECT_EQ(halves.width, 4.0f);
    EXPECT_EQ(halves.height, 2.0f);
    EXPECT_EQ(halves.drawables.size(), 1u);
    EXPECT_EQ(plain.geometry, kGeometryBox);
    EXPECT_EQ(plain.type, 0);

    const Map_Aabb reader;
    expectCorners(reader, {{-1, 1}, {1, 1}, {1, -1}, {-1, -1}});
    EXPECT_EQ(reader.type, 1);
    EXPECT_EQ(reader.layer, 1);
}

TEST(Aabb, SortCornersRunsCounterClockwiseFromTheLowerRight)
{
    Map_Aabb box({0, 0}, 4.0f, 2.0f, 1, 0, 0, 0.0f, kUvTile);
    box.sortCorners();
    expectCorners(box, {{2, -1}, {2, 1}, {-2, 1}, {-2, -1}});
    // A dragged corner that crossed its opposite one is put back in order.
    box.corners[0] = Vec2(-5, 1);
    box.corners[1] = Vec2(-5, -3);
    box.corners[2] = Vec2(-2, -3);
    box.corners[3] = Vec2(-2, 1);
    box.sortCorners();
    expectCorners(box, {{-2, -3}, {-2, 1}, {-5, 1}, {-5, -3}});
}

TEST(Aabb, BorderComesFirstWhenBuiltAndLastWhenRebuilt)
{
    Map_Aabb box({0, 0}, 4.0f, 2.0f, 1, 5, 6, 0.5f, kUvStretch);
    ASSERT_EQ(box.drawables.size(), 2u);
    EXPECT_EQ(box.drawables[0]->img, 6u);
    EXPECT_EQ(box.drawables[1]->img, 5u);
    box.animatedBody = true;
    box.rebuildDrawables();
    ASSERT_EQ(box.drawables.size(), 2u);
    EXPECT_NE(dynamic_cast<AnimatingSprite*>(box.drawables[0].get()), nullptr);
    EXPECT_EQ(box.drawables[1]->img, 6u);
}

// A border given to a shape later, by a width or a new width, comes ahead
// of the body and is drawn in front of it (nearer: a smaller depth offset),
// as a shape built with its border has it; the body keeps its texture and
// points. Width 0 leaves the body alone.
TEST(BorderWidth, ABorderGivenLaterLiesAheadOfTheBodyAndInFrontOfIt)
{
    struct Case {
        const char* name;
        std::function<std::unique_ptr<GameObject>()> make;
        std::function<void(GameObject&, float)> setWidth;
    } cases[] = {
        {"box", [] { return std::make_unique<Map_Aabb>(Vec2(0, 0), 40.0f, 20.0f, 3, 5, 6, 0.0f, kUvTile); },
         [](GameObject& o, float w) { dynamic_cast<Aabb&>(o).setBorderSize(w); }},
        {"polygon",
         [] { return std::make_unique<Map_Poly>(std::vector<Vec2>{{0, 0}, {30, 0}, {0, 30}}, Vec2(0, 0), 3, 0.0f, 5, 6); },
         [](GameObject& o, float w) { dynamic_cast<Poly&>(o).setLineWidth(w); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<GameObject> shape = c.make();
        ASSERT_EQ(shape->drawables.size(), 1u);
        const std::vector<Vec2> bodyPoints = shape->drawables[0]->points;
        for (float width : {4.0f, 9.0f}) {
            c.setWidth(*shape, width);
            ASSERT_EQ(shape->drawables.size(), 2u);
            const ImageGeometry& border = *shape->drawables[0];
            const ImageGeometry& body = *shape->drawables[1];
            EXPECT_EQ(border.borderSize, width);
            EXPECT_EQ(border.img, 6u);
            EXPECT_LT(border.subLayer, body.subLayer) << "drawn in front of the body";
            EXPECT_EQ(body.borderSize, 0.0f);
            EXPECT_EQ(body.img, 5u);
            EXPECT_EQ(body.points, bodyPoints);
        }
        c.setWidth(*shape, 0.0f);
        ASSERT_EQ(shape->drawables.size(), 1u);
        EXPECT_EQ(shape->drawables[0]->points, bodyPoints);
    }
}

TEST(Aabb, MovesAndScalesCornersCentreAndDrawables)
{
    Map_Aabb box({0, 0}, 4.0f, 2.0f, 1, 0, 0, 0.0f, kUvTile);
    box.moveTo({10, 10});
    expectCorners(box, {{8, 11}, {12, 11}, {12, 9}, {8, 9}});
    EXPECT_EQ(box.drawables[0]->points[1], Vec2(12, 11));
    box.scale({10, 10}, 2.0f, 3.0f, 0, true);
    expectCorners(box, {{6, 13}, {14, 13}, {14, 7}, {6, 7}});
    EXPECT_EQ(box.drawables[0]->points[1], Vec2(12, 11));
    box.recomputeCenter();
    EXPECT_EQ(box.center, Vec2(10, 10));
}

TEST(Circle, ScalesUniformlyAndStretchesItsBodyOverTheSquare)
{
    Map_Circle c({1, 1}, 2.0f, 4, 9);
    ASSERT_EQ(c.drawables.size(), 1u);
    EXPECT_EQ(c.drawables[0]->uvMapMode, kUvStretch);
    EXPECT_EQ(c.drawables[0]->points[0], Vec2(-1, 3));
    EXPECT_EQ(c.drawables[0]->uvs[0], Vec2(0, 1));
    c.scale({0, 0}, 2.0f, 3.0f, 0, false);
    EXPECT_EQ(c.radius, 4.0f);
    EXPECT_EQ(c.center, Vec2(2, 2));
    EXPECT_EQ(c.drawables[0]->points[0], Vec2(-2, 6));

    const Map_Circle reader;
    EXPECT_EQ(reader.type, 1);
    EXPECT_EQ(reader.radius, 1.0f);
    EXPECT_EQ(reader.layer, 1);
    EXPECT_EQ(reader.geometry, kGeometryCircle);
}

TEST(Poly, IsCentredOnItsPositionWithTheBorderFirst)
{
    const Map_Poly plain({{0, 0}, {3, 0}, {0, 3}}, {10, 10}, 2, 0.0f, 4, 5);
    EXPECT_EQ(plain.center, Vec2(10, 10));
    EXPECT_EQ(plain.points, (std::vector<Vec2>{{9, 9}, {12, 9}, {9, 12}}));
    ASSERT_EQ(plain.drawables.size(), 1u);
    EXPECT_EQ(plain.drawables[0]->drawtype, kDrawPolygon);
    EXPECT_EQ(plain.drawables[0]->points, plain.points);

    Map_Poly bordered({{0, 0}, {3, 0}, {0, 3}}, {10, 10}, 2, 2.0f, 4, 5);
    ASSERT_EQ(bordered.drawables.size(), 2u);
    EXPECT_EQ(bordered.drawables[0]->drawtype, kDrawQuads);
    EXPECT_EQ(bordered.drawables[0]->img, 5u);
    EXPECT_EQ(bordered.drawables[0]->borderSize, 2.0f);
    EXPECT_EQ(bordered.drawables[1]->img, 4u);

    bordered.setRendImg(8);
    EXPECT_EQ(bordered.RendImg, 8u);
    EXPECT_EQ(bordered.drawables[1]->img, 4u);
    bordered.points[0] = Vec2(0, 0);
    bordered.rebuildDrawables();
    EXPECT_EQ(bordered.drawables[1]->img, 8u);
    EXPECT_EQ(bordered.drawables[1]->points[0], Vec2(0, 0));
}

TEST(Poly, CornerOffsetsShiftACopyOfThePoints)
{
    Map_Poly poly({{0, 0}, {2, 0}, {0, 2}}, {0, 0}, 1, 0.0f, 0, 0);
    const std::vector<Vec2> own = poly.points;
    poly.updateCornerOffsets({1, 1});
    EXPECT_TRUE(poly.ownsCollisionPoints());
    EXPECT_EQ(poly.collisionPoints()[0], own[0] + Vec2(1, 1));
    EXPECT_EQ(poly.points, own);
    poly.updateCornerOffsets({0, 0});
    EXPECT_FALSE(poly.ownsCollisionPoints());
    EXPECT_EQ(&poly.collisionPoints(), &poly.points);
}

TEST(Bounds, FollowTheShapeCode)
{
    struct Case {
        const char* name;
        Shape shape;
        Vec2 min;
        Vec2 max;
    };
    const Case cases[] = {
        {"circle", circle(1, 1, 2), {-1, -1}, {3, 3}},
        {"box", box(0, 0, 4, 2), {-2, -1}, {2, 1}},
        {"polygon", rect(-1, 2, 3, 5), {-1, 2}, {3, 5}},
        {"empty polygon", emptyPoly(), {7, 7}, {8, 8}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Vec2 low(7, 7);
        Vec2 high(8, 8);
        computeBounds(*c.shape(), low, high);
        EXPECT_EQ(low, c.min);
        EXPECT_EQ(high, c.max);
    }

    auto odd = box(0, 0, 4, 2)();
    odd->geometry = 9;
    Vec2 low(7, 7);
    Vec2 high(8, 8);
    testing::internal::CaptureStdout();
    computeBounds(*odd, low, high);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "default case 2: should not be default something broke\n");
    EXPECT_EQ(low, Vec2(7, 7));
    EXPECT_EQ(high, Vec2(8, 8));
}

}  // namespace
