#include "TestScene.h"

#include "editor/app/selections/ObjectVertexSelection.h"
#include "editor/world/Map_Aabb.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A 4 x 2 box around the origin.
std::unique_ptr<Map_Aabb> makeBox()
{
    return std::make_unique<Map_Aabb>(Vec2(0, 0), 4.0f, 2.0f, 1, 0, 0, 0.0f, kUvTile);
}

void expectSorted(const Aabb& box, const Vec2& low, const Vec2& high)
{
    EXPECT_EQ(box.corners[0], Vec2(high.x, low.y));
    EXPECT_EQ(box.corners[1], high);
    EXPECT_EQ(box.corners[2], Vec2(low.x, high.y));
    EXPECT_EQ(box.corners[3], low);
}

Vec2 lowOf(const Vec2& a, const Vec2& b)
{
    return {std::min(a.x, b.x), std::min(a.y, b.y)};
}

Vec2 highOf(const Vec2& a, const Vec2& b)
{
    return {std::max(a.x, b.x), std::max(a.y, b.y)};
}

// The centre of a selection's marker: a vertex marker is centred on its
// vertex.
Vec2 markerCentre(const Selection& selection)
{
    const auto& points = selection.highlight()->points;
    Vec2 low = points[0];
    Vec2 high = points[0];
    for (const Vec2& p : points) {
        low = lowOf(low, p);
        high = highOf(high, p);
    }
    return (low + high) * 0.5f;
}

void expectNear(const Vec2& actual, const Vec2& expected)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-4);
    EXPECT_NEAR(actual.y, expected.y, 1e-4);
}

enum class Order { Built, Sorted };

struct CornerCase {
    Order order;
    size_t slot;
    bool across;  // the corner is dragged past the opposite corner
};

std::string describe(const CornerCase& c)
{
    return std::string(c.order == Order::Built ? "built" : "sorted") + " corner " +
           std::to_string(c.slot) + (c.across ? " across" : " outward");
}

std::vector<CornerCase> everyCorner()
{
    std::vector<CornerCase> cases;
    for (Order order : {Order::Built, Order::Sorted}) {
        for (size_t slot = 0; slot < 4; ++slot) {
            for (bool across : {false, true}) cases.push_back({order, slot, across});
        }
    }
    return cases;
}

// A box in the case's corner order with the case's corner selected.
struct SelectedCorner {
    explicit SelectedCorner(const CornerCase& c) : box(makeBox())
    {
        if (c.order == Order::Sorted) box->sortCorners();
        start = box->corners[c.slot];
        opposite = box->corners[(c.slot + 2) % 4];
        corner = &static_cast<ObjectVertexSelection&>(
            scene.list.append(std::make_unique<ObjectVertexSelection>(scene, *box, c.slot)));
    }

    TestScene scene;
    std::unique_ptr<Map_Aabb> box;
    Vec2 start;
    Vec2 opposite;
    ObjectVertexSelection* corner = nullptr;
};

// A drag moves the corner; two more steps follow. The box stays a sorted
// rectangle spanned by the dragged corner and the fixed opposite one, and
// the selection keeps holding the dragged corner, marker included.
TEST(BoxCornerEdit, EveryCornerFollowsTheDragInEitherOrder)
{
    for (const CornerCase& c : everyCorner()) {
        SCOPED_TRACE(describe(c));
        SelectedCorner selected(c);
        const Vec2 start = selected.start;
        const Vec2 opposite = selected.opposite;
        ObjectVertexSelection& corner = *selected.corner;
        // Outward: away from the opposite corner; across: twice as far the
        // other way, which takes it past the opposite corner on both axes.
        const Vec2 away = start - opposite;
        const Vec2 first = c.across ? away * -2.0f : away * 0.5f;
        const Vec2 step(0.25f, -0.5f);
        Vec2 expected = start;
        for (const Vec2& d : {first, step, step}) {
            corner.translate(d, false);
            expected += d;
            ASSERT_NE(corner.vertex(), nullptr);
            EXPECT_EQ(*corner.vertex(), expected);
            expectNear(markerCentre(corner), expected);
            expectSorted(*selected.box, lowOf(expected, opposite), highOf(expected, opposite));
            EXPECT_EQ(selected.box->center, (expected + opposite) * 0.5f);
        }
    }
}

// Scaling a corner about a point squares the box up the same way.
TEST(BoxCornerEdit, ScalingACornerKeepsARectangleAndFollowsTheCorner)
{
    for (const CornerCase& c : everyCorner()) {
        SCOPED_TRACE(describe(c));
        SelectedCorner selected(c);
        const Vec2 start = selected.start;
        const Vec2 opposite = selected.opposite;
        ObjectVertexSelection& corner = *selected.corner;
        // About the opposite corner by 2: outward; about a point beyond the
        // corner by 3: past the opposite corner.
        const Vec2 about = c.across ? start * 2.0f - opposite : opposite;
        const float factor = c.across ? 3.0f : 2.0f;
        const Vec2 expected = about + (start - about) * factor;
        corner.scale(about, factor, factor, false);
        EXPECT_EQ(*corner.vertex(), expected);
        expectNear(markerCentre(corner), expected);
        expectSorted(*selected.box, lowOf(expected, opposite), highOf(expected, opposite));
    }
}

// Another selected corner of the same box is re-pointed too, so each
// selection still holds the corner it was picked on.
TEST(BoxCornerEdit, OtherSelectedCornersOfTheBoxFollowTheirCorners)
{
    TestScene scene;
    auto box = makeBox();
    auto other = makeBox();
    auto& dragged = static_cast<ObjectVertexSelection&>(
        scene.list.append(std::make_unique<ObjectVertexSelection>(scene, *box, 1)));
    auto& opposite = static_cast<ObjectVertexSelection&>(
        scene.list.append(std::make_unique<ObjectVertexSelection>(scene, *box, 3)));
    auto& elsewhere = static_cast<ObjectVertexSelection&>(
        scene.list.append(std::make_unique<ObjectVertexSelection>(scene, *other, 0)));

    dragged.translate(Vec2(1, 1), false);
    EXPECT_EQ(*dragged.vertex(), Vec2(3, 2));
    EXPECT_EQ(*opposite.vertex(), Vec2(-2, -1));
    EXPECT_EQ(elsewhere.index(), 0u);

    opposite.translate(Vec2(-1, -1), false);
    EXPECT_EQ(*opposite.vertex(), Vec2(-3, -2));
    EXPECT_EQ(*dragged.vertex(), Vec2(3, 2));
    expectSorted(*box, Vec2(-3, -2), Vec2(3, 2));
}

// A corner dragged onto the opposite corner's line leaves a flat box whose
// equal corners are still each held by one slot.
TEST(BoxCornerEdit, FlatBoxKeepsEveryCorner)
{
    TestScene scene;
    auto box = makeBox();
    auto& corner = static_cast<ObjectVertexSelection&>(
        scene.list.append(std::make_unique<ObjectVertexSelection>(scene, *box, 1)));
    corner.translate(Vec2(-4, 0), false);
    EXPECT_EQ(*corner.vertex(), Vec2(-2, 1));
    corner.translate(Vec2(3, 0), false);
    EXPECT_EQ(*corner.vertex(), Vec2(1, 1));
    expectSorted(*box, Vec2(-2, -1), Vec2(1, 1));
}

}  // namespace
