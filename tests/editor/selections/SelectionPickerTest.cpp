#include "TestScene.h"

#include "editor/app/selections/ObjectSelection.h"
#include "editor/app/selections/ObjectVertexSelection.h"
#include "editor/app/selections/SelectionPicker.h"
#include "editor/world/Map.h"
#include "editor/world/Map_Aabb.h"
#include "editor/world/Map_Poly.h"

#include <gtest/gtest.h>

#include <set>

using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

namespace {

// A map with one object of each shape, a locked box and a spawn point of
// each side; the draw list holds the objects, topmost last.
class SelectionPickerTest : public testing::Test {
protected:
    SelectionPickerTest()
    {
        locked.locked = true;
        for (GameObject* object :
             std::initializer_list<GameObject*>{&box, &locked, &poly, &circle, &bordered}) {
            drawList.push_back(object);
        }
        for (uint16_t side : {0, 1}) {
            auto spawn = std::make_unique<Spawn>();
            createSpawnMarker(*spawn, side, Vec2(600, 200.0f * side));
            map.addSpawn(std::move(spawn));
        }
    }

    SelectionPicker picker() { return SelectionPicker(scene, drawList, map); }

    void band(SelectionLevel level, bool vertices, const Vec2& a, const Vec2& b)
    {
        SelectionPicker::spanBand(bandBox, a, b);
        picker().pickInBand(level, vertices, bandBox);
    }

    void click(SelectionLevel level, bool vertices, float x, float y)
    {
        scene.pointAt(x, y);
        picker().pickAtCursor(level, vertices);
    }

    // The selected things, as the selections name them.
    std::set<const void*> selected() const
    {
        std::set<const void*> targets;
        for (const auto& s : scene.list) targets.insert(s->target());
        return targets;
    }

    TestScene scene;
    Map_Aabb box{Vec2(0, 0), 100.0f, 100.0f, 1, 0, 0, 0.0f, kUvTile};
    Map_Aabb locked{Vec2(300, 0), 100.0f, 100.0f, 1, 0, 0, 0.0f, kUvTile};
    Map_Poly poly{{{0, 0}, {60, 0}, {0, 60}}, Vec2(0, 300), 1, 0.0f, 0, 0};
    Map_Circle circle{Vec2(-300, 0), 40.0f, 1, 0};
    // Border strips first, then the body.
    Map_Aabb bordered{Vec2(-300, 300), 100.0f, 100.0f, 1, 0, 0, 10.0f, kUvTile};
    std::vector<GameObject*> drawList;
    Map map;
    Map_Aabb bandBox;
};

GameObject* markerOf(Map& map, uint16_t side)
{
    return map.spawnLists.at(side).front()->marker.get();
}

TEST_F(SelectionPickerTest, BandSkipsLockedObjectsAndTakesSpawns)
{
    band(SelectionLevel::Object, false, Vec2(-1000, -1000), Vec2(1000, 1000));
    EXPECT_EQ(selected(), (std::set<const void*>{&box, &poly, &circle, &bordered,
                                                 markerOf(map, 0), markerOf(map, 1)}));
    // The band's corners are in the order boxes are built in.
    EXPECT_EQ(bandBox.corners[0], Vec2(-1000, 1000));
    EXPECT_EQ(bandBox.corners[2], Vec2(1000, -1000));
}

TEST_F(SelectionPickerTest, BandTogglesWhatItReaches)
{
    band(SelectionLevel::Object, false, Vec2(-1000, -100), Vec2(100, 100));
    EXPECT_EQ(selected(), (std::set<const void*>{&box, &circle}));
    // A second band over the box and the poly: the box leaves, the poly
    // joins, the circle stays.
    band(SelectionLevel::Object, false, Vec2(-50, -50), Vec2(50, 400));
    EXPECT_EQ(selected(), (std::set<const void*>{&circle, &poly}));
}

TEST_F(SelectionPickerTest, ClickTakesTheTopmostUnlockedObject)
{
    Map_Aabb above{Vec2(20, 20), 100.0f, 100.0f, 1, 0, 0, 0.0f, kUvTile};
    drawList.push_back(&above);
    click(SelectionLevel::Object, false, 10, 10);
    EXPECT_EQ(selected(), std::set<const void*>{&above});

    scene.list.clear();
    click(SelectionLevel::Object, false, 300, 0);
    EXPECT_TRUE(scene.list.empty());
}

TEST_F(SelectionPickerTest, ClickOnASpawnTakesOnlyTheMarker)
{
    Map_Aabb under{Vec2(600, 0), 100.0f, 100.0f, 1, 0, 0, 0.0f, kUvTile};
    drawList.push_back(&under);
    CaptureStdout();
    click(SelectionLevel::Object, false, 600, 0);
    EXPECT_NE(GetCapturedStdout().find("DRAGGING?"), std::string::npos);
    EXPECT_EQ(selected(), std::set<const void*>{markerOf(map, 0)});
}

// Polygon points and box corners; circles have no vertices and locked
// objects give none.
TEST_F(SelectionPickerTest, VertexBandTakesPointsAndCornersOfUnlockedObjects)
{
    band(SelectionLevel::Object, true, Vec2(-400, -100), Vec2(400, 400));
    std::set<const void*> expected;
    for (Vec2& p : poly.points) expected.insert(&p);
    for (Vec2& c : box.corners) expected.insert(&c);
    for (Vec2& c : bordered.corners) expected.insert(&c);
    EXPECT_EQ(selected(), expected);
    for (const auto& s : scene.list) EXPECT_EQ(s->kind(), kSelectObjectVertex);
}

// Points just outside the band are still taken within its reach of 5.
TEST_F(SelectionPickerTest, VertexBandReachesFiveUnitsOut)
{
    band(SelectionLevel::Object, true, Vec2(54, 40), Vec2(100, 100));
    EXPECT_EQ(selected(), std::set<const void*>{&box.corners[1]});
}

TEST_F(SelectionPickerTest, VertexClickTakesEveryVertexInReach)
{
    // A second box whose corner meets the first's top-right corner.
    Map_Aabb neighbour{Vec2(100, 100), 100.0f, 100.0f, 1, 0, 0, 0.0f, kUvTile};
    drawList.push_back(&neighbour);
    click(SelectionLevel::Object, true, 52, 52);
    EXPECT_EQ(selected(), (std::set<const void*>{&box.corners[1], &neighbour.corners[3]}));
}

// A click takes the first drawable under the pointer in each object; a
// band every drawable it reaches.
TEST_F(SelectionPickerTest, DrawablePicks)
{
    click(SelectionLevel::Image, false, -300, 300);
    EXPECT_EQ(selected(), std::set<const void*>{bordered.drawables[0].get()});
    for (const auto& s : scene.list) EXPECT_EQ(s->kind(), kSelectImageGeometry);

    scene.list.clear();
    band(SelectionLevel::Image, false, Vec2(-400, 200), Vec2(-200, 400));
    EXPECT_EQ(selected(), (std::set<const void*>{bordered.drawables[0].get(),
                                                 bordered.drawables[1].get()}));
}

TEST_F(SelectionPickerTest, DrawableVertexClickTakesOnePointPerDrawable)
{
    // The body's corner (50, 50) and the band strips' points there.
    click(SelectionLevel::Image, true, 50, 50);
    ASSERT_EQ(scene.list.size(), 1u);
    EXPECT_EQ(scene.list[0].target(), &box.drawables[0]->points[1]);
    EXPECT_EQ(scene.list[0].kind(), kSelectImageVertex);

    scene.list.clear();
    click(SelectionLevel::Image, true, -250, 350);
    std::set<const ImageGeometry*> owners;
    for (const auto& s : scene.list) {
        const void* t = s->target();
        for (const auto& d : bordered.drawables) {
            if (t >= d->points.data() && t < d->points.data() + d->points.size()) {
                owners.insert(d.get());
            }
        }
    }
    EXPECT_EQ(scene.list.size(), 2u);
    EXPECT_EQ(owners.size(), 2u);
}

// A band over thousands of points selects each once and a second band
// deselects them all, leaving the other selections in their order.
TEST_F(SelectionPickerTest, LargeVertexBandTogglesEveryPointOnce)
{
    std::vector<Vec2> outline;
    for (int i = 0; i < 3000; ++i) outline.emplace_back(static_cast<float>(i % 60), i / 60.0f);
    Map_Poly dense(outline, Vec2(2000, 2000), 1, 0.0f, 0, 0);
    drawList.push_back(&dense);
    scene.list.append(std::make_unique<ObjectSelection>(scene, circle));
    band(SelectionLevel::Object, true, Vec2(1900, 1900), Vec2(2100, 2100));
    EXPECT_EQ(scene.list.size(), 3001u);
    band(SelectionLevel::Object, true, Vec2(1900, 1900), Vec2(2100, 2100));
    ASSERT_EQ(scene.list.size(), 1u);
    EXPECT_EQ(scene.list[0].target(), &circle);
}

}  // namespace
