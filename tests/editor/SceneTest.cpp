// Adding, ordering, removing and drawing the objects of the editor's scene.
#include "editor/app/selections/ObjectSelection.h"
#include "editor/app/simulation/DrawnExtent.h"
#include "editor/app/simulation/FrameBoxComponent.h"
#include "editor/app/simulation/ViewCamera.h"
#include "editor/world/Map.h"
#include "editor/world/Map_Aabb.h"
#include "editor/world/Map_Circle.h"
#include "editor/world/Spawn.h"
#include "editor/world/TextureManager.h"
#include "tests/editor/EditorFixture.h"

#include <GL/gl.h>

#include <algorithm>

namespace {

using quillow::test::EditorFixture;

class Scene : public EditorFixture {
protected:
    GameObject* box(uint16_t layer, float x = 0.0f)
    {
        return new Map_Aabb(Vec2(x, 0.0f), 10.0f, 10.0f, layer, 0, 0, 0.0f, kUvTile);
    }
    bool contains(const std::vector<GameObject*>& list, const GameObject* object)
    {
        return std::find(list.begin(), list.end(), object) != list.end();
    }
};

TEST_F(Scene, DrawsHigherLayersFirstAndTheNewestFirstAmongEqualLayers)
{
    GameObject* older5 = box(5);
    GameObject* newer5 = box(5);
    GameObject* seven = box(7);
    for (GameObject* object : {older5, newer5, seven}) sim->addNewObject(object);
    const std::vector<GameObject*> expected{seven, newer5, older5};
    EXPECT_EQ(sim->drawList, expected);
    sim->rebuildDrawList();
    EXPECT_EQ(sim->drawList, expected);
}

TEST_F(Scene, AnObjectAboveTheDrawnLayersIsListedButOnlyARebuildDrawsIt)
{
    GameObject* hidden = box(60001);
    GameObject* topmost = box(60000);
    sim->addNewObject(hidden);
    sim->addNewObject(topmost);
    EXPECT_TRUE(contains(sim->objects, hidden));
    EXPECT_FALSE(contains(sim->drawList, hidden));
    EXPECT_TRUE(contains(sim->drawList, topmost));
    sim->rebuildDrawList();
    EXPECT_EQ(sim->drawList.front(), hidden);
}

TEST_F(Scene, AMarkedObjectLeavesEveryListAtTheNextUpdate)
{
    GameObject* staying = box(3);
    GameObject* leaving = box(3);
    leaving->components.push_back(std::make_unique<FrameBoxComponent>(leaving, app->camera.get()));
    sim->addNewObject(staying);
    sim->addNewObject(leaving);
    sim->setObjectParallax(leaving, 0.5f, 0.0f);
    ASSERT_TRUE(contains(sim->parallaxList, leaving));
    const size_t components = sim->components.size();
    sim->map->objects.remove(leaving);
    sim->removeObject(leaving);
    leaving->markedForDelete = true;
    sim->removeObject(leaving);  // twice is harmless
    step();
    EXPECT_FALSE(contains(sim->objects, leaving));
    EXPECT_FALSE(contains(sim->drawList, leaving));
    EXPECT_FALSE(contains(sim->parallaxList, leaving));
    EXPECT_EQ(sim->components.size(), components - 1);
    EXPECT_TRUE(contains(sim->objects, staying));
}

TEST_F(Scene, ParallaxObjectsFollowTheCameraByTheirFactors)
{
    GameObject* layer = box(2, 100.0f);
    sim->addNewObject(layer);
    sim->setObjectParallax(layer, 0.5f, 0.25f);
    app->camera->pan(Vec2(200.0f, 400.0f));
    step();
    EXPECT_FLOAT_EQ(layer->center.x, 200.0f);
    EXPECT_FLOAT_EQ(layer->center.y, 100.0f);
    testing::internal::CaptureStdout();
    sim->setObjectParallax(layer, 0.0f, 0.0f);
    sim->setObjectParallax(layer, 0.0f, 0.0f);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Parallax set to 0, so we will remove this object\n");
}

TEST_F(Scene, ASpawnWithoutMarkerIsSkippedByUpdateAndDraw)
{
    auto spawn = std::make_unique<Spawn>();
    spawn->alignment = 0;
    sim->map->addSpawn(std::move(spawn));
    step();
    sim->render();
    EXPECT_EQ(sim->map->spawnLists[0].size(), 1u);
}

TEST_F(Scene, AMarkedSpawnMarkerTakesItsSpawnAlong)
{
    auto spawn = std::make_unique<Spawn>();
    createSpawnMarker(*spawn, 1, Vec2(10.0f, 10.0f));
    spawn->marker->markedForDelete = true;
    sim->map->addSpawn(std::move(spawn));
    step();
    EXPECT_TRUE(sim->map->spawnLists[1].empty());
}

TEST_F(Scene, APastedSpawnMarkerBecomesASpawnCentredInTheView)
{
    Spawn original;
    createSpawnMarker(original, 0, Vec2(500.0f, 500.0f));
    sim->clipboard.push_back(original.marker->clone());
    sim->clipboard.push_back(std::make_unique<Map_Circle>(Vec2(700.0f, 500.0f), 20.0f, 3,
                                                          TextureManager::instance()->getTextureId("grass")));
    app->camera->pan(Vec2(-50.0f, 0.0f));
    sim->pasteSelection();
    ASSERT_EQ(sim->map->spawnLists.size(), 1u);
    ASSERT_EQ(sim->map->spawnLists[0].size(), 1u);
    EXPECT_FLOAT_EQ(sim->map->spawnLists[0].front()->marker->center.x, -150.0f);
    ASSERT_EQ(sim->map->objects.size(), 1u);
    EXPECT_FLOAT_EQ(sim->map->objects.front()->center.x, 50.0f);
}

TEST_F(Scene, TheScreenFrameFollowsTheCameraWithABorderOfConstantScreenWidth)
{
    app->camera->pan(Vec2(300.0f, -200.0f));
    step();
    GameObject* frame = menus->shownScreenFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_FLOAT_EQ(frame->center.x, app->camera->position.x);
    EXPECT_FLOAT_EQ(frame->center.y, app->camera->position.y);
    EXPECT_NEAR(frame->drawables.front()->borderSize, 0.002f * app->camera->viewWidth, 1e-3f);
}

TEST_F(Scene, DrawsWithTheGridOnTopAndWithOutlines)
{
    sim->addNewObject(box(4));
    sim->showGeometry = 1;
    app->gridOnTop = 1;
    sim->render();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace

namespace {

using quillow::test::EditorFixture;

class EditCommands : public EditorFixture {
protected:
    GameObject* addBox(float x)
    {
        GameObject* object = new Map_Aabb(Vec2(x, 0.0f), 10.0f, 10.0f, 2, 0, 0, 0.0f, kUvTile);
        sim->addNewObject(object);
        return object;
    }
    void select(GameObject* object)
    {
        sim->MapSimulationManager::selections.append(std::make_unique<ObjectSelection>(*sim, *object));
    }
    size_t selectionCount() const { return sim->MapSimulationManager::selections.size(); }
};

TEST_F(EditCommands, CopyAndPastePlaceTheGroupInTheMiddleOfTheView)
{
    GameObject* left = addBox(100.0f);
    GameObject* right = addBox(300.0f);
    select(left);
    select(right);
    sim->copySelection();
    EXPECT_EQ(sim->clipboard.size(), 2u);
    sim->pasteSelection();
    ASSERT_EQ(sim->map->objects.size(), 4u);
    EXPECT_FLOAT_EQ(sim->map->objects.back()->center.x, 100.0f);
    EXPECT_EQ(selectionCount(), 2u);
}

TEST_F(EditCommands, DeleteRemovesTheSelectedObjectsAtTheNextUpdate)
{
    GameObject* doomed = addBox(0.0f);
    GameObject* kept = addBox(50.0f);
    select(doomed);
    sim->deleteSelection();
    EXPECT_EQ(selectionCount(), 0u);
    step();
    EXPECT_EQ(sim->objects, std::vector<GameObject*>{kept});
    EXPECT_EQ(sim->map->objects, std::list<GameObject*>{kept});
}

TEST_F(EditCommands, CutKeepsACopyOfWhatItDeletes)
{
    GameObject* doomed = addBox(0.0f);
    select(doomed);
    testing::internal::CaptureStdout();
    sim->cutSelection();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "a\n");
    step();
    EXPECT_TRUE(sim->map->objects.empty());
    ASSERT_EQ(sim->clipboard.size(), 1u);
    sim->pasteSelection();
    EXPECT_EQ(sim->map->objects.size(), 1u);
}

TEST_F(EditCommands, NewDropsTheSelectionsAndTheMap)
{
    select(addBox(0.0f));
    sim->newMap();
    step();
    EXPECT_EQ(selectionCount(), 0u);
    EXPECT_TRUE(sim->objects.empty());
}

}  // namespace

namespace {

TEST(DrawnExtent, CoversTheBorderOfABoxAndNothingForAnObjectWithoutDrawables)
{
    Map_Aabb bordered(Vec2(0.0f, 0.0f), 100.0f, 50.0f, 1, 0, 0, 20.0f, kUvTile);
    Vec2 low, high;
    ASSERT_TRUE(drawnExtent(bordered, low, high));
    EXPECT_LE(low.x, -50.0f);
    EXPECT_GE(high.y, 25.0f);
    bordered.drawables.clear();
    EXPECT_FALSE(drawnExtent(bordered, low, high));
}

}  // namespace
