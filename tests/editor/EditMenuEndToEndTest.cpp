// The Edit menu, the clipboard keys and the Mirror dialog as a user drives
// them: a map written for the test is opened, its box picked with the select
// tool, and the file Ctrl+S writes back is the oracle.
#include "tests/editor/support/EditorSession.h"
#include "tests/editor/support/EditorUser.h"
#include "tests/editor/support/MapText.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using namespace quillow::test;

// Left of the view's centre, where pasted copies land, so that they do not cover it.
constexpr MapBox kBox{-300.0f, 0.0f, 60.0f};
constexpr const char* kMapName = "edit menu.xml";

class EditMenuEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        editor.tree().writeMap(kMapName, boxMapText({kBox}));
        ASSERT_TRUE(editor.start());
        ASSERT_TRUE(user.openMap(kMapName));
        ASSERT_TRUE(user.chooseSelectTool());
        ASSERT_TRUE(user.selectAt(pixelOf(kBox.x, kBox.y)));
    }

    void edit(const Pixel& entry) { ASSERT_TRUE(user.chooseFromMenu(kEditTop, entry)); }

    // The boxes' x positions in the file last saved.
    std::vector<float> savedBoxes()
    {
        std::vector<float> xs;
        for (const Position& p : positionsOf(fileText(editor.mapPath(kMapName)), "Aabb")) xs.push_back(p.x);
        return xs;
    }

    // The gesture, made again while the saved map does not hold count boxes.
    void untilSavedBoxes(size_t count, const std::function<void()>& gesture)
    {
        EXPECT_TRUE(user.repeatUntilSaved(gesture, [&] { return savedBoxes().size() == count; }));
    }

    EditorSession editor;
    EditorUser user{editor};
};

// A paste lands in the middle of the view, at the origin, and a box
// without parallax is anchored at its own place, not at its source's.
TEST_F(EditMenuEndToEnd, CopyFromTheMenuPastesWithCtrlV)
{
    edit(kCopyEntry);
    untilSavedBoxes(2, [&] { user.holdKeys("ctrl+v"); });
    EXPECT_EQ(savedBoxes(), (std::vector<float>{kBox.x, 0.0f}));
    const std::string saved = fileText(editor.mapPath(kMapName));
    const std::vector<Position> places = positionsOf(saved, "Aabb");
    const std::vector<Position> anchors = pointsOf(saved, "OrigPos");
    ASSERT_EQ(anchors.size(), places.size());
    for (size_t i = 0; i < places.size(); ++i) {
        EXPECT_EQ(anchors[i].x, places[i].x) << "box " << i;
        EXPECT_EQ(anchors[i].y, places[i].y) << "box " << i;
    }
}

TEST_F(EditMenuEndToEnd, CtrlCCopiesForThePasteOfTheMenu)
{
    untilSavedBoxes(2, [&] {
        user.holdKeys("ctrl+c");
        edit(kPasteEntry);
    });
    EXPECT_EQ(savedBoxes(), (std::vector<float>{kBox.x, 0.0f}));
}

// The second Cut has nothing selected and leaves what the first one took.
TEST_F(EditMenuEndToEnd, CutTwiceStillPastesTheBox)
{
    edit(kCutEntry);
    edit(kCutEntry);
    untilSavedBoxes(1, [&] { user.holdKeys("ctrl+v"); });
    EXPECT_EQ(savedBoxes(), (std::vector<float>{0.0f}));
}

// The axis is typed and OK clicked without Return: the typed value counts.
TEST_F(EditMenuEndToEnd, MirrorAboutATypedAxisAddsTheMirroredCopy)
{
    const size_t before = editor.lineCount();
    edit(kMirrorEntry);
    ASSERT_TRUE(editor.waitForLine("showmenu 9", before));
    user.typeInto(kMirrorAxisField, "100");
    editor.click(kMirrorOk.x, kMirrorOk.y);
    ASSERT_TRUE(editor.waitForLine("HIDE TOP", before));
    ASSERT_TRUE(user.saveWithCtrlS());
    EXPECT_EQ(savedBoxes(), (std::vector<float>{kBox.x, 2 * 100 - kBox.x}));
}

}  // namespace
