// The number fields of the panels as a user first sees them, read from the
// editor's window: each shows its whole value, from the field's left margin,
// before anything has been clicked in it.
#include "tests/editor/support/EditorSession.h"
#include "tests/editor/support/EditorUser.h"
#include "tests/editor/support/WindowPicture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace quillow::test;

// The side panels' value column: the inside of a field, clear of its edges
// and of the arrows; rows are 32 pixels apart, the first field edge at 8.
constexpr int kPanelFieldLeft = 873, kPanelFieldWidth = 118, kRowPitch = 32, kFirstRowTop = 8, kFieldHeight = 24;
// The Mirror dialog's axis field, inside its edges.
constexpr Area kMirrorAxisArea{267, 121, 138, 24};

struct Field {
    const char* name;
    int row;
    std::string value;
};

Area panelField(int row)
{
    return {kPanelFieldLeft, kFirstRowTop + kRowPitch * row + 1, kPanelFieldWidth, kFieldHeight};
}

// One run of ink per digit, each as wide as a digit is drawn, the first
// at the left margin: the whole value, not the sliver of its last digit
// that a field scrolled out of view shows.
testing::AssertionResult showsWhole(const WindowPicture& picture, const Area& area, const std::string& value)
{
    constexpr int kDigitWidth = 5, kMargin = 8;
    const std::vector<ColumnRun> glyphs = picture.inkRuns(area);
    std::string seen;
    for (const ColumnRun& run : glyphs) seen += " " + std::to_string(run.first) + ".." + std::to_string(run.last);
    if (glyphs.size() != value.size()) {
        return testing::AssertionFailure() << glyphs.size() << " glyphs at" << seen << " for \"" << value << "\"";
    }
    for (const ColumnRun& run : glyphs) {
        if (run.width() < kDigitWidth) return testing::AssertionFailure() << "a glyph cut off at" << seen;
    }
    if (glyphs.front().first > area.x + kMargin) {
        return testing::AssertionFailure() << "the value starts right of the margin, at" << seen;
    }
    return testing::AssertionSuccess();
}

class FieldsEndToEnd : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(editor.start()); }

    // The window as the editor drew it a few ticks after the last gesture.
    WindowPicture picture()
    {
        EditorUser::settle();
        return editor.picture();
    }

    // The window once the check passes, or as it stands after a few
    // seconds: a busy machine may draw the panel asked for later than a few
    // ticks on. A field drawn wrong stays wrong, and is reported.
    template <typename Check>
    WindowPicture pictureOnce(Check check)
    {
        WindowPicture shown = picture();
        for (int tries = 0; tries < 30 && !check(shown); ++tries) shown = picture();
        return shown;
    }

    void expectWhole(const std::vector<Field>& fields)
    {
        const WindowPicture shown = pictureOnce([&](const WindowPicture& candidate) {
            for (const Field& field : fields) {
                if (!showsWhole(candidate, panelField(field.row), field.value)) return false;
            }
            return true;
        });
        ASSERT_FALSE(shown.empty());
        for (const Field& field : fields) {
            EXPECT_TRUE(showsWhole(shown, panelField(field.row), field.value)) << field.name;
        }
    }

    EditorSession editor;
    EditorUser user{editor};
};

TEST_F(FieldsEndToEnd, TheCreatePanelShowsEveryValueWholeBeforeAnyClick)
{
    ASSERT_TRUE(user.chooseCreateTool());
    expectWhole({
        {"Layer", 2, "30"},
        {"Type", 3, "0"},
        {"Border Width", 6, "0"},
        {"Parallax X", 7, "100"},
        {"Parallax Y", 8, "100"},
        {"Snap X", 9, "0"},
        {"Snap Y", 10, "0"},
        {"Anim X", 12, "1"},
        {"Anim Y", 13, "1"},
        {"Anim cells", 14, "1"},
    });
}

TEST_F(FieldsEndToEnd, ThePropertyPanelShowsEveryValueWholeBeforeAnyClick)
{
    ASSERT_TRUE(user.chooseSelectTool());
    expectWhole({
        {"Layer", 5, "0"},
        {"Type", 6, "0"},
        {"Border Width", 9, "0"},
        {"Parallax X", 10, "0"},
        {"Parallax Y", 11, "0"},
        {"Width", 12, "0"},
        {"Height", 13, "0"},
        {"Anim X", 16, "0"},
        {"Anim Y", 17, "0"},
        {"Anim cells", 18, "1"},
    });
}

TEST_F(FieldsEndToEnd, TheMirrorDialogShowsItsAxisWholeBeforeAnyClick)
{
    const size_t before = editor.lineCount();
    ASSERT_TRUE(user.chooseFromMenu(kEditTop, kMirrorEntry));
    ASSERT_TRUE(editor.waitForLine("showmenu 9", before));
    const WindowPicture shown =
        pictureOnce([](const WindowPicture& candidate) { return bool(showsWhole(candidate, kMirrorAxisArea, "0")); });
    ASSERT_FALSE(shown.empty());
    EXPECT_TRUE(showsWhole(shown, kMirrorAxisArea, "0"));
}

}  // namespace
