// The property panel as a user works it: the real editor under a private X
// server, driven with real X input; the map it saves is the oracle.
#include "tests/editor/support/EditorSession.h"
#include "tests/editor/support/EditorUser.h"
#include "tests/editor/support/MapText.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using namespace quillow::test;

// The property panel's widgets, at the right edge of the window.
constexpr Pixel kLayerField{930, 181}, kParallaxXField{930, 341}, kLockedBox{800, 629}, kHasBorderBox{800, 245},
                kBorderWidthField{930, 309};
constexpr MapBox kEdited{-400.0f, 0.0f, 256.0f}, kOther{300.0f, -500.0f, 200.0f, 7.0f};
constexpr const char* kMapName = "panel.xml";

class PropertyPanelEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        editor.tree().writeMap(kMapName, boxMapText({kEdited, kOther}));
        ASSERT_TRUE(editor.start());
        ASSERT_TRUE(user.openMap(kMapName));
        ASSERT_TRUE(user.chooseSelectTool());
    }

    std::string savedText() { return fileText(editor.mapPath(kMapName)); }

    EditorSession editor;
    EditorUser user{editor};
};

Pixel centreOf(const MapBox& box)
{
    return pixelOf(box.x, box.y);
}

// Layer, Parallax X and Locked set on a selected box. A locked box is
// never picked: a shift-click on it adds nothing to the other box's
// selection, so Delete takes the other box alone.
TEST_F(PropertyPanelEndToEnd, SetsLayerParallaxAndLock)
{
    ASSERT_TRUE(user.selectAt(centreOf(kEdited)));
    user.typeInto(kLayerField, "300");
    user.typeInto(kParallaxXField, "150");
    editor.click(kLockedBox.x, kLockedBox.y);
    EditorUser::settle();

    ASSERT_TRUE(user.selectAt(centreOf(kOther)));
    ASSERT_TRUE(user.addToSelectionAt(centreOf(kEdited)));
    ASSERT_TRUE(user.repeatUntilSaved([&] { user.holdKeys("Delete"); },
                                      [&] { return countOf(savedText(), "<Aabb>") < 2; }));

    const std::string saved = savedText();
    const std::vector<Position> boxes = positionsOf(saved, "Aabb");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes.front().x, kEdited.x);
    EXPECT_EQ(boxes.front().y, kEdited.y);
    EXPECT_EQ(valuesOf(saved, "Layer"), (std::vector<std::string>{"300"}));
    const std::vector<Position> parallax = pointsOf(saved, "Parallax");
    ASSERT_EQ(parallax.size(), 1u);
    EXPECT_EQ(parallax.front().x, 0.5f);
    EXPECT_EQ(parallax.front().y, 0.0f);
}

// Clearing "Has Border" saves the framed box with its body alone; checking
// it again with a width saves a border of that width in the border's image
// once more, and the body keeps its own image.
TEST_F(PropertyPanelEndToEnd, HasBorderClearedThenCheckedWithAWidthBuildsTheBorderAgain)
{
    // Each drawable's image and border width, in file order.
    auto looks = [&] {
        const std::string saved = savedText();
        std::vector<std::pair<std::string, std::string>> found;
        const std::vector<std::string> images = valuesOf(saved, "ImgName");
        const std::vector<std::string> widths = valuesOf(saved, "BorderSize");
        for (size_t i = 0; i < images.size() && i < widths.size(); ++i) found.emplace_back(images[i], widths[i]);
        return found;
    };
    using Looks = std::vector<std::pair<std::string, std::string>>;
    ASSERT_TRUE(user.selectAt(centreOf(kOther)));
    editor.click(kHasBorderBox.x, kHasBorderBox.y);
    EditorUser::settle();
    ASSERT_TRUE(user.saveWithCtrlS());
    EXPECT_EQ(looks(), (Looks{{kMapBoxBody, "0"}, {kMapBoxBody, "0"}}));

    editor.click(kHasBorderBox.x, kHasBorderBox.y);
    user.typeInto(kBorderWidthField, "5");
    editor.tapKey("Return");
    EditorUser::settle();
    ASSERT_TRUE(user.saveWithCtrlS());
    EXPECT_EQ(looks(), (Looks{{kMapBoxBody, "0"}, {kMapBoxBody, "0"}, {kMapBoxBorder, "5"}}));
}

}  // namespace
