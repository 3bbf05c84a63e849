// The select and image tools as the input pass calls them: world points,
// modifier keys held through the platform's key state, the property
// panel's mode boxes.
#include "editor/app/menus/EditorAccess.h"
#include "editor/app/menus/EditorEditorMenu.h"
#include "editor/app/selections/ObjectSelection.h"
#include "editor/app/simulation/ViewCamera.h"
#include "editor/app/tools/EditorTool.h"
#include "editor/world/Geometry.h"
#include "editor/world/Map.h"
#include "editor/world/Map_Aabb.h"
#include "editor/world/Map_Circle.h"
#include "editor/world/Map_Poly.h"
#include "libs/zorir/CheckBox.h"
#include "platform/KeyCodes.h"
#include "tests/editor/EditorFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace vk = platform::vk;
using quillow::test::EditorFixture;

// A box, a circle and a triangle side by side, a locked box and a spawn.
class ToolTest : public EditorFixture {
protected:
    enum Tool { kSelect = 0, kImage = 2 };
    enum ModeBox { kEditUV = 0, kEditVertex = 1, kDragUV = 2 };

    ToolTest()
    {
        box = add(new Map_Aabb(Vec2(0, 0), 100.0f, 100.0f, 1, 0, 0, 0.0f, kUvTile));
        circle = add(new Map_Circle(Vec2(300, 0), 50.0f, 1, 0));
        poly = add(new Map_Poly({{0, 0}, {100, 0}, {0, 100}}, Vec2(-300, 0), 1, 0.0f, 0, 0));
        locked = add(new Map_Aabb(Vec2(0, 300), 100.0f, 100.0f, 1, 0, 0, 0.0f, kUvTile));
        locked->locked = true;
        auto spawn = std::make_unique<Spawn>();
        createSpawnMarker(*spawn, 0, Vec2(0, -300));
        marker = spawn->marker.get();
        sim->map->addSpawn(std::move(spawn));
        sim->snapToGridOn = 0;
    }

    template <class T>
    T* add(T* object)
    {
        sim->addNewObject(object);
        return object;
    }

    EditorTool& tool() { return *sim->tools.at(current); }
    void use(Tool t) { current = t; }
    void setMode(ModeBox box, bool on)
    {
        auto* check = dynamic_cast<Zorir::CheckBox*>(propertyPanel()->widgets.at(box));
        on ? check->check() : check->uncheck();
    }

    // One input pass's worth of tool calls for a whole gesture.
    void click(float x, float y) { drag({{x, y}}); }
    void drag(const std::vector<Vec2>& path)
    {
        tool().mouseMove(path.front().x, path.front().y);
        tool().leftPress(path.front().x, path.front().y, "");
        for (size_t i = 1; i < path.size(); ++i) {
            tool().mouseMove(path[i].x, path[i].y);
            tool().leftDrag(path[i].x, path[i].y, "");
        }
        tool().leftRelease(path.back().x, path.back().y, "");
    }

    std::set<const void*> selected() const
    {
        std::set<const void*> targets;
        for (const auto& s : sim->selections()) targets.insert(s->target());
        return targets;
    }

    Map_Aabb* box = nullptr;
    Map_Circle* circle = nullptr;
    Map_Poly* poly = nullptr;
    Map_Aabb* locked = nullptr;
    GameObject* marker = nullptr;
    size_t current = kSelect;
};

struct ClickCase {
    const char* name;
    bool boxSelectedBefore;
    bool circleSelectedBefore;
    bool shift;
    Vec2 at;
    bool boxSelectedAfter;
    bool circleSelectedAfter;
};

const ClickCase kClicks[] = {
    {"empty map clears", true, true, false, {150, 150}, false, false},
    {"selected object without moving", true, true, false, {10, 10}, true, false},
    {"shift on selected deselects", true, true, true, {10, 10}, false, true},
    {"shift on unselected adds", false, true, true, {10, 10}, true, true},
    {"unselected replaces", false, true, false, {10, 10}, true, false},
    {"shift on empty map keeps", true, false, true, {150, 150}, true, false},
};

TEST_F(ToolTest, ClickTable)
{
    for (const ClickCase& c : kClicks) {
        SCOPED_TRACE(c.name);
        sim->selections().clear();
        if (c.boxSelectedBefore) click(10, 10);
        if (c.circleSelectedBefore) {
            hold(vk::kShift);
            click(300, 10);
            let(vk::kShift);
        }
        if (c.shift) hold(vk::kShift);
        click(c.at.x, c.at.y);
        let(vk::kShift);
        const std::set<const void*> now = selected();
        EXPECT_EQ(now.count(box) != 0, c.boxSelectedAfter);
        EXPECT_EQ(now.count(circle) != 0, c.circleSelectedAfter);
        EXPECT_EQ(now.size(), size_t(c.boxSelectedAfter) + size_t(c.circleSelectedAfter));
    }
}

// A press on a selected object drags it; the release picks nothing new.
TEST_F(ToolTest, DragMovesTheSelectionAndKeepsIt)
{
    click(10, 10);
    drag({{10, 10}, {30, 15}, {60, 40}});
    EXPECT_EQ(box->center, Vec2(50, 30));
    EXPECT_EQ(box->originalCenter(), Vec2(50, 30));
    EXPECT_EQ(selected(), std::set<const void*>{box});
}

TEST_F(ToolTest, SnappedDragStepsEndOnTheGrid)
{
    sim->snapToGridOn = 1;
    sim->gridSize = 64;
    click(300, 0);
    const Vec2 start = circle->center;
    tool().leftPress(300, 0, "");
    for (const Vec2& p : {Vec2(310, 5), Vec2(345, 20), Vec2(400, -70), Vec2(470, -90)}) {
        tool().leftDrag(p.x, p.y, "");
        EXPECT_EQ(std::fmod(circle->center.x, 64.0f), 0.0f) << p.x;
        EXPECT_EQ(std::fmod(circle->center.y, 64.0f), 0.0f) << p.y;
    }
    tool().leftRelease(470, -90, "");
    // Within half a cell of where the pointer took it.
    EXPECT_LE(std::fabs(circle->center.x - (start.x + 170)), 32.0f);
    EXPECT_LE(std::fabs(circle->center.y - (start.y - 90)), 32.0f);
}

TEST_F(ToolTest, CtrlDragTurnsCirclesAndPolygonsButNotBoxes)
{
    hold(vk::kShift);
    for (const Vec2& p : {Vec2(10, 10), Vec2(300, 10), Vec2(-290, 10)}) click(p.x, p.y);
    let(vk::kShift);
    ASSERT_EQ(sim->selections().size(), 3u);
    const auto polyBefore = poly->points;
    const auto circleBody = circle->drawables[0]->points;
    const Vec2 boxCorner = box->corners[0];
    hold(vk::kControl);
    drag({{10, 10}, {50, 10}});
    let(vk::kControl);
    EXPECT_EQ(box->corners[0], boxCorner);
    EXPECT_NE(circle->drawables[0]->points, circleBody);
    EXPECT_NEAR(poly->points[1].x, rotatePoint(polyBefore[1], poly->center, 0.5f).x, 1e-3);
}

// Scaling far to the left shrinks to a sliver instead of turning the box
// inside out.
TEST_F(ToolTest, AltDragNeverTurnsABoxInsideOut)
{
    click(10, 10);
    hold(vk::kMenu);
    drag({{10, 10}, {-5000, 10}});
    let(vk::kMenu);
    EXPECT_GT(box->corners[1].x, box->corners[3].x);
    EXPECT_GE(box->corners[1].y, box->corners[3].y);
}

TEST_F(ToolTest, RubberBandSkipsLockedObjectsAndTakesSpawns)
{
    drag({{-1000, -1000}, {-900, -800}, {1000, 1000}});
    EXPECT_EQ(selected(), (std::set<const void*>{box, circle, poly, marker}));
    EXPECT_EQ(sim->marqueeShown, 0);
}

// A band that keeps one coordinate of the press point is no band.
TEST_F(ToolTest, BandNeedsBothCoordinatesToMove)
{
    tool().leftPress(-1000, -1000, "");
    tool().leftDrag(1000, -1000, "");
    EXPECT_EQ(sim->marqueeShown, 0);
    tool().leftDrag(1000, 1000, "");
    EXPECT_EQ(sim->marqueeShown, 1);
}

TEST_F(ToolTest, VertexModeDragsACornerInSteps)
{
    setMode(kEditVertex, true);
    tool().mouseMove(0, 0);
    click(50, 50);
    ASSERT_EQ(sim->selections().size(), 1u);
    drag({{50, 50}, {70, 60}, {-80, 90}});
    // The corner went past the opposite one on x; the box is sorted again
    // and the selection still holds the dragged corner.
    EXPECT_EQ(box->corners[3], Vec2(-80, -50));
    EXPECT_EQ(box->corners[1], Vec2(-50, 90));
    EXPECT_EQ(sim->selections()[0].getAnchor(), Vec2(-80, 90));
    drag({{-80, 90}, {-90, 100}});
    EXPECT_EQ(box->corners[1], Vec2(-50, 100));
    EXPECT_EQ(box->corners[3], Vec2(-90, -50));
}

// Whatever edit moved the box's centre, and whether its parallax was set
// before the edit or after it, the next camera move carries the box from
// where the user left it: its anchor went along with every edit. The
// camera is off the origin throughout, as the user's usually is.
TEST_F(ToolTest, EveryEditLeavesTheBoxWhereTheCameraMoveCarriesItFrom)
{
    const std::vector<std::pair<const char*, std::function<void()>>> edits = {
        {"drag", [&] { drag({{10, 10}, {30, 15}, {60, 40}}); }},
        {"corner drag", [&] {
             setMode(kEditVertex, true);
             click(50, 50);
             drag({{50, 50}, {70, 60}, {90, 95}});
             setMode(kEditVertex, false);
         }},
        {"alt scale", [&] {
             hold(vk::kMenu);
             drag({{10, 10}, {300, 200}});
             let(vk::kMenu);
         }},
        {"arrow keys", [&] {
             hold(vk::kRight);
             tool().handleKeys();
             let(vk::kRight);
         }},
    };
    const Vec2 factors(0.5f, 0.25f);
    for (const bool parallaxFirst : {true, false}) {
        for (const auto& [what, edit] : edits) {
            SCOPED_TRACE(std::string(what) + (parallaxFirst ? ", parallax first" : ", parallax after"));
            sim->MapSimulationManager::selections.clear();
            sim->setObjectParallax(box, 0.0f, 0.0f);
            box->corners[0] = Vec2(-50, 50);
            box->corners[1] = Vec2(50, 50);
            box->corners[2] = Vec2(50, -50);
            box->corners[3] = Vec2(-50, -50);
            box->recomputeCenter();
            box->rebuildDrawables();
            box->setOriginalCenter(box->center);
            sim->camera->position = Vec2(400, -200);
            step();
            if (parallaxFirst) sim->setObjectParallax(box, factors.x, factors.y);
            click(10, 10);
            ASSERT_EQ(selected(), std::set<const void*>{box});
            const Vec2 before = box->center;
            edit();
            if (!parallaxFirst) sim->setObjectParallax(box, factors.x, factors.y);
            const Vec2 left = box->center;
            EXPECT_NE(left, before);
            sim->camera->position = Vec2(500, -100);
            step();
            EXPECT_FLOAT_EQ(box->center.x, left.x + 100 * factors.x);
            EXPECT_FLOAT_EQ(box->center.y, left.y + 100 * factors.y);
        }
    }
}

TEST_F(ToolTest, ArrowKeysMoveLikeADragAndCtrlTurns)
{
    click(10, 10);
    sim->setObjectParallax(box, 0.5f, 0.5f);
    box->setOriginalCenter(Vec2(-7, -7));
    hold(vk::kRight);
    hold(vk::kUp);
    tool().handleKeys();
    hold(vk::kShift);
    tool().handleKeys();
    let(vk::kShift);
    let(vk::kRight);
    let(vk::kUp);
    EXPECT_EQ(box->center, Vec2(6, 6));
    EXPECT_EQ(box->originalCenter(), Vec2(-1, -1));

    sim->selections().clear();
    hold(vk::kShift);
    click(-290, 10);
    let(vk::kShift);
    const auto before = poly->points;
    hold(vk::kControl);
    hold(vk::kLeft);
    tool().handleKeys();
    let(vk::kLeft);
    let(vk::kControl);
    EXPECT_NEAR(poly->points[1].y, rotatePoint(before[1], poly->center, -1.0f / 80).y, 1e-3);
}

TEST_F(ToolTest, ImageToolEditsTextureCoordinatesNotPoints)
{
    click(10, 10);
    use(kImage);
    ImageGeometry& body = *box->drawables.at(0);
    click(10, 10);
    // The press dropped the select tool's selection.
    EXPECT_EQ(selected(), std::set<const void*>{&body});
    const auto points = body.points;
    const auto uvs = body.uvs;
    setMode(kEditUV, true);
    tool().mouseMove(10, 10);
    drag({{10, 10}, {50, 10}});
    EXPECT_EQ(body.points, points);
    EXPECT_NE(body.uvs, uvs);

    setMode(kEditUV, false);
    setMode(kDragUV, true);
    tool().mouseMove(10, 10);
    const auto uvsBefore = body.uvs;
    drag({{10, 10}, {30, 10}});
    EXPECT_EQ(body.points[0], points[0] + Vec2(20, 0));
    EXPECT_NE(body.uvs, uvsBefore);
}

TEST_F(ToolTest, ImageToolTurnsTheDrawableOfABox)
{
    use(kImage);
    click(10, 10);
    ImageGeometry& body = *box->drawables.at(0);
    const auto points = body.points;
    hold(vk::kControl);
    drag({{10, 10}, {50, 10}});
    let(vk::kControl);
    EXPECT_NE(body.points, points);
}

// The panel lets go of every selection as it is deleted: a toggle, a
// press of the other tool and Delete.
TEST_F(ToolTest, PanelNeverHoldsADeletedSelection)
{
    EditorEditorMenu& panel = *propertyPanel();
    hold(vk::kShift);
    click(10, 10);
    click(300, 10);
    EXPECT_EQ(panel.selectedObjects().size(), 2u);
    click(10, 10);
    let(vk::kShift);
    ASSERT_EQ(panel.selectedObjects().size(), 1u);
    EXPECT_EQ(selectedObject(*panel.selectedObjects()[0]), circle);

    sim->deleteSelection();
    EXPECT_TRUE(panel.selectedObjects().empty());
    EXPECT_TRUE(circle->markedForDelete);
    EXPECT_TRUE(std::find(sim->map->objects.begin(), sim->map->objects.end(), circle) ==
                sim->map->objects.end());

    click(10, 10);
    EXPECT_EQ(panel.selectedObjects().size(), 1u);
    use(kImage);
    tool().leftPress(500, 500, "");
    EXPECT_TRUE(panel.selectedObjects().empty());
}

}  // namespace
