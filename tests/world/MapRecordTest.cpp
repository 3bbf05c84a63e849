#include "editor/world/Map.h"
#include "editor/world/Map_Aabb.h"
#include "editor/world/Map_Circle.h"
#include "editor/world/ObjectRemoval.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

namespace {

std::unique_ptr<Spawn> spawnAt(uint16_t side, const Vec2& position)
{
    auto spawn = std::make_unique<Spawn>();
    createSpawnMarker(*spawn, side, position);
    return spawn;
}

// Takes objects as the simulation does: keeps them and deletes them later.
class KeepingRemoval : public ObjectRemoval {
public:
    KeepingRemoval() { ObjectRemoval::install(this); }
    ~KeepingRemoval() override
    {
        ObjectRemoval::install(nullptr);
        for (GameObject* object : taken) delete object;
    }
    void removeObject(GameObject* object) override { taken.push_back(object); }

    std::vector<GameObject*> taken;
};

TEST(MapRecordTest, SpawnListsGrowUpToTheSideAndKeepTheOrderAdded)
{
    Map map;
    CaptureStdout();
    map.addSpawn(spawnAt(1, Vec2(1, 1)));
    map.addSpawn(spawnAt(0, Vec2(2, 2)));
    map.addSpawn(spawnAt(0, Vec2(3, 3)));
    GetCapturedStdout();
    ASSERT_EQ(map.spawnLists.size(), 2u);
    ASSERT_EQ(map.spawnLists[0].size(), 2u);
    ASSERT_EQ(map.spawnLists[1].size(), 1u);
    Vec2 centre;
    EXPECT_EQ(map.spawnLists[0].front()->marker->getCenter(centre), Vec2(2, 2));
    EXPECT_EQ(map.spawnLists[0].back()->marker->getCenter(centre), Vec2(3, 3));
    EXPECT_EQ(map.spawnLists[1].front()->alignment, 1);

    // The side "Normal" has no marker and still gets its list.
    map.addSpawn(spawnAt(kAlignmentNone, Vec2(4, 4)));
    EXPECT_EQ(map.spawnLists.size(), size_t{kAlignmentNone} + 1);
    EXPECT_EQ(map.spawnLists[kAlignmentNone].front()->marker, nullptr);
}

TEST(MapRecordTest, MarkersAreCirclesOfTheirSideWhateverTheRegistryHolds)
{
    struct Case {
        uint16_t side;
        const char* image;
    };
    for (const Case& c : {Case{0, "Espawn"}, Case{1, "Tspawn"}}) {
        Spawn spawn;
        CaptureStdout();
        createSpawnMarker(spawn, c.side, Vec2(-5, 7.5f));
        // This registry holds no images: the marker is made all the same.
        EXPECT_EQ(GetCapturedStdout(), std::string("ERROR: Could not find image: ") + c.image + "\n");
        EXPECT_EQ(spawn.alignment, c.side);
        const auto* marker = dynamic_cast<const Map_Circle*>(spawn.marker.get());
        ASSERT_NE(marker, nullptr);
        EXPECT_EQ(marker->geometry, kGeometryCircle);
        EXPECT_EQ(marker->radius, 42.0f);
        EXPECT_EQ(marker->layer, 1);
        EXPECT_EQ(marker->center, Vec2(-5, 7.5f));
        ASSERT_EQ(marker->drawables.size(), 1u);
        EXPECT_EQ(marker->drawables[0]->img, static_cast<uint32_t>(-1));
    }
    Spawn other;
    createSpawnMarker(other, 5, Vec2(1, 1));
    EXPECT_EQ(other.alignment, 5);
    EXPECT_EQ(other.marker, nullptr);
}

// A map with spawns in sparse lists and two objects; nobody else holds them.
void fill(Map& map)
{
    CaptureStdout();
    map.md5Text = "d41d8cd98f00b204e9800998ecf8427e";
    map.objects.push_back(new Map_Circle(Vec2(0, 0), 3.0f, 1, 0));
    map.objects.push_back(new Map_Aabb(Vec2(5, 5), 2.0f, 2.0f, 1, 0, 0, 0.0f, 0));
    map.addSpawn(spawnAt(3, Vec2(0, 0)));
    map.addSpawn(spawnAt(1, Vec2(1, 0)));
    map.addSpawn(spawnAt(1, Vec2(2, 0)));
    GetCapturedStdout();
}

TEST(MapRecordTest, UnloadWithoutASimulationDeletesEverything)
{
    Map map;
    fill(map);
    CaptureStdout();
    map.unload();
    EXPECT_EQ(GetCapturedStdout(), "unloading old map\n");
    EXPECT_TRUE(map.objects.empty());
    EXPECT_TRUE(map.spawnLists.empty());
    EXPECT_TRUE(map.md5Text.empty());

    CaptureStdout();
    map.unload();
    EXPECT_EQ(GetCapturedStdout(), "unloading old map\n");
}

TEST(MapRecordTest, UnloadHandsTheObjectsToTheSimulationInOrder)
{
    KeepingRemoval simulation;
    Map map;
    fill(map);
    const std::vector<GameObject*> listed(map.objects.begin(), map.objects.end());
    CaptureStdout();
    map.unload();
    EXPECT_EQ(GetCapturedStdout(), "unloading old map\n");
    EXPECT_EQ(simulation.taken, listed);
    for (GameObject* object : simulation.taken) EXPECT_TRUE(object->markedForDelete);
    EXPECT_TRUE(map.objects.empty());
    EXPECT_TRUE(map.spawnLists.empty());
}

TEST(MapRecordTest, AMapFreedWithoutUnloadLeavesNothingBehind)
{
    {
        KeepingRemoval simulation;
        auto map = std::make_unique<Map>();
        fill(*map);
        map.reset();
        EXPECT_EQ(simulation.taken.size(), 2u);
    }
    auto map = std::make_unique<Map>();
    fill(*map);
    map.reset();  // the sanitizers' leak check sees the rest
}

}  // namespace
