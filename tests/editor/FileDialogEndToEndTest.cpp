// The Open dialog's list of map files, clicked as a user does.
#include "tests/editor/support/EditorSession.h"
#include "tests/editor/support/EditorUser.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>

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

struct MapsFolder {
    const char* name;
    bool missing;
    const char* line;
};

void PrintTo(const MapsFolder& folder, std::ostream* out)
{
    *out << folder.name;
}

class NoMapFiles : public ::testing::TestWithParam<MapsFolder> {};

// A listing that finds nothing says why, as a file search that cannot start
// does: error 2 when no file matches, 3 when the folder is not there.
TEST_P(NoMapFiles, TheDialogsListSaysWhyItIsEmpty)
{
    EditorSession editor;
    EditorUser user(editor);
    if (GetParam().missing) std::filesystem::remove_all(editor.mapPath("any.xml").parent_path());
    ASSERT_TRUE(editor.start());
    const size_t before = editor.lineCount();
    ASSERT_TRUE(user.chooseFromMenu(kFileTop, kOpenEntry));
    ASSERT_TRUE(editor.waitForLine("showmenu 7", before));
    EXPECT_TRUE(editor.waitForLine(GetParam().line, before));
}

INSTANTIATE_TEST_SUITE_P(Folders, NoMapFiles,
                         ::testing::Values(MapsFolder{"Empty", false, "Invalid file handle. Error is 2."},
                                           MapsFolder{"Missing", true, "Invalid file handle. Error is 3."}),
                         [](const ::testing::TestParamInfo<MapsFolder>& info) { return std::string(info.param.name); });

}  // namespace
