// The File menu and the top bar as a user drives them, on a map written for
// the test; the files the editor leaves and its standard output are the oracle.
#include "tests/editor/support/EditorSession.h"
#include "tests/editor/support/EditorUser.h"
#include "tests/editor/support/MapText.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <ostream>
#include <string>

namespace {

using namespace quillow::test;

constexpr const char* kMapName = "kept.xml";

class FileMenuEndToEnd : public ::testing::Test {
protected:
    // Starts the editor on a map of the boxes, opened through the File menu.
    void startOn(const std::vector<MapBox>& boxes)
    {
        mapText = boxMapText(boxes);
        editor.tree().writeMap(kMapName, mapText);
        ASSERT_TRUE(editor.start());
        ASSERT_TRUE(user.openMap(kMapName));
    }

    size_t savedBoxes() { return countOf(fileText(editor.mapPath(kMapName)), "<Aabb>"); }

    std::string mapText;
    EditorSession editor;
    EditorUser user{editor};
};

// New forgets the name of the map it replaces, so Ctrl+S cannot write the
// empty map over that file: it asks for a name instead.
TEST_F(FileMenuEndToEnd, CtrlSAfterNewAsksForANameAndLeavesTheOldFile)
{
    startOn({{0, 0, 60}});
    ASSERT_TRUE(user.newMap());
    editor.moveTo(kFreeMapPoint.x, kFreeMapPoint.y);
    user.settle();
    const size_t before = editor.lineCount();
    editor.keyDown("ctrl+s");
    EXPECT_TRUE(editor.waitForLine("showmenu 6", before));
    editor.keyUp("ctrl+s");
    EXPECT_EQ(editor.countLines("saving map"), 0u);
    EXPECT_EQ(fileText(editor.mapPath(kMapName)), mapText);
}

// A name with two dots in a row stays in the maps folder: it is saved and
// opened like any other.
TEST_F(FileMenuEndToEnd, ANameWithTwoDotsInARowIsSavedAndOpened)
{
    startOn({{0, 0, 60}});
    ASSERT_TRUE(user.saveAs("level..2.xml"));
    EXPECT_EQ(countOf(fileText(editor.mapPath("level..2.xml")), "<Aabb>"), 1u);
    ASSERT_TRUE(user.newMap());
    ASSERT_TRUE(user.openMap("level..2.xml"));
    std::filesystem::remove(editor.mapPath("level..2.xml"));
    ASSERT_TRUE(user.saveWithCtrlS());
    EXPECT_EQ(countOf(fileText(editor.mapPath("level..2.xml")), "<Aabb>"), 1u);
}

struct BadName {
    const char* typed;
    const char* message;
};

void PrintTo(const BadName& name, std::ostream* out)
{
    *out << name.typed;
}

class OpenBadName : public FileMenuEndToEnd, public ::testing::WithParamInterface<BadName> {};

// The map on screen and its name stay: Ctrl+S writes the same box back to
// the same file.
TEST_P(OpenBadName, KeepsTheCurrentMapAndItsName)
{
    startOn({{0, 0, 60}});
    ASSERT_TRUE(user.openMap(GetParam().typed, GetParam().message));
    std::filesystem::remove(editor.mapPath(kMapName));
    ASSERT_TRUE(user.saveWithCtrlS());
    EXPECT_EQ(savedBoxes(), 1u);
    EXPECT_EQ(std::filesystem::directory_iterator(editor.mapPath(kMapName).parent_path())->path().filename(),
              kMapName);
}

INSTANTIATE_TEST_SUITE_P(
    Names, OpenBadName,
    ::testing::Values(BadName{"missing.xml", "ERROR: the map \"missing.xml\" could not be opened; the current map stays"},
                      BadName{"../kept.xml", "ERROR: cannot open the map \"../kept.xml\": a map name cannot contain a folder"},
                      BadName{"..", "ERROR: cannot open the map \"..\": \"..\" is a folder, not a file name"}));

struct DropDown {
    const char* name;
    TopBarButton button;
    Pixel entry;  // a point of the menu, which a closed menu leaves to the map
};

void PrintTo(const DropDown& menu, std::ostream* out)
{
    *out << menu.name;
}

class TopBar : public FileMenuEndToEnd, public ::testing::WithParamInterface<DropDown> {};

// A click on the map closes the menu: Ctrl+S then works with the pointer
// where the menu's entry was, as it never does over a shown menu. A click
// that no tick saw closes nothing, so it is made again, a few times at most;
// nothing but a click on the map closes the menu here.
TEST_P(TopBar, OpensItsMenuAndAClickOnTheMapClosesIt)
{
    startOn({});
    const size_t before = editor.lineCount();
    editor.click(GetParam().button.at.x, GetParam().button.at.y);
    ASSERT_TRUE(editor.waitForLine(GetParam().button.shown, before));
    bool saved = false;
    for (int attempt = 0; attempt < 5 && !saved; ++attempt) {
        user.clickMap(kFreeMapPoint);
        saved = user.saveWithCtrlS(GetParam().entry, std::chrono::seconds(3));
    }
    EXPECT_TRUE(saved);
}

INSTANTIATE_TEST_SUITE_P(Menus, TopBar,
                         ::testing::Values(DropDown{"File", kFileTop, kSaveAsEntry},
                                           DropDown{"Edit", kEditTop, kCopyEntry},
                                           DropDown{"View", kViewTop, kShowGeoEntry}),
                         [](const ::testing::TestParamInfo<DropDown>& info) { return std::string(info.param.name); });

}  // namespace
