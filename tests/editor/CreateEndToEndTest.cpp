// Building a map as a designer does: the tool bar, the create-object panel,
// drags on the map, Ctrl+S and the Save As dialog, through real X input.
// The saved files are the oracle.
#include "tests/editor/support/EditorSession.h"
#include "tests/editor/support/MapText.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using quillow::test::countOf;
using quillow::test::EditorSession;
using quillow::test::fileText;

// Window pixels of the widgets the test uses.
constexpr int kCreateButtonX = 35, kCreateButtonY = 152;
constexpr int kObjTypeX = 935, kObjTypeY = 19;
constexpr int kListX = 914, kFirstLineY = 44, kLineStep = 25;
constexpr int kNameFieldX = 420, kNameFieldY = 450;
constexpr int kConfirmX = 342, kDialogButtonY = 479;
constexpr int kFileX = 48, kTopBarY = 14, kFileMenuX = 60, kSaveAsY = 112, kOpenY = 144;
constexpr int kGridSize = 128;

enum ObjectType { kCircleType, kRectangleType, kPolygonType, kTrueBeingSpawn, kEnlightedOneSpawn };

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
        const size_t before = editor.lineCount();
        editor.click(kCreateButtonX, kCreateButtonY);
        ASSERT_TRUE(editor.waitForLine("showmenu 1", before));
    }

    // The editor samples the mouse once a tick: give each step a few ticks.
    static void settle() { std::this_thread::sleep_for(std::chrono::milliseconds(150)); }

    void chooseType(ObjectType type)
    {
        editor.click(kObjTypeX, kObjTypeY);
        settle();
        editor.click(kListX, kFirstLineY + kLineStep * type);
        settle();
    }

    // Left button down at from, through the passes, up at the last one.
    void drag(int fromX, int fromY, const std::vector<std::pair<int, int>>& passes)
    {
        editor.moveTo(fromX, fromY);
        settle();
        editor.press(fromX, fromY);
        settle();
        for (const auto& [x, y] : passes) {
            editor.moveTo(x, y);
            settle();
        }
        editor.release(passes.back().first, passes.back().second);
        settle();
    }

    void clickMap(int x, int y, int button = 1)
    {
        editor.moveTo(x, y);
        settle();
        editor.press(x, y, button);
        settle();
        editor.release(x, y, button);
        settle();
    }

    // The dialogs keep the last name typed: it is selected and erased first.
    void typeIntoDialog(const std::string& name)
    {
        editor.click(kNameFieldX, kNameFieldY);
        editor.moveTo(500, 650);
        editor.tapKey("End");
        editor.tapKey("shift+Home");
        editor.tapKey("BackSpace");
        editor.type(name);
        editor.click(kConfirmX, kDialogButtonY);
    }

    void fileMenu(int entryY, const std::string& shown)
    {
        const size_t before = editor.lineCount();
        editor.click(kFileX, kTopBarY);
        ASSERT_TRUE(editor.waitForLine("showmenu 3", before));
        editor.click(kFileMenuX, entryY);
        ASSERT_TRUE(editor.waitForLine(shown, before));
    }

    void saveWithCtrlS(const std::string& name)
    {
        editor.moveTo(500, 650);
        settle();
        const size_t before = editor.lineCount();
        editor.keyDown("ctrl+s");
        ASSERT_TRUE(editor.waitForLine("showmenu 6", before));
        editor.keyUp("ctrl+s");
        typeIntoDialog(name);
        ASSERT_TRUE(editor.waitForLine("saving map", before));
    }

    EditorSession editor;
};

TEST_F(CreateEndToEnd, ADraggedRectangleIsSavedWithItsSizeLayerAndSide)
{
    chooseType(kRectangleType);
    drag(300, 300, {{340, 330}, {380, 360}, {420, 400}, {420, 400}});
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

TEST_F(CreateEndToEnd, CircleSpawnsAndPolygonAreSavedAndOpenAgain)
{
    chooseType(kCircleType);
    drag(200, 250, {{260, 250 + 40}, {260, 290}});
    chooseType(kTrueBeingSpawn);
    clickMap(450, 200);
    chooseType(kEnlightedOneSpawn);
    clickMap(550, 200);
    chooseType(kPolygonType);
    // Counter-clockwise on screen is clockwise in the world (y up): the
    // editor turns it round and builds it all the same.
    clickMap(300, 450);
    clickMap(500, 450);
    clickMap(500, 600);
    clickMap(300, 600, 3);
    saveWithCtrlS("scene.xml");
    const std::string saved = fileText(editor.mapPath("scene.xml"));
    EXPECT_EQ(countOf(saved, "<Circle>"), 1u) << saved;
    EXPECT_EQ(countOf(saved, "<Poly>"), 1u) << saved;
    EXPECT_EQ(countOf(saved, "<Spawn>"), 2u) << saved;
    EXPECT_NE(saved.find("<Alignment>1</Alignment>"), std::string::npos);
    EXPECT_NE(saved.find("<Alignment>0</Alignment>"), std::string::npos);

    // Opened again and saved under another name, the map still holds them all.
    fileMenu(kOpenY, "showmenu 7");
    typeIntoDialog("scene.xml");
    settle();
    const size_t before = editor.lineCount();
    fileMenu(kSaveAsY, "showmenu 6");
    typeIntoDialog("scene again.xml");
    ASSERT_TRUE(editor.waitForLine("saving map", before));
    const std::string reopened = fileText(editor.mapPath("scene again.xml"));
    EXPECT_EQ(countOf(reopened, "<Circle>"), 1u);
    EXPECT_EQ(countOf(reopened, "<Poly>"), 1u);
    EXPECT_EQ(countOf(reopened, "<Spawn>"), 2u);
}

}  // namespace
