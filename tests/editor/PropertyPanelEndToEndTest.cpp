// The property panel as a user works it: the real editor under a private X
// server, driven with real X input; the map it saves is the oracle.
#include "tests/editor/support/EditorSession.h"
#include "tests/editor/support/EditorUser.h"
#include "tests/editor/support/MapText.h"
#include "tests/editor/support/WindowPicture.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using namespace quillow::test;

// The property panel's widgets, at the right edge of the window.
constexpr Pixel kLayerField{930, 181}, kParallaxXField{930, 341}, kLockedBox{800, 629}, kHasBorderBox{800, 245},
                kBorderWidthField{930, 309}, kBorderTexBox{930, 277};
// The text of the Border Tex box, left of its arrow.
constexpr Area kBorderTexText{874, 266, 100, 22};
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
    EXPECT_EQ(looks(), (Looks{{kMapBoxBody, "0"}, {kMapBoxBorder, "5"}, {kMapBoxBody, "0"}}));
}

// The part of the box just inside its top edge, where its border lies.
Area insideTopEdge(const MapBox& box)
{
    const Pixel top = pixelOf(box.x, box.y + box.size / 2);
    return {top.x - 15, top.y + 3, 30, 5};
}

// Whether most of the area shows the border's green hedge rather than the
// grey stone of the body.
bool mostlyHedge(const WindowPicture& picture, const Area& area)
{
    int green = 0;
    for (int y = area.y; y < area.y + area.height; ++y) {
        for (int x = area.x; x < area.x + area.width; ++x) {
            const Colour c = picture.at(x, y);
            green += c.g > c.r + 20 && c.g > c.b + 20 ? 1 : 0;
        }
    }
    return green * 2 > area.width * area.height;
}

// A border the panel builds anew, by a width or by "Has Border" cleared and
// checked again, is drawn over the body as the box's own border was, and
// saved ahead of the body as a new box has it, so it shows again once the
// map is opened.
TEST_F(PropertyPanelEndToEnd, ARebuiltBorderIsDrawnOverTheBodyAndStaysSoOnceSavedAndOpened)
{
    const auto borderShows = [&] {
        EditorUser::settle();
        return mostlyHedge(editor.picture(), insideTopEdge(kOther));
    };
    const auto setBorderWidth = [&](const char* width) {
        user.typeInto(kBorderWidthField, width);
        editor.tapKey("Return");
    };
    ASSERT_TRUE(user.selectAt(centreOf(kOther)));
    setBorderWidth("80");
    EXPECT_TRUE(borderShows()) << "a wider border";
    editor.click(kHasBorderBox.x, kHasBorderBox.y);
    EXPECT_FALSE(borderShows()) << "no border";
    editor.click(kHasBorderBox.x, kHasBorderBox.y);
    setBorderWidth("80");
    EXPECT_TRUE(borderShows()) << "a border given again";

    ASSERT_TRUE(user.saveAs("border.xml"));
    const std::vector<std::string> boxes = objectTexts(fileText(editor.mapPath("border.xml")), "Aabb");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(valuesOf(boxes[1], "ImgName"), (std::vector<std::string>{kMapBoxBorder, kMapBoxBody}));
    EXPECT_EQ(valuesOf(boxes[1], "BorderSize"), (std::vector<std::string>{"80", "0"}));
    ASSERT_TRUE(user.newMap());
    EXPECT_FALSE(borderShows()) << "an empty map";
    ASSERT_TRUE(user.openMap("border.xml"));
    EXPECT_TRUE(borderShows()) << "the map opened again";
}

// An object without a border shows the texture a border would take, not
// the last object's: a border given through the panel has the texture the
// panel showed, and a texture picked from the list before the width counts.
TEST_F(PropertyPanelEndToEnd, ABorderGivenThroughThePanelHasTheTextureThePanelShows)
{
    const std::vector<Pixel> framed{{150, 100}, {300, 100}, {150, 250}}, plain{{550, 100}, {700, 100}, {550, 250}};
    const Pixel insideFramed{190, 140}, insidePlain{590, 140};
    ASSERT_TRUE(user.chooseCreateTool());
    user.pickFromList(kObjTypeBox, kPolygonType);
    editor.click(kCreateHasBorderBox.x, kCreateHasBorderBox.y);
    user.typeInto(kCreateBorderWidthField, "60");
    user.pickFromList(kCreateBorderTexBox, kHedge3Line);
    user.clickPolygon(framed);
    editor.click(kCreateHasBorderBox.x, kCreateHasBorderBox.y);
    user.pickFromList(kCreateBorderTexBox, kGrassLine);
    user.clickPolygon(plain);

    // The text the Border Tex box shows, told by its glyphs.
    const auto borderTexShown = [&] {
        EditorUser::settle();
        return editor.picture().inkRuns(kBorderTexText);
    };
    // The image of the plain polygon's border as saved: the drawable with a width.
    const auto savedBorder = [&] {
        if (!user.saveWithCtrlS()) return std::string("not saved");
        for (const std::string& poly : objectTexts(savedText(), "Poly")) {
            if (positionsOf(poly, "Poly").at(0).x < 0) continue;
            const std::vector<std::string> images = valuesOf(poly, "ImgName"), widths = valuesOf(poly, "BorderSize");
            for (size_t i = 0; i < images.size() && i < widths.size(); ++i) {
                if (widths[i] != "0") return images[i];
            }
        }
        return std::string("none");
    };
    const auto selectPlainAfterFramed = [&] {
        ASSERT_TRUE(user.selectAt(insideFramed));
        ASSERT_TRUE(user.selectAt(insidePlain));
    };
    const auto giveBorder = [&] {
        editor.click(kHasBorderBox.x, kHasBorderBox.y);
        user.typeInto(kBorderWidthField, "60");
        editor.tapKey("Return");
    };
    ASSERT_TRUE(user.chooseSelectTool());
    selectPlainAfterFramed();
    const std::vector<ColumnRun> shownBefore = borderTexShown();
    giveBorder();
    EXPECT_EQ(savedBorder(), "grass") << "the texture the polygon was made with";
    selectPlainAfterFramed();
    EXPECT_EQ(borderTexShown(), shownBefore) << "the panel showed another texture than the border took";

    // Without its border again, the polygon is given the framed one's texture from the list.
    editor.click(kHasBorderBox.x, kHasBorderBox.y);
    EXPECT_EQ(savedBorder(), "none");
    selectPlainAfterFramed();
    user.pickFromList(kBorderTexBox, kHedge3Line);
    giveBorder();
    EXPECT_EQ(savedBorder(), kMapBoxBorder);
}

}  // namespace
