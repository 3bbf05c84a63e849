// Building a map as a designer does: the tool bar, the create-object panel,
// drags on the map, Ctrl+S and the Save As dialog, through real X input.
// The saved files are the oracle.
#include "tests/editor/support/EditorSession.h"
#include "tests/editor/support/EditorUser.h"
#include "tests/editor/support/MapText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

namespace {

using namespace quillow::test;

// World units between grid lines, where snapping puts corners.
constexpr int kGridSize = 128;
// The create-object panel's left edge and a point of its label column.
constexpr int kPanelLeft = 774, kPanelLabelX = 810;
// The create-object panel's Layer and Type fields, left of their arrows,
// and the up arrow of its Border Width.
constexpr Pixel kLayerField{930, 86}, kTypeField{930, 120}, kBorderWidthUp{1002, 212};

// The number in the first element of that name inside the first object of the kind.
float firstValue(const std::string& text, const std::string& kind, const std::string& element)
{
    const size_t object = text.find("<" + kind + ">");
    std::smatch match;
    const std::string rest = object == std::string::npos ? "" : text.substr(object);
    if (!std::regex_search(rest, match, std::regex("<" + element + ">([-0-9.e+]+)</" + element + ">"))) return -1;
    return std::stof(match[1]);
}

class CreateEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(editor.start());
        ASSERT_TRUE(user.chooseCreateTool());
    }

    void chooseType(ObjectType type) { user.pickFromList(kObjTypeBox, type); }

    void saveWithCtrlS(const std::string& name)
    {
        editor.moveTo(kFreeMapPoint.x, kFreeMapPoint.y);
        user.settle();
        const size_t before = editor.lineCount();
        editor.keyDown("ctrl+s");
        ASSERT_TRUE(editor.waitForLine("showmenu 6", before));
        editor.keyUp("ctrl+s");
        user.typeInto(kDialogNameField, name);
        editor.click(kDialogConfirm.x, kDialogConfirm.y);
        ASSERT_TRUE(editor.waitForLine("saving map", before));
    }

    EditorSession editor;
    EditorUser user{editor};
};

TEST_F(CreateEndToEnd, ADraggedRectangleIsSavedWithItsSizeLayerAndSide)
{
    chooseType(kRectangleType);
    user.drag({300, 300}, {{340, 330}, {380, 360}, {420, 400}, {420, 400}});
    saveWithCtrlS("box.xml");
    const std::string text = fileText(editor.mapPath("box.xml"));
    ASSERT_EQ(countOf(text, "<Aabb>"), 1u) << text;
    EXPECT_EQ(countOf(text, "<Circle>") + countOf(text, "<Poly>"), 0u);
    const float width = firstValue(text, "Aabb", "Width");
    const float height = firstValue(text, "Aabb", "Height");
    // With snapping on (the start-up setting) both corners lie on the grid.
    EXPECT_GT(width, 0);
    EXPECT_GT(height, 0);
    EXPECT_EQ(static_cast<int>(width) % kGridSize, 0) << width;
    EXPECT_EQ(static_cast<int>(height) % kGridSize, 0) << height;
    EXPECT_EQ(firstValue(text, "Aabb", "Layer"), 30);
    EXPECT_EQ(firstValue(text, "Aabb", "Alignment"), 60000);
}

// The drag ends over the create-object panel, where the map takes no input:
// the box is finished as it was last drawn, left of the panel.
TEST_F(CreateEndToEnd, ARectangleReleasedOverThePanelIsAddedAsDrawn)
{
    chooseType(kRectangleType);
    user.drag({300, 300}, {{400, 400}, {500, 450}, {500, 450}, {kPanelLabelX, 300}});
    saveWithCtrlS("released over panel.xml");
    const std::string text = fileText(editor.mapPath("released over panel.xml"));
    ASSERT_EQ(countOf(text, "<Aabb>"), 1u) << text;
    const float right = positionsOf(text, "Aabb").at(0).x + firstValue(text, "Aabb", "Width") / 2;
    EXPECT_GT(firstValue(text, "Aabb", "Width"), 0);
    EXPECT_LT(right, worldOf({kPanelLeft, 0}).x);
}

// Two clicked points enclose nothing: no polygon, and their markers go, so
// the triangle clicked next is made of its own three points only.
TEST_F(CreateEndToEnd, TwoClickedPointsBuildNoPolygonAndLeaveNoMarkers)
{
    chooseType(kPolygonType);
    user.clickPolygon({{300, 300}, {500, 500}});
    user.clickPolygon({{300, 450}, {500, 450}, {500, 600}});
    saveWithCtrlS("triangle.xml");
    const std::string text = fileText(editor.mapPath("triangle.xml"));
    ASSERT_EQ(countOf(text, "<Poly>"), 1u) << text;
    EXPECT_EQ(pointsOf(text, "p").size(), 3u) << text;
}

// A number typed into a field and left without Return counts once the user
// goes on: to the map, or to another field of the panel.
TEST_F(CreateEndToEnd, ANumberTypedWithoutReturnIsTakenWhenTheUserMovesOn)
{
    chooseType(kRectangleType);
    user.typeInto(kLayerField, "45");
    user.drag({300, 300}, {{340, 330}, {380, 360}, {420, 400}, {420, 400}});
    user.typeInto(kLayerField, "46");
    editor.click(kTypeField.x, kTypeField.y);
    user.settle();
    user.drag({600, 300}, {{640, 330}, {680, 360}, {720, 400}, {720, 400}});
    saveWithCtrlS("typed.xml");
    const std::string text = fileText(editor.mapPath("typed.xml"));
    std::vector<std::string> layers = valuesOf(text, "Layer");
    std::sort(layers.begin(), layers.end());
    EXPECT_EQ(layers, (std::vector<std::string>{"45", "46"})) << text;
}

// With "Has Border" clear the panel holds Border Width at 0, and the field
// shows it: checked again, one step up is a border 1 wide.
TEST_F(CreateEndToEnd, BorderWidthStepsFromTheValueTheFieldShows)
{
    chooseType(kRectangleType);
    editor.click(kCreateHasBorderBox.x, kCreateHasBorderBox.y);
    user.settle();
    editor.click(kBorderWidthUp.x, kBorderWidthUp.y);
    user.settle();
    user.drag({300, 300}, {{340, 330}, {380, 360}, {420, 400}, {420, 400}});
    saveWithCtrlS("border.xml");
    const std::string text = fileText(editor.mapPath("border.xml"));
    ASSERT_EQ(countOf(text, "<Aabb>"), 1u) << text;
    // The body's size and the border strip's.
    std::vector<std::string> sizes = valuesOf(text, "BorderSize");
    std::sort(sizes.begin(), sizes.end());
    EXPECT_EQ(sizes, (std::vector<std::string>{"0", "1"})) << text;
}

TEST_F(CreateEndToEnd, CircleSpawnsAndPolygonAreSavedAndOpenAgain)
{
    chooseType(kCircleType);
    user.drag({200, 250}, {{260, 250 + 40}, {260, 290}});
    chooseType(kTrueBeingSpawn);
    user.clickMap({450, 200});
    chooseType(kEnlightedOneSpawn);
    user.clickMap({550, 200});
    chooseType(kPolygonType);
    // Counter-clockwise on screen is clockwise in the world (y up): the
    // editor turns it round and builds it all the same.
    user.clickPolygon({{300, 450}, {500, 450}, {500, 600}});
    saveWithCtrlS("scene.xml");
    const std::string saved = fileText(editor.mapPath("scene.xml"));
    EXPECT_EQ(countOf(saved, "<Circle>"), 1u) << saved;
    EXPECT_EQ(countOf(saved, "<Poly>"), 1u) << saved;
    EXPECT_EQ(countOf(saved, "<Spawn>"), 2u) << saved;
    EXPECT_NE(saved.find("<Alignment>1</Alignment>"), std::string::npos);
    EXPECT_NE(saved.find("<Alignment>0</Alignment>"), std::string::npos);

    // Opened again and saved under another name, the map still holds them all.
    ASSERT_TRUE(user.openMap("scene.xml"));
    ASSERT_TRUE(user.saveAs("scene again.xml"));
    const std::string reopened = fileText(editor.mapPath("scene again.xml"));
    EXPECT_EQ(countOf(reopened, "<Circle>"), 1u);
    EXPECT_EQ(countOf(reopened, "<Poly>"), 1u);
    EXPECT_EQ(countOf(reopened, "<Spawn>"), 2u);
}

// Clicks as quick as xdotool makes them, each release within the tick of
// its press, place a spawn and the points of a polygon all the same.
TEST_F(CreateEndToEnd, QuickClicksPlaceASpawnAndAPolygon)
{
    // The pointer rests on the point first, as a hand stops before it clicks.
    const auto quickClick = [&](const Pixel& at, int button = 1) {
        editor.moveTo(at.x, at.y);
        user.settle();
        editor.click(at.x, at.y, button);
        user.settle();
    };
    chooseType(kTrueBeingSpawn);
    quickClick({450, 200});
    chooseType(kPolygonType);
    quickClick({300, 450});
    quickClick({500, 450});
    quickClick({500, 600});
    quickClick({300, 600}, 3);
    saveWithCtrlS("quick.xml");
    const std::string saved = fileText(editor.mapPath("quick.xml"));
    EXPECT_EQ(countOf(saved, "<Spawn>"), 1u) << saved;
    EXPECT_EQ(countOf(saved, "<Poly>"), 1u) << saved;
}

// The pointer leaves the panel and clicks the map at once, the move and the
// click inside one tick: the click still places its spawn.
TEST_F(CreateEndToEnd, AClickRightAfterLeavingThePanelReachesTheMap)
{
    chooseType(kTrueBeingSpawn);
    ASSERT_TRUE(editor.xdotool({"mousemove", "450", "200", "click", "1"}));
    user.settle();
    saveWithCtrlS("leaving.xml");
    const std::string saved = fileText(editor.mapPath("leaving.xml"));
    EXPECT_EQ(countOf(saved, "<Spawn>"), 1u) << saved;
}

}  // namespace
