#include "editor/world/GameObject.h"
#include "editor/world/Map_Aabb.h"
#include "editor/world/Map_Circle.h"
#include "editor/world/Map_Poly.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

void expectNear(const Vec2& actual, const Vec2& expected)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-4f);
    EXPECT_NEAR(actual.y, expected.y, 1e-4f);
}

// A box at (30, 0) that was at (0, 0) at 100 ms and at (10, 0) at 200 ms.
class RewindTest : public testing::Test {
protected:
    RewindTest() : box({30, 0}, 2, 2, 1, 0, 0, 0.0f, kUvTile)
    {
        box.history.push_back(Snapshot{100, 0, 0, 0, true});
        box.history.push_back(Snapshot{200, 10, 0, 0, true});
        box.newestStateTime = 300;
    }

    Map_Aabb box;
};

TEST_F(RewindTest, CodesAndPositionsOverTheHistory)
{
    struct Case {
        uint32_t t;
        int32_t code;
        Vec2 position;
    };
    const Case cases[] = {
        {0, 0, {30, 0}},    // no rewinding asked for
        {150, 3, {5, 0}},   // between two entries
        {250, 2, {20, 0}},  // between the newest entry and the current state
        {50, 1, {0, 0}},    // older than the history: its oldest entry
        {400, 4, {30, 0}},  // newer than the newest state
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.t);
        EXPECT_EQ(box.rewindToTime(c.t), c.code);
        expectNear(box.collisionPosition, c.position);
        // The corners that pair tests see follow the rewound position.
        expectNear(box.collisionCorners()[1], c.position + Vec2(1, 1));
        EXPECT_EQ(box.ownsCollisionCorners(), !(c.position == box.center));
    }
}

TEST_F(RewindTest, AJumpIsNotInterpolated)
{
    box.history.back().interpolate = false;
    EXPECT_EQ(box.rewindToTime(150), 3);
    expectNear(box.collisionPosition, {10, 0});
    box.history.clear();
    EXPECT_EQ(box.rewindToTime(150), 1);
    expectNear(box.collisionPosition, {30, 0});
}

TEST_F(RewindTest, PairTestsRewindNetworkedObjectsToACommonTime)
{
    Map_Circle circle({100, 0}, 1, 1, 0);
    circle.newestStateTime = 260;
    box.collides(circle);
    EXPECT_EQ(box.rewindTime, 0u);
    expectNear(box.collisionPosition, box.center);
    EXPECT_FALSE(box.ownsCollisionCorners());

    box.networked = true;
    circle.networked = true;
    box.collides(circle);
    // The older of both newest times, on the 17 ms grid: 260 - 260 % 17.
    EXPECT_EQ(box.rewindTime, 255u);
    EXPECT_EQ(circle.rewindTime, 255u);
    expectNear(box.collisionPosition, {21, 0});  // 55 of the 100 ms from (10, 0) to (30, 0)
    expectNear(circle.collisionPosition, circle.center);
    EXPECT_TRUE(box.ownsCollisionCorners());
}

// Counts how often it is updated and remembers its owner.
class TouchComponent : public Component {
public:
    explicit TouchComponent(GameObject* owner) : Component(owner) {}
    std::unique_ptr<Component> clone(GameObject* newOwner) const override
    {
        auto copy = std::make_unique<TouchComponent>(newOwner);
        copy->updates = updates;
        return copy;
    }
    void update() override { owner->translate({1, 0}, 0, false); ++updates; }
    int updates = 0;
};

TEST(GameObject, ACloneOwnsEverythingItHoldsAndOutlivesItsOriginal)
{
    auto original = std::make_unique<Map_Aabb>(Vec2(0, 0), 4.0f, 2.0f, 3, 5, 6, 1.0f, kUvTile);
    Map_Circle firstChild({1, 1}, 1, 3, 0);
    Map_Poly secondChild({{0, 0}, {1, 0}, {0, 1}}, {2, 2}, 3, 0.0f, 0, 0);
    original->children = {&firstChild, &secondChild};
    firstChild.parentadr = original.get();
    original->components.push_back(std::make_unique<TouchComponent>(original.get()));
    original->id = 77;
    original->setAlignment(1);
    original->setParallax(0.5f, 0);
    original->locked = true;

    std::unique_ptr<GameObject> clone = original->clone();
    const VNet_Node* originalNode = original->networkNode();
    original.reset();

    auto* box = dynamic_cast<Map_Aabb*>(clone.get());
    ASSERT_NE(box, nullptr);
    EXPECT_NE(box->networkNode(), nullptr);
    EXPECT_NE(box->networkNode(), originalNode);
    EXPECT_EQ(box->id, 77u);
    EXPECT_EQ(box->alignment, 1);
    EXPECT_EQ(box->type, kParallaxType);
    EXPECT_TRUE(box->locked);
    EXPECT_EQ(box->borderSize, 1.0f);
    ASSERT_EQ(box->drawables.size(), 2u);
    for (const auto& drawable : box->drawables) EXPECT_EQ(drawable->layerRef, &box->layer);

    ASSERT_EQ(box->children.size(), 2u);
    for (GameObject* child : box->children) {
        EXPECT_NE(child, &firstChild);
        EXPECT_NE(child, &secondChild);
        EXPECT_EQ(child->parentadr, nullptr);
    }
    ASSERT_EQ(box->components.size(), 1u);
    box->components.front()->update();
    EXPECT_EQ(box->components.front()->owner, box);
    expectNear(box->center, {1, 0});
    box->layer = 8;
    EXPECT_EQ(box->drawables[0]->drawLayer(), 8);

    // Pair tests read the clone's own corners.
    Map_Circle probe({3.5f, 0}, 1, 1, 0);
    EXPECT_TRUE(box->collides(probe));

    for (GameObject* child : box->children) delete child;
}

TEST(GameObject, AlignmentAndParallaxReachOnlyOwnedChildrenWhileDrawingReachesAll)
{
    Map_Circle parent({0, 0}, 1, 1, 0);
    Map_Circle owned({0, 0}, 1, 1, 0);
    Map_Circle independent({0, 0}, 1, 1, 0);
    independent.owned = false;
    parent.children = {&owned, &independent};

    parent.setAlignment(1);
    EXPECT_EQ(owned.alignment, 1);
    EXPECT_EQ(independent.alignment, 0);

    parent.setParallax(0, 0.5f);
    EXPECT_EQ(parent.type, kParallaxType);
    EXPECT_EQ(owned.type, kParallaxType);
    EXPECT_EQ(independent.type, 0);
    parent.setParallax(0, 0);
    EXPECT_EQ(parent.type, kParallaxType);
    expectNear(owned.para, {0, 0});

    parent.setDrawEnabled(false);
    for (const GameObject* object : {&parent, &owned, &independent}) {
        EXPECT_FALSE(object->draw);
        for (const auto& drawable : object->drawables) EXPECT_FALSE(drawable->drawEnabled);
    }
}

TEST(GameObject, ChildrenFollowMovesByTheirInheritanceFactors)
{
    Map_Poly parent({{0, 0}, {2, 0}, {2, 2}, {0, 2}}, {0, 0}, 1, 0.0f, 0, 0);
    Map_Circle half({0, 0}, 1, 1, 0);
    half.inheritTrans = 0.5f;
    Map_Circle fixed({0, 0}, 1, 1, 0);
    fixed.inheritTrans = 0.0f;
    fixed.inheritRot = 0.0f;
    parent.children = {&half, &fixed};

    parent.translateXY(4, 2, 0, false);
    expectNear(half.center, {2, 1});
    expectNear(fixed.center, {0, 0});

    parent.rotate({0, 0}, static_cast<float>(M_PI), 0, false);
    expectNear(half.center, {-2, -1});
    expectNear(fixed.center, {0, 0});
}

TEST(GameObject, EveryObjectHasANodeOfItsOwn)
{
    Map_Circle a;
    Map_Circle b;
    EXPECT_NE(a.networkNode(), nullptr);
    EXPECT_NE(a.networkNode(), b.networkNode());
}

// The parallax anchor goes wherever an edit takes the centre, for every
// shape and every kind of edit, so that the parallax layers carry the
// object from where it was left; placing it for a camera keeps the anchor
// exactly, however often the camera comes and goes; a copy is anchored at
// itself.
TEST(GameObject, TheParallaxAnchorFollowsEveryEditOfTheCentre)
{
    const std::vector<std::pair<const char*, std::function<void(GameObject&)>>> edits = {
        {"translate", [](GameObject& o) { o.translate(Vec2(30, -12), 0, false); }},
        {"move to", [](GameObject& o) { o.moveTo(Vec2(-70, 45)); }},
        {"scale", [](GameObject& o) { o.scale(Vec2(100, 100), 2.0f, 0.5f, 0, false); }},
        {"rotate", [](GameObject& o) { o.rotate(Vec2(100, 0), 0.5f, 0, false); }},
        {"vertex", [](GameObject& o) {
             if (auto* box = dynamic_cast<Aabb*>(&o)) {
                 box->corners[1] += Vec2(40, 20);
                 box->recomputeCenter();
             }
             if (auto* poly = dynamic_cast<Poly*>(&o)) {
                 poly->points[1] += Vec2(40, 20);
                 poly->recomputeCenter();
             }
         }},
    };
    std::vector<std::unique_ptr<GameObject>> shapes;
    shapes.push_back(std::make_unique<Map_Aabb>(Vec2(10, 20), 40.0f, 20.0f, 1, 0, 0, 0.0f, kUvTile));
    shapes.push_back(std::make_unique<Map_Circle>(Vec2(10, 20), 5.0f, 1, 0));
    shapes.push_back(
        std::make_unique<Map_Poly>(std::vector<Vec2>{{0, 0}, {30, 0}, {0, 30}}, Vec2(10, 20), 1, 0.0f, 0, 0));
    for (const auto& shape : shapes) {
        for (const auto& [what, edit] : edits) {
            SCOPED_TRACE(std::string(what) + " of shape " + std::to_string(shape->geometry));
            shape->setParallax(0.5f, 0.25f);
            shape->setOriginalCenter(shape->center - Vec2(200, 50));
            const Vec2 carried = shape->center - shape->originalCenter();
            const Vec2 before = shape->center;
            edit(*shape);
            const bool unmoved = (shape->geometry == kGeometryCircle && std::string(what) == "vertex") ||
                                 (shape->geometry == kGeometryBox && std::string(what) == "rotate");
            if (!unmoved) {
                EXPECT_NE(shape->center, before);
            }
            EXPECT_NEAR(shape->originalCenter().x, shape->center.x - carried.x, 1e-3);
            EXPECT_NEAR(shape->originalCenter().y, shape->center.y - carried.y, 1e-3);
        }

        const Vec2 anchor = shape->originalCenter();
        for (const Vec2& camera : {Vec2(1234.5f, -77.3f), Vec2(-0.1f, 9999.9f), Vec2(400, 200)}) {
            shape->followParallax(camera);
            EXPECT_EQ(shape->originalCenter(), anchor);
        }
        // Within the rounding of a move from far off.
        EXPECT_NEAR(shape->center.x, anchor.x + 200.0f, 1e-3);
        EXPECT_NEAR(shape->center.y, anchor.y + 50.0f, 1e-3);
        shape->anchorFor(Vec2(-40, 80));
        EXPECT_FLOAT_EQ(shape->originalCenter().x, shape->center.x + 20.0f);
        EXPECT_FLOAT_EQ(shape->originalCenter().y, shape->center.y - 20.0f);

        const std::unique_ptr<GameObject> copy = shape->clone();
        EXPECT_EQ(copy->originalCenter(), copy->center);
        copy->moveTo(Vec2(-500, 500));
        EXPECT_EQ(copy->originalCenter(), copy->center);
    }
}

}  // namespace
