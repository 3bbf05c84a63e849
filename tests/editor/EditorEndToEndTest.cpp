// The editor as a user drives it: the real program in its own runtime tree
// under a private X server, real X input, its standard output as the oracle.
#include "tests/editor/support/EditorSession.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

using quillow::test::EditorSession;

// A point on the map, away from every menu.
constexpr int kMapX = 800;
constexpr int kMapY = 600;

// Where the menus put their buttons, in window pixels.
constexpr int kFileX = 48, kTopBarY = 14;
constexpr int kFileMenuX = 60, kSaveAsY = 112, kOpenY = 144, kExitY = 272;
constexpr int kNameFieldX = 420, kNameFieldY = 450;
constexpr int kConfirmX = 342, kDialogButtonY = 479;

class EditorEndToEnd : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(editor.start()); }

    // Chooses an entry of the File menu.
    void fileMenu(int entryY)
    {
        const size_t before = editor.lineCount();
        editor.click(kFileX, kTopBarY);
        ASSERT_TRUE(editor.waitForLine("showmenu 3", before));
        editor.click(kFileMenuX, entryY);
    }

    // Types a name into the open dialog's field, leaving the pointer on the map.
    void typeName(const std::string& name)
    {
        editor.click(kNameFieldX, kNameFieldY);
        editor.moveTo(kMapX, kMapY);
        editor.type(name);
    }

    void confirmDialog() { editor.click(kConfirmX, kDialogButtonY); }

    void saveAs(const std::string& name)
    {
        const size_t before = editor.lineCount();
        fileMenu(kSaveAsY);
        ASSERT_TRUE(editor.waitForLine("showmenu 6", before));
        typeName(name);
        confirmDialog();
        ASSERT_TRUE(editor.waitForLine("saving map", before));
    }

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

TEST_F(EditorEndToEnd, FileExitEndsTheEditorWithStatusOne)
{
    fileMenu(kExitY);
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
    saveAs("first map.xml");
    EXPECT_TRUE(std::filesystem::exists(editor.mapPath("first map.xml")));
    std::filesystem::remove(editor.mapPath("first map.xml"));
    editor.moveTo(kMapX, kMapY);
    const size_t before = editor.lineCount();
    editor.keyDown("ctrl+s");
    ASSERT_TRUE(editor.waitForLine("saving map", before));
    editor.keyUp("s");
    const size_t second = editor.lineCount();
    editor.keyDown("s");
    EXPECT_TRUE(editor.waitForLine("saving map", second));
    editor.keyUp("ctrl+s");
    EXPECT_TRUE(std::filesystem::exists(editor.mapPath("first map.xml")));
}

TEST_F(EditorEndToEnd, KeysTypedIntoANameAreNoShortcuts)
{
    EXPECT_TRUE(editor.waitForLine("cam w"));
    const size_t before = editor.lineCount();
    fileMenu(kSaveAsY);
    ASSERT_TRUE(editor.waitForLine("showmenu 6", before));
    // p would go full screen and o shrink the window; each prints the new view.
    typeName("plop.xml");
    confirmDialog();
    ASSERT_TRUE(editor.waitForLine("saving map", before));
    EXPECT_TRUE(std::filesystem::exists(editor.mapPath("plop.xml")));
    EXPECT_EQ(editor.countLines("cam w"), 1u);
}

}  // namespace
