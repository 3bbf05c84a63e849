// The editor as a user drives it: the real program in its own runtime tree
// under a private X server, real X input, its standard output as the oracle.
#include "tests/editor/support/EditorSession.h"
#include "tests/editor/support/EditorUser.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

namespace {

using namespace quillow::test;

class EditorEndToEnd : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(editor.start()); }

    EditorSession editor;
    EditorUser user{editor};
};

TEST_F(EditorEndToEnd, CtrlSOnAMapWithoutNameOpensTheSaveAsDialogInsteadOfSaving)
{
    editor.moveTo(kFreeMapPoint.x, kFreeMapPoint.y);
    const size_t before = editor.lineCount();
    editor.keyDown("ctrl+s");
    EXPECT_TRUE(editor.waitForLine("showmenu 6", before));
    editor.keyUp("ctrl+s");
    EXPECT_EQ(editor.countLines("saving map"), 0u);
    EXPECT_TRUE(editor.isRunning());
}

TEST_F(EditorEndToEnd, AResizedWindowShowsTheSameWidthOfTheWorld)
{
    // The first reshape shows the start camera's halved view at 4:3.
    EXPECT_TRUE(editor.waitForLine("cam w 3150 h 2362.5"));
    const size_t before = editor.lineCount();
    editor.resizeWindow(800, 400);
    EXPECT_TRUE(editor.waitForLine("cam w 3150 h 1575", before));
    EXPECT_TRUE(editor.isRunning());
}

TEST_F(EditorEndToEnd, FileExitEndsTheEditorWithStatusOne)
{
    ASSERT_TRUE(user.chooseFromMenu(kFileTop, kExitEntry));
    EXPECT_EQ(editor.waitForExit(), 1);
}

TEST_F(EditorEndToEnd, ClosingTheWindowEndsTheEditor)
{
    ASSERT_TRUE(editor.closeWindow());
    EXPECT_EQ(editor.waitForExit(), 0);
    EXPECT_TRUE(editor.waitForLine("end of it all"));
}

TEST_F(EditorEndToEnd, SaveAsWritesTheTypedNameAndCtrlSWritesItAgainAtEachPress)
{
    ASSERT_TRUE(user.saveAs("first map.xml"));
    EXPECT_TRUE(std::filesystem::exists(editor.mapPath("first map.xml")));
    std::filesystem::remove(editor.mapPath("first map.xml"));
    editor.moveTo(kFreeMapPoint.x, kFreeMapPoint.y);
    const size_t before = editor.lineCount();
    editor.keyDown("ctrl+s");
    ASSERT_TRUE(editor.waitForLine("saving map", before));
    // S is pressed again; a release that no tick saw is no release, so the
    // press is made again then, a few times at most.
    bool savedAgain = false;
    for (int attempt = 0; attempt < 5 && !savedAgain; ++attempt) {
        editor.keyUp("s");
        user.settle();
        const size_t second = editor.lineCount();
        editor.keyDown("s");
        savedAgain = editor.waitForLine("saving map", second, std::chrono::seconds(3));
    }
    EXPECT_TRUE(savedAgain);
    editor.keyUp("ctrl+s");
    EXPECT_TRUE(std::filesystem::exists(editor.mapPath("first map.xml")));
}

TEST_F(EditorEndToEnd, KeysTypedIntoANameAreNoShortcuts)
{
    EXPECT_TRUE(editor.waitForLine("cam w"));
    const size_t before = editor.lineCount();
    ASSERT_TRUE(user.chooseFromMenu(kFileTop, kSaveAsEntry));
    ASSERT_TRUE(editor.waitForLine("showmenu 6", before));
    // Typed with the pointer on the map, where the shortcuts are read: p
    // would go full screen and o shrink the window; each prints the new view.
    editor.click(kDialogNameField.x, kDialogNameField.y);
    editor.moveTo(kFreeMapPoint.x, kFreeMapPoint.y);
    user.settle();
    editor.type("plop.xml");
    editor.click(kDialogConfirm.x, kDialogConfirm.y);
    ASSERT_TRUE(editor.waitForLine("saving map", before));
    EXPECT_TRUE(std::filesystem::exists(editor.mapPath("plop.xml")));
    EXPECT_EQ(editor.countLines("cam w"), 1u);
}

}  // namespace
