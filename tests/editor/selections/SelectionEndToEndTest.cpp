// Selecting and editing as a user does it: the real editor under a private
// X server, driven with real X input; each test opens a map written for it
// and checks the file that Ctrl+S writes back.
#include "editor/world/Aabb.h"
#include "editor/world/Map.h"
#include "editor/world/MapFile.h"
#include "editor/world/Map_Aabb.h"
#include "tests/editor/support/EditorSession.h"
#include "tests/editor/support/EditorUser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using namespace quillow::test;

constexpr float kGrid = 128.0f;

// Window pixels of the property panel.
constexpr int kModeBoxX = 895, kEditUVY = 19, kEditVertexY = 51;
constexpr Pixel kParallaxXField{930, 341};

// Positions are saved with six significant digits.
constexpr float kSavedRounding = 0.05f;

Map_Aabb* box(float cx, float cy, float size)
{
    return new Map_Aabb(Vec2(cx, cy), size, size, 1, 0, 0, 0.0f, kUvStretch);
}

bool onGrid(float v)
{
    return std::fmod(v, kGrid) == 0.0f;
}

float angleOf(const Vec2& v)
{
    return std::atan2(v.y, v.x);
}

class SelectionEndToEnd : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(editor.start()); }

    // The map files are read and written from the editor's working
    // directory, as the editor does.
    template <typename Work>
    auto inWorkDir(Work work)
    {
        const auto previous = std::filesystem::current_path();
        std::filesystem::current_path(editor.tree().workDir());
        auto result = work();
        std::filesystem::current_path(previous);
        return result;
    }

    void writeMap(const std::vector<GameObject*>& objects)
    {
        ASSERT_TRUE(inWorkDir([&] {
            Map map;
            for (GameObject* object : objects) map.objects.push_back(object);
            return saveMap(map, kMapName);
        }));
    }

    std::unique_ptr<Map> savedMap()
    {
        return inWorkDir([&] { return loadMap(kMapName); });
    }

    // A click on the map: the tool acts on a press and a release only when
    // a tick sees the button down between them. afterRelease: a line the
    // release prints, waited for when given.
    void click(const Pixel& at, const std::string& afterRelease = "") { drag(at, {}, afterRelease); }

    void drag(const Pixel& from, const std::vector<Pixel>& through, const std::string& afterRelease = "",
              const std::string& afterPress = "")
    {
        ASSERT_TRUE(user.drag(from, through, afterRelease, afterPress));
    }

    void openMap() { ASSERT_TRUE(user.openMap(kMapName)); }
    void save() { ASSERT_TRUE(user.saveWithCtrlS()); }

    static constexpr const char* kMapName = "edit.xml";
    EditorSession editor;
    EditorUser user{editor};
};

// With snapping on, a dragged box ends with its top-left corner on a grid
// point near where the pointer took it; the other object stays.
TEST_F(SelectionEndToEnd, SelectAndMoveOnTheGrid)
{
    writeMap({box(-400, 0, 256), box(300, -500, 100)});
    openMap();
    const Pixel centre = pixelOf(-400, 0);
    click(centre);
    drag(centre, {{centre.x + 30, centre.y - 10}, {centre.x + 70, centre.y - 25}, {centre.x + 100, centre.y - 40}},
         "base mr");
    save();

    auto map = savedMap();
    ASSERT_TRUE(map);
    ASSERT_EQ(map->objects.size(), 2u);
    const auto* moved = dynamic_cast<const Aabb*>(map->objects.front());
    const auto* still = dynamic_cast<const Aabb*>(map->objects.back());
    ASSERT_TRUE(moved && still);
    const Vec2 topLeft(moved->corners[3].x, moved->corners[1].y);
    EXPECT_TRUE(onGrid(topLeft.x) && onGrid(topLeft.y)) << topLeft.x << ", " << topLeft.y;
    EXPECT_NEAR(topLeft.x, -528 + 100 * kUnitsPerPixel, kGrid / 2 + kUnitsPerPixel);
    EXPECT_NEAR(topLeft.y, 128 + 40 * kUnitsPerPixel, kGrid / 2 + kUnitsPerPixel);
    EXPECT_FLOAT_EQ(moved->corners[1].x - moved->corners[3].x, 256);
    EXPECT_EQ(still->center, Vec2(300, -500));
}

// A rubber band over two of three boxes, then Delete: the saved map keeps
// only the third.
TEST_F(SelectionEndToEnd, RubberBandThenDelete)
{
    writeMap({box(-600, -400, 100), box(-300, -400, 100), box(300, 400, 100)});
    openMap();
    const Pixel from = pixelOf(-800, -200);
    const Pixel to = pixelOf(-100, -600);
    drag(from, {{from.x + 50, from.y + 40}, {to.x - 60, to.y - 30}, to});
    ASSERT_TRUE(user.repeatUntilSaved([&] { user.holdKeys("Delete"); },
                                      [&] { auto map = savedMap(); return map && map->objects.size() == 1; }));

    auto map = savedMap();
    ASSERT_TRUE(map);
    ASSERT_EQ(map->objects.size(), 1u);
    EXPECT_EQ(map->objects.front()->center, Vec2(300, 400));
}

// A click as quick as xdotool makes it, the release within the same tick
// as the press, picks the box all the same: Delete then takes it alone.
TEST_F(SelectionEndToEnd, AQuickClickSelects)
{
    writeMap({box(-400, 0, 256), box(300, -500, 100)});
    openMap();
    const Pixel centre = pixelOf(-400, 0);
    editor.moveTo(centre.x, centre.y);
    user.settle();
    editor.click(centre.x, centre.y);
    user.settle();
    // One click only, so that a click that happened to span two ticks
    // cannot stand in for a quick one; only the Delete is made again.
    ASSERT_TRUE(user.repeatUntilSaved([&] { user.holdKeys("Delete"); },
                                      [&] { auto map = savedMap(); return map && map->objects.size() == 1; }));

    auto map = savedMap();
    ASSERT_TRUE(map);
    ASSERT_EQ(map->objects.size(), 1u);
    EXPECT_EQ(map->objects.front()->center, Vec2(300, -500));
}

// Vertex mode, zoomed in: a corner dragged in steps up and to the left
// stays the dragged corner at every step, so the box grows from its
// opposite corner, which never moves.
TEST_F(SelectionEndToEnd, VertexModeDragsOneCornerInSteps)
{
    // The corner sits at the origin, which zooming keeps in the middle of
    // the window however far the view goes in.
    writeMap({box(100, -100, 200)});
    openMap();
    ASSERT_TRUE(user.chooseSelectTool());
    editor.click(kModeBoxX, kEditVertexY);
    user.holdKeys("e");
    const Pixel corner = kWindowCentre;
    click(corner, "vert");
    drag(corner, {{corner.x - 50, corner.y - 50}, {corner.x - 100, corner.y - 100},
                  {corner.x - 150, corner.y - 150}, {corner.x - 200, corner.y - 200}},
         "vert");
    save();

    auto map = savedMap();
    ASSERT_TRUE(map);
    ASSERT_EQ(map->objects.size(), 1u);
    const auto* edited = dynamic_cast<const Aabb*>(map->objects.front());
    ASSERT_TRUE(edited);
    const Vec2 low = edited->corners[3];
    const Vec2 high = edited->corners[1];
    EXPECT_EQ(Vec2(high.x, low.y), Vec2(200, -200));
    EXPECT_LT(low.x, 0.0f);
    EXPECT_GT(high.y, 0.0f);
    EXPECT_TRUE(onGrid(low.x) && onGrid(high.y)) << low.x << ", " << high.y;
    // Still a rectangle in the box's sorted corner order.
    EXPECT_EQ(edited->corners[0], Vec2(high.x, low.y));
    EXPECT_EQ(edited->corners[2], Vec2(low.x, high.y));
}

// The image tool in texture mode: a drag slides the texture coordinates of
// the drawable and a Ctrl-drag turns them; its points stay put.
TEST_F(SelectionEndToEnd, ImageToolSlidesAndTurnsTheTexture)
{
    writeMap({box(300, 300, 256)});
    const auto original = savedMap();
    ASSERT_TRUE(original);
    const ImageGeometry& before = *original->objects.front()->drawables.at(0);
    openMap();
    ASSERT_TRUE(user.chooseTool(kImageTool));
    editor.click(kModeBoxX, kEditUVY);
    const Pixel centre = pixelOf(300, 300);
    click(centre);
    drag(centre, {{centre.x + 10, centre.y}, {centre.x + 20, centre.y}}, "base mr");
    editor.keyDown("ctrl");
    // The image tool reports its press; the turn starts only once it has.
    drag(centre, {{centre.x + 5, centre.y}, {centre.x + 10, centre.y}, {centre.x + 12, centre.y}}, "base mr",
         "derp1");
    editor.keyUp("ctrl");
    save();

    auto map = savedMap();
    ASSERT_TRUE(map);
    const ImageGeometry& after = *map->objects.front()->drawables.at(0);
    EXPECT_EQ(after.points, before.points);
    ASSERT_EQ(after.uvs.size(), 4u);
    const Vec2 edgeBefore = before.uvs[1] - before.uvs[0];
    const Vec2 edgeAfter = after.uvs[1] - after.uvs[0];
    // Turned back as a whole, 1/80 radian per world unit, lengths kept. A
    // starved editor may take the release on the tick that would have seen
    // the last step, so the turn is bounded by the whole drag's 12 pixels
    // rather than equal to it; the rate itself is pinned by the drag tests.
    const float wholeTurn = -12 * kUnitsPerPixel / 80.0f;
    const float onePixel = kUnitsPerPixel / 80.0f;
    const double turned = std::remainder(angleOf(edgeAfter) - angleOf(edgeBefore), 2 * M_PI);
    EXPECT_LT(turned, -onePixel);
    EXPECT_GT(turned, wholeTurn - 0.02);
    EXPECT_NEAR(std::hypot(edgeAfter.x, edgeAfter.y), std::hypot(edgeBefore.x, edgeBefore.y), 1e-3);
    EXPECT_NE(after.uvs, before.uvs);
}

// A parallax box is drawn where the user left it whatever comes next. Its
// mirrored copy is carried by the camera from its own place, not from its
// source's: after a pan, after the map is opened again and after another
// pan, the copy stays the mirrored distance from its source and each
// object's saved anchor is its own place with the camera at the origin.
TEST_F(SelectionEndToEnd, MirroredParallaxCopyIsCarriedFromItsOwnPlace)
{
    auto* source = box(-300, 0, 60);
    source->setParallax(0.5f, 0.5f);
    writeMap({source});
    openMap();
    ASSERT_TRUE(user.chooseSelectTool());
    ASSERT_TRUE(user.selectAt(pixelOf(-300, 0)));
    const size_t before = editor.lineCount();
    ASSERT_TRUE(user.chooseFromMenu(kEditTop, kMirrorEntry));
    ASSERT_TRUE(editor.waitForLine("showmenu 9", before));
    user.typeInto(kMirrorAxisField, "100");
    editor.click(kMirrorOk.x, kMirrorOk.y);
    ASSERT_TRUE(editor.waitForLine("HIDE TOP", before));

    float sourceAt = -300;
    // Where the saved source is; its copy 800 to the right of it, and both
    // anchored at their own places.
    auto expectEachFromItsOwnPlace = [&] {
        auto map = savedMap();
        ASSERT_TRUE(map);
        ASSERT_EQ(map->objects.size(), 2u);
        const GameObject& saved = *map->objects.front();
        const GameObject& copy = *map->objects.back();
        EXPECT_NEAR(saved.originalCenter().x, -300, kSavedRounding);
        EXPECT_NEAR(saved.originalCenter().y, 0, kSavedRounding);
        EXPECT_NEAR(copy.originalCenter().x, 500, kSavedRounding);
        EXPECT_NEAR(copy.originalCenter().y, 0, kSavedRounding);
        EXPECT_NEAR(copy.center.x - saved.center.x, 800, kSavedRounding);
        EXPECT_NEAR(copy.center.y, saved.center.y, kSavedRounding);
        sourceAt = saved.center.x;
    };
    auto pan = [&](const char* key) {
        const float from = sourceAt;
        ASSERT_TRUE(user.repeatUntilSaved([&] { user.holdKeys(key); }, [&] {
            auto map = savedMap();
            return map && !map->objects.empty() && map->objects.front()->center.x != from;
        }));
    };
    pan("d");
    expectEachFromItsOwnPlace();
    const float leftAt = sourceAt;
    EXPECT_GT(leftAt, -300);

    openMap();
    save();
    expectEachFromItsOwnPlace();
    EXPECT_NEAR(sourceAt, leftAt, kSavedRounding);

    pan("a");
    expectEachFromItsOwnPlace();
}

// A corner dragged, then Parallax set, then the camera panned: the box is
// carried from where the drag left it, by as much as a box of the same
// factor that was not edited, and does not jump back to where it was.
TEST_F(SelectionEndToEnd, BoxWithADraggedCornerIsCarriedFromWhereItWasLeft)
{
    auto* reference = box(384, -384, 128);
    reference->setParallax(0.5f, 0.0f);
    writeMap({box(-384, 0, 256), reference});
    openMap();
    ASSERT_TRUE(user.chooseSelectTool());
    editor.click(kModeBoxX, kEditVertexY);
    const Pixel corner = pixelOf(-256, 128);
    click(corner, "vert");
    drag(corner, {{corner.x + 30, corner.y - 30}, {corner.x + 60, corner.y - 60}, {corner.x + 90, corner.y - 90}},
         "vert");
    editor.click(kModeBoxX, kEditVertexY);
    ASSERT_TRUE(user.selectAt(pixelOf(-384, 0)));
    user.typeInto(kParallaxXField, "150");
    editor.tapKey("Return");
    save();

    auto atRest = savedMap();
    ASSERT_TRUE(atRest);
    ASSERT_EQ(atRest->objects.size(), 2u);
    const GameObject& edited = *atRest->objects.front();
    const Vec2 left = edited.center;
    EXPECT_NE(left.x, -384.0f);
    EXPECT_EQ(edited.para, Vec2(0.5f, 0.0f));
    // Seen from the camera at the origin, the anchor is the box's place.
    EXPECT_NEAR(edited.originalCenter().x, left.x, kSavedRounding);
    EXPECT_NEAR(edited.originalCenter().y, left.y, kSavedRounding);

    ASSERT_TRUE(user.repeatUntilSaved([&] { user.holdKeys("d"); }, [&] {
        auto map = savedMap();
        return map && map->objects.size() == 2 && map->objects.back()->center.x != 384.0f;
    }));
    auto panned = savedMap();
    ASSERT_TRUE(panned);
    ASSERT_EQ(panned->objects.size(), 2u);
    const float carried = panned->objects.back()->center.x - 384.0f;
    EXPECT_GT(carried, 0.0f);
    EXPECT_NEAR(panned->objects.front()->center.x, left.x + carried, kSavedRounding);
    EXPECT_NEAR(panned->objects.front()->center.y, left.y, kSavedRounding);
}

}  // namespace
