// Whose keys the editor acts on, tried as a user meets it: the real editor
// under a private X server, real key events, another program's window
// beside it, and the map files it saves as the oracle.
#include "tests/editor/support/EditorSession.h"
#include "tests/editor/support/EditorUser.h"
#include "tests/editor/support/ForeignWindow.h"
#include "tests/editor/support/MapText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace quillow::test;

constexpr const char* kMapName = "focus.xml";
constexpr MapBox kBox{0.0f, 0.0f, 256.0f};

class KeyboardEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        editor.tree().writeMap(kMapName, boxMapText({kBox}));
        ASSERT_TRUE(editor.start());
        ASSERT_TRUE(user.openMap(kMapName));
        ASSERT_TRUE(user.selectAt(pixelOf(kBox.x, kBox.y)));
    }

    std::string savedText() const { return fileText(editor.mapPath(kMapName)); }
    std::vector<Position> savedBoxes() const { return positionsOf(savedText(), "Aabb"); }

    // Makes the gesture and saves until the saved boxes pass the check.
    bool untilSaved(const std::function<void()>& gesture, const std::function<bool(const std::vector<Position>&)>& seen)
    {
        return user.repeatUntilSaved(gesture, [&] { return seen(savedBoxes()); });
    }

    EditorSession editor;
    EditorUser user{editor};
};

// With the focus in another program and the pointer resting on the editor,
// D (pan), Delete and Ctrl+S are that program's: the file is not written,
// the box stays and the view stays where it was, which a paste tells, as it
// lands in the middle of the view. With the focus back the same keys work.
TEST_F(KeyboardEndToEnd, KeysTypedIntoAnotherWindowAreNotTheEditors)
{
    const std::string opened = savedText();
    ForeignWindow other(editor.display());
    ASSERT_TRUE(other.takeFocus());
    for (const char* keys : {"d", "Delete", "ctrl+s"}) user.holdKeys(keys);
    EXPECT_EQ(editor.countLines("saving map"), 0u);
    EXPECT_EQ(savedText(), opened);

    ASSERT_TRUE(other.giveFocusTo(editor.window()));
    // A copy of the selected box, pasted in the middle of the view.
    const auto copyAndPaste = [&] {
        user.holdKeys("ctrl+c");
        user.holdKeys("ctrl+v");
    };
    ASSERT_TRUE(untilSaved(copyAndPaste, [](const auto& boxes) { return boxes.size() == 2; }));
    for (const Position& at : savedBoxes()) {
        EXPECT_EQ(at.x, kBox.x);
        EXPECT_EQ(at.y, kBox.y);
    }

    // Panned right, the next copy lands right of the box; Delete then
    // takes the selected box at the middle and leaves the copies.
    const auto rightOfTheBox = [](const std::vector<Position>& boxes) {
        return std::count_if(boxes.begin(), boxes.end(), [](const Position& at) { return at.x > kBox.x; });
    };
    ASSERT_TRUE(untilSaved(
        [&] {
            user.holdKeys("d");
            copyAndPaste();
        },
        [&](const auto& boxes) { return rightOfTheBox(boxes) > 0; }));
    const std::vector<Position> pasted = savedBoxes();
    ASSERT_TRUE(untilSaved([&] { user.holdKeys("Delete"); },
                           [&](const auto& boxes) { return boxes.size() == pasted.size() - 1; }));
    EXPECT_EQ(rightOfTheBox(savedBoxes()), rightOfTheBox(pasted));
}

// A name typed into the Save As dialog with a box selected: its letters
// are text, so b (the dump of the selection, a debug key) prints nothing,
// over the dialog or over the map; Ctrl+S still works.
TEST_F(KeyboardEndToEnd, PlainKeysTypedIntoATextFieldAreText)
{
    const size_t before = editor.lineCount();
    ASSERT_TRUE(user.chooseFromMenu(kFileTop, kSaveAsEntry));
    ASSERT_TRUE(editor.waitForLine("showmenu 6", before));
    user.typeInto(kDialogNameField, "bob.xml");
    // On the map, where the shortcuts are read, the field keeps the focus.
    editor.moveTo(kFreeMapPoint.x, kFreeMapPoint.y);
    user.settle();
    editor.type("b");
    editor.keyDown("ctrl+s");
    EXPECT_TRUE(editor.waitForLine("saving map", before));
    editor.keyUp("ctrl+s");
    EXPECT_EQ(editor.countLines("VornOwner"), 0u);
}

}  // namespace
