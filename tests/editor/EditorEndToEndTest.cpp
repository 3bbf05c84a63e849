// The editor as a user drives it: the real program in its own runtime tree
// under a private X server, real X input, its standard output as the oracle.
#include "tests/editor/support/EditorSession.h"

#include <gtest/gtest.h>

namespace {

using quillow::test::EditorSession;

// A point on the map, away from every menu.
constexpr int kMapX = 600;
constexpr int kMapY = 450;

class EditorEndToEnd : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(editor.start()); }

    EditorSession editor;
};

TEST_F(EditorEndToEnd, CtrlSOnAMapWithoutNameOpensTheSaveAsDialogInsteadOfSaving)
{
    editor.moveTo(kMapX, kMapY);
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

TEST_F(EditorEndToEnd, TheTopBarOpensAndClosesTheFileMenu)
{
    const size_t before = editor.lineCount();
    editor.click(70, 14);
    EXPECT_TRUE(editor.waitForLine("showmenu 3", before));
    // A click on the map closes it again.
    const size_t opened = editor.lineCount();
    editor.click(kMapX, kMapY);
    editor.click(70, 14);
    EXPECT_TRUE(editor.waitForLine("showmenu 3", opened));
}

}  // namespace
