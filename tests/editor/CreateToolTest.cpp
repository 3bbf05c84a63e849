// The create tool driven as the input pass drives it, with the create-object
// panel's widgets set as a user would set them.
#include "editor/app/menus/EditorCreateObjectMenu.h"
#include "editor/app/tools/EditorTool.h"
#include "editor/world/Aabb.h"
#include "editor/world/Circle.h"
#include "editor/world/ImageGeometry.h"
#include "editor/world/Map.h"
#include "editor/world/Map_Aabb.h"
#include "editor/world/Poly.h"
#include "editor/world/TextureManager.h"
#include "libs/zorir/CheckBox.h"
#include "libs/zorir/ComboBox.h"
#include "libs/zorir/SpinBox.h"
#include "tests/editor/EditorFixture.h"

#include <algorithm>
#include <list>
#include <ostream>
#include <string>
#include <vector>

namespace {

using quillow::test::EditorFixture;

class CreateToolTest : public EditorFixture {
protected:
    CreateToolTest()
    {
        sim->snapToGridOn = 0;
        panel().objectTypeBox().setCurrentText(kind_);
    }

    EditorCreateObjectMenu& panel() { return *sim->getCreateObjectMenu(); }
    EditorTool& tool() { return *sim->tools[MapEditorSim::kCreateTool]; }
    void choose(const std::string& kind) { kind_ = kind; }

    // A left-button drag as the input pass makes it: one call per tick.
    void drag(Vec2 from, const std::vector<Vec2>& passes)
    {
        tool().leftPress(from.x, from.y, kind_);
        for (const Vec2& p : passes) tool().leftDrag(p.x, p.y, kind_);
        const Vec2 end = passes.empty() ? from : passes.back();
        tool().leftRelease(end.x, end.y, kind_);
    }
    void click(Vec2 p) { tool().leftRelease(p.x, p.y, kind_); }
    void finishPolygon() { tool().rightPress(0, 0, kind_); }

    const std::list<GameObject*>& mapObjects() { return sim->map->objects; }
    template <class Shape>
    Shape* onlyObject()
    {
        if (mapObjects().size() != 1) return nullptr;
        return dynamic_cast<Shape*>(mapObjects().front());
    }
    bool inDrawList(GameObject* object)
    {
        return std::find(sim->drawList.begin(), sim->drawList.end(), object) != sim->drawList.end();
    }

    std::string kind_ = "rectangle";
};

struct RadiusCase {
    Vec2 to;
    float radius;
};

class CircleRadius : public CreateToolTest, public ::testing::WithParamInterface<RadiusCase> {};

TEST_P(CircleRadius, IsTheLargerDistanceAlongAnAxis)
{
    choose("circle");
    drag(Vec2(0, 0), {GetParam().to});
    Circle* circle = onlyObject<Circle>();
    ASSERT_NE(circle, nullptr);
    EXPECT_FLOAT_EQ(circle->radius, GetParam().radius);
    EXPECT_FLOAT_EQ(circle->center.x, 0.0f);
    EXPECT_FLOAT_EQ(circle->center.y, 0.0f);
    EXPECT_TRUE(inDrawList(circle));
}

INSTANTIATE_TEST_SUITE_P(Drags, CircleRadius,
                         ::testing::Values(RadiusCase{Vec2(30, -50), 50.0f}, RadiusCase{Vec2(-40, 40), 40.0f},
                                           RadiusCase{Vec2(10, 10), 10.0f}));

// The box reaches the point of the previous drag pass, so a drag that
// ends where it paused gives the box under the pointer.
TEST_F(CreateToolTest, DraggedBoxSpansFromThePressToThePointerAndIsTiled)
{
    drag(Vec2(0, 0), {Vec2(60, 20), Vec2(100, 50), Vec2(100, 50)});
    Aabb* box = onlyObject<Aabb>();
    ASSERT_NE(box, nullptr);
    EXPECT_FLOAT_EQ(box->center.x, 50.0f);
    EXPECT_FLOAT_EQ(box->center.y, 25.0f);
    EXPECT_FLOAT_EQ(box->width, 100.0f);
    EXPECT_FLOAT_EQ(box->height, 50.0f);
    EXPECT_EQ(box->layer, 30);
    EXPECT_EQ(box->drawables.back()->uvMapMode, kUvTile);
    EXPECT_EQ(box->textureId, static_cast<uint32_t>(TextureManager::instance()->getTextureId(panel().textureText())));
}

TEST_F(CreateToolTest, FixedSizeBoxIsStampedAtThePreviousPointerWithItsImageStretched)
{
    panel().snapXBox().setValue(64);
    panel().snapYBox().setValue(32);
    drag(Vec2(0, 0), {Vec2(300, 200), Vec2(310, 220)});
    Aabb* box = onlyObject<Aabb>();
    ASSERT_NE(box, nullptr);
    EXPECT_FLOAT_EQ(box->center.x, 300.0f);
    EXPECT_FLOAT_EQ(box->center.y, 200.0f);
    EXPECT_FLOAT_EQ(box->width, 64.0f);
    EXPECT_FLOAT_EQ(box->height, 32.0f);
    EXPECT_EQ(box->drawables.back()->uvMapMode, kUvStretch);
}

TEST_F(CreateToolTest, WithSnappingEveryPointLandsOnTheGrid)
{
    sim->snapToGridOn = 1;
    drag(Vec2(10, -20), {Vec2(250, 140), Vec2(250, 140)});
    Aabb* box = onlyObject<Aabb>();
    ASSERT_NE(box, nullptr);
    const Vec2 a = sim->snapToGrid(10, -20);
    const Vec2 b = sim->snapToGrid(250, 140);
    EXPECT_FLOAT_EQ(box->center.x, (a.x + b.x) / 2);
    EXPECT_FLOAT_EQ(box->center.y, (a.y + b.y) / 2);
    EXPECT_FLOAT_EQ(box->width, std::abs(b.x - a.x));
    EXPECT_FLOAT_EQ(box->height, std::abs(b.y - a.y));
}

TEST_F(CreateToolTest, DragAlongAnAxisOfThePressBuildsNothing)
{
    drag(Vec2(0, 0), {Vec2(0, 80), Vec2(90, 0)});
    EXPECT_TRUE(mapObjects().empty());
    EXPECT_EQ(sim->objectInCreation, nullptr);
}

// Each shape starts from its own press point: the end of the previous drag
// must not shape the next one.
TEST_F(CreateToolTest, OnePassDragAfterAnotherShapeBuildsNothingFromTheOldPoint)
{
    drag(Vec2(0, 0), {Vec2(200, 200), Vec2(200, 200)});
    ASSERT_EQ(mapObjects().size(), 1u);
    drag(Vec2(500, 500), {Vec2(600, 640)});
    EXPECT_EQ(mapObjects().size(), 1u);
}

TEST_F(CreateToolTest, ReleaseWithoutDragAddsNothing)
{
    drag(Vec2(0, 0), {});
    EXPECT_TRUE(mapObjects().empty());
}

struct SettingsCase {
    const char* alignment;
    int32_t parallaxX, parallaxY;
    uint16_t expectedAlignment;  // 7 means: as built
    float factorX, factorY;
    bool inParallaxList;
};

class PanelSettings : public CreateToolTest, public ::testing::WithParamInterface<SettingsCase> {};

TEST_P(PanelSettings, GiveTheNewObjectItsSideAndParallax)
{
    const SettingsCase& c = GetParam();
    panel().alignmentBox().setCurrentText(c.alignment);
    panel().parallaxXBox().setValue(c.parallaxX);
    panel().parallaxYBox().setValue(c.parallaxY);
    drag(Vec2(0, 0), {Vec2(100, 100), Vec2(100, 100)});
    Aabb* box = onlyObject<Aabb>();
    ASSERT_NE(box, nullptr);
    const Map_Aabb unaligned(Vec2(0, 0), 1.0f, 1.0f, 1, 0, 0, 0.0f, kUvTile);
    EXPECT_EQ(box->alignment, c.expectedAlignment == 7 ? unaligned.alignment : c.expectedAlignment);
    EXPECT_FLOAT_EQ(box->para.x, c.factorX);
    EXPECT_FLOAT_EQ(box->para.y, c.factorY);
    const bool listed =
        std::find(sim->parallaxList.begin(), sim->parallaxList.end(), box) != sim->parallaxList.end();
    EXPECT_EQ(listed, c.inParallaxList);
}

INSTANTIATE_TEST_SUITE_P(Texts, PanelSettings,
                         ::testing::Values(SettingsCase{"Normal", 100, 100, 60000, 0.0f, 0.0f, false},
                                           SettingsCase{"Red", 150, 100, 0, 0.5f, 0.0f, true},
                                           SettingsCase{"Blue", 100, 40, 1, 0.0f, -0.6f, true},
                                           SettingsCase{"Green", 100, 100, 7, 0.0f, 0.0f, false},
                                           SettingsCase{"", 100, 100, 7, 0.0f, 0.0f, false}));

std::vector<Vec2> pointsOf(GameObject* object)
{
    auto* polygon = dynamic_cast<Poly*>(object);
    return polygon ? polygon->points : std::vector<Vec2>{};
}

TEST_F(CreateToolTest, CounterClockwisePolygonKeepsItsClickOrder)
{
    choose("polygon");
    for (Vec2 p : {Vec2(0, 0), Vec2(100, 0), Vec2(100, 100), Vec2(0, 100)}) click(p);
    EXPECT_EQ(sim->polygonMarkers.size(), 4u);
    finishPolygon();
    const std::vector<Vec2> points = pointsOf(onlyObject<Poly>());
    ASSERT_EQ(points.size(), 4u);
    EXPECT_FLOAT_EQ(points[1].x, 100.0f);
    EXPECT_FLOAT_EQ(points[1].y, 0.0f);
    EXPECT_TRUE(sim->polygonMarkers.empty());
}

TEST_F(CreateToolTest, ClockwisePolygonIsReversedAndItsSizeReported)
{
    choose("polygon");
    for (Vec2 p : {Vec2(0, 0), Vec2(0, 100), Vec2(100, 100)}) click(p);
    testing::internal::CaptureStdout();
    finishPolygon();
    EXPECT_NE(testing::internal::GetCapturedStdout().find("3\n"), std::string::npos);
    const std::vector<Vec2> points = pointsOf(onlyObject<Poly>());
    ASSERT_EQ(points.size(), 3u);
    EXPECT_FLOAT_EQ(points[0].x, 100.0f);
    EXPECT_FLOAT_EQ(points[2].y, 0.0f);
}

struct OutlineCase {
    const char* name;
    std::vector<Vec2> clicks;
};

void PrintTo(const OutlineCase& outline, std::ostream* out)
{
    *out << outline.name;
}

class DiscardedOutline : public CreateToolTest, public ::testing::WithParamInterface<OutlineCase> {};

// Only an outline that turns one way at every point encloses something;
// anything else builds nothing (no polygon of no area) and its markers go.
TEST_P(DiscardedOutline, BuildsNothingAndTakesTheMarkersAway)
{
    choose("polygon");
    for (Vec2 p : GetParam().clicks) click(p);
    finishPolygon();
    EXPECT_TRUE(mapObjects().empty());
    EXPECT_TRUE(sim->polygonMarkers.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Outlines, DiscardedOutline,
    ::testing::Values(OutlineCase{"TurningBothWays", {Vec2(0, 0), Vec2(100, 0), Vec2(0, 100), Vec2(100, 100)}},
                      OutlineCase{"TwoDiagonalPoints", {Vec2(0, 0), Vec2(100, 100)}},
                      OutlineCase{"TwoDiagonalPointsTheOtherWay", {Vec2(100, 100), Vec2(0, 0)}},
                      OutlineCase{"OnePoint", {Vec2(30, 40)}},
                      OutlineCase{"ThreeClicksOnOnePoint", {Vec2(30, 40), Vec2(30, 40), Vec2(30, 40)}},
                      OutlineCase{"ThreePointsOnALine", {Vec2(0, 0), Vec2(50, 50), Vec2(100, 100)}},
                      OutlineCase{"BackAndForthOnALine", {Vec2(0, 0), Vec2(100, 0), Vec2(50, 0), Vec2(200, 0)}},
                      OutlineCase{"TwoDistinctPointsClickedThrice", {Vec2(0, 0), Vec2(100, 100), Vec2(0, 0)}},
                      OutlineCase{"TwoPointsClickedInTurn", {Vec2(0, 0), Vec2(100, 100), Vec2(0, 0), Vec2(100, 100)}}),
    [](const ::testing::TestParamInfo<OutlineCase>& info) { return std::string(info.param.name); });

TEST_F(CreateToolTest, TwoPointsWithStripWidthMakeAStripWithTheBodyImageStretched)
{
    choose("polygon");
    panel().snapYBox().setValue(10);
    panel().hasBorderBox().check();
    panel().borderWidthBox().setValue(4);
    panel().stretchUVsBox().check();
    click(Vec2(0, 0));
    click(Vec2(100, 0));
    finishPolygon();
    Poly* strip = onlyObject<Poly>();
    ASSERT_NE(strip, nullptr);
    const std::vector<Vec2> expected{Vec2(0, 10), Vec2(100, 10), Vec2(100, -10), Vec2(0, -10)};
    ASSERT_EQ(strip->points.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_NEAR(strip->points[i].x, expected[i].x, 1e-4f) << i;
        EXPECT_NEAR(strip->points[i].y, expected[i].y, 1e-4f) << i;
    }
    ASSERT_EQ(strip->drawables.size(), 2u);
    const ImageGeometry& border = *strip->drawables[0];
    const ImageGeometry& body = *strip->drawables[1];
    ASSERT_GT(border.borderSize, 0.0f);
    const std::vector<Vec2> stretched{Vec2(0, 1), Vec2(1, 1), Vec2(1, 0), Vec2(0, 0)};
    ASSERT_EQ(body.uvs.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(body.uvs[i].x, stretched[i].x);
        EXPECT_EQ(body.uvs[i].y, stretched[i].y);
    }
    EXPECT_NE(border.uvs.size(), 4u) << "the border strip keeps its own mapping";
}

TEST_F(CreateToolTest, PolygonOnLayerZeroIsSavedButNotDrawn)
{
    choose("polygon");
    panel().layerBox().setValue(0);
    for (Vec2 p : {Vec2(0, 0), Vec2(100, 0), Vec2(100, 100)}) click(p);
    finishPolygon();
    Poly* polygon = onlyObject<Poly>();
    ASSERT_NE(polygon, nullptr);
    EXPECT_FALSE(polygon->draw);
}

struct SpawnCase {
    const char* kind;
    uint16_t side;
    const char* image;
};

class SpawnPlacing : public CreateToolTest, public ::testing::WithParamInterface<SpawnCase> {};

TEST_P(SpawnPlacing, PutsTheSidesMarkerIntoTheMapsSpawnList)
{
    choose(GetParam().kind);
    sim->snapToGridOn = 1;
    click(Vec2(70, 200));
    const auto& spawns = sim->map->spawnLists.at(GetParam().side);
    ASSERT_EQ(spawns.size(), 1u);
    const Spawn& spawn = *spawns.front();
    EXPECT_EQ(spawn.alignment, GetParam().side);
    ASSERT_NE(spawn.marker, nullptr);
    const Vec2 at = sim->snapToGrid(70, 200);
    EXPECT_FLOAT_EQ(spawn.marker->center.x, at.x);
    EXPECT_FLOAT_EQ(spawn.marker->center.y, at.y);
    EXPECT_EQ(spawn.marker->drawables.front()->img,
              static_cast<uint32_t>(TextureManager::instance()->getTextureId(GetParam().image)));
    EXPECT_TRUE(mapObjects().empty());
}

INSTANTIATE_TEST_SUITE_P(Sides, SpawnPlacing,
                         ::testing::Values(SpawnCase{"True Being Spawn", 1, "Tspawn"},
                                           SpawnCase{"Enlighted One Spawn", 0, "Espawn"}));

TEST_F(CreateToolTest, UnknownKindDoesNothing)
{
    choose("hexagon");
    drag(Vec2(0, 0), {Vec2(100, 100), Vec2(100, 100)});
    tool().rightPress(0, 0, kind_);
    EXPECT_TRUE(mapObjects().empty());
    EXPECT_TRUE(sim->polygonMarkers.empty());
}

TEST_F(CreateToolTest, UncheckedBorderSetsTheWidthToZeroAtTheNextPoll)
{
    panel().borderWidthBox().setValue(5);
    panel().pollAction();
    EXPECT_EQ(panel().borderWidth(), 0);
    panel().hasBorderBox().check();
    panel().pollAction();
    EXPECT_EQ(panel().borderWidth(), 0);
    panel().borderWidthBox().setValue(6);
    panel().pollAction();
    EXPECT_EQ(panel().borderWidth(), 6);
}

TEST_F(CreateToolTest, PanelRangesHoldTheirLimits)
{
    panel().snapXBox().setValue(40000);
    EXPECT_EQ(panel().snapX(), 30000);
    panel().snapYBox().setValue(-40000);
    EXPECT_EQ(panel().snapY(), -30000);
    panel().layerBox().setValue(-3);
    EXPECT_EQ(panel().layer(), 0);
}

TEST_F(CreateToolTest, TextureListsHoldEveryImageButTheSpawnMarkersInNameOrder)
{
    std::vector<std::string> expected;
    for (const auto& [name, id] : TextureManager::instance()->nameToId()) {
        if (name != "Tspawn" && name != "Espawn") expected.push_back(name);
    }
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(panel().textureText(), expected.front());
    EXPECT_EQ(panel().borderTextureText(), expected.front());
}

}  // namespace
