// The Open dialog's list of map files, clicked as a user does.
#include "tests/editor/support/EditorSession.h"
#include "tests/editor/support/EditorUser.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using namespace quillow::test;

// The first row of the dialogs' file list.
constexpr Pixel kFirstRow{200, 92};

TEST(FileDialogEndToEnd, ARowClickedInTheOpenDialogIsTheMapOpened)
{
    EditorSession editor;
    EditorUser user(editor);
    ASSERT_TRUE(editor.start());
    ASSERT_TRUE(user.saveAs("listed.xml"));

    // New forgets the name, so only an opened map can be saved without a dialog.
    ASSERT_TRUE(user.newMap());

    size_t before = editor.lineCount();
    ASSERT_TRUE(user.chooseFromMenu(kFileTop, kOpenEntry));
    ASSERT_TRUE(editor.waitForLine("showmenu 7", before));
    editor.click(kFirstRow.x, kFirstRow.y);
    user.settle();
    before = editor.lineCount();
    editor.click(kDialogConfirm.x, kDialogConfirm.y);
    ASSERT_TRUE(editor.waitForLine("unloading old map", before));

    std::filesystem::remove(editor.mapPath("listed.xml"));
    EXPECT_TRUE(user.saveWithCtrlS());
    EXPECT_TRUE(std::filesystem::exists(editor.mapPath("listed.xml")));
}

}  // namespace
