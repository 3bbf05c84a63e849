// The dialogs that drop-down entries open, clicked as a person clicks: the
// button held across ticks, anywhere on the entry, not only where the
// dialog or the tool bar happens to lie under the pointer too.
#include "tests/editor/support/EditorSession.h"
#include "tests/editor/support/EditorUser.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ostream>
#include <string>
#include <vector>

namespace {

using namespace quillow::test;

// The dialogs' Cancel buttons.
constexpr Pixel kFileDialogCancel{500, 479}, kMirrorCancel{340, 258};

struct DialogEntry {
    const char* name;
    TopBarButton menu;
    // The entry's row and the x of its left edge, centre and right edge
    // (and, on the File menu, between the tool bar and the dialog).
    int y;
    std::vector<int> xs;
    const char* shown;
    Pixel cancel;
};

void PrintTo(const DialogEntry& entry, std::ostream* out)
{
    *out << entry.name;
}

// The entries' buttons lie 5 pixels inside their menu's frame.
const std::vector<int> kFileEntryXs{6, 60, 85, 114};
const std::vector<int> kEditEntryXs{96, 150, 204};

class DropDownDialog : public ::testing::TestWithParam<DialogEntry> {
protected:
    EditorSession editor;
    EditorUser user{editor};
};

// The press that opens the dialog is no click on the map: the dialog stays
// until its own Cancel closes it.
TEST_P(DropDownDialog, OpensWhereverTheEntryIsClicked)
{
    const DialogEntry& entry = GetParam();
    ASSERT_TRUE(editor.start());
    // A map without a name: Save asks for one.
    ASSERT_TRUE(user.newMap());
    for (int x : entry.xs) {
        SCOPED_TRACE("entry clicked at x " + std::to_string(x));
        size_t before = editor.lineCount();
        user.holdClick(entry.menu.at);
        ASSERT_TRUE(editor.waitForLine(entry.menu.shown, before));
        before = editor.lineCount();
        user.holdClick({x, entry.y});
        ASSERT_TRUE(editor.waitForLine(entry.shown, before));
        user.settle();
        before = editor.lineCount();
        editor.click(entry.cancel.x, entry.cancel.y);
        EXPECT_TRUE(editor.waitForLine("HIDE TOP", before, std::chrono::seconds(5)));
        user.settle();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Entries, DropDownDialog,
    ::testing::Values(DialogEntry{"Save", kFileTop, kSaveEntry.y, kFileEntryXs, "showmenu 6", kFileDialogCancel},
                      DialogEntry{"SaveAs", kFileTop, kSaveAsEntry.y, kFileEntryXs, "showmenu 6", kFileDialogCancel},
                      DialogEntry{"Open", kFileTop, kOpenEntry.y, kFileEntryXs, "showmenu 7", kFileDialogCancel},
                      DialogEntry{"Mirror", kEditTop, kMirrorEntry.y, kEditEntryXs, "showmenu 9", kMirrorCancel}),
    [](const ::testing::TestParamInfo<DialogEntry>& info) { return std::string(info.param.name); });

}  // namespace
