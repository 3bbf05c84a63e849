// Looks drawn under Xvfb and read back: a frame window with a client panel
// and a button drawn from an XML file, wrapped static text, and the primitive
// descriptions.
#include "tests/zorir/Screen.h"
#include "tests/zorir/TestWindow.h"

#include "libs/zorir/BitmapDesc.h"
#include "libs/zorir/Button.h"
#include "libs/zorir/ComboBox.h"
#include "libs/zorir/ComplexGridLayouter.h"
#include "libs/zorir/EditField.h"
#include "libs/zorir/ListBox.h"
#include "libs/zorir/SpinBox.h"
#include "libs/zorir/ComplexGridCellInfo.h"
#include "libs/zorir/DefaultCheckDesc.h"
#include "libs/zorir/DefaultFrameDesc.h"
#include "libs/zorir/FrameWindow.h"
#include "libs/zorir/GradientSurfaceDesc.h"
#include "libs/zorir/Image.h"
#include "libs/zorir/Panel.h"
#include "libs/zorir/ProgressBarDesc.h"
#include "libs/zorir/ProgressSource.h"
#include "libs/zorir/PropertyScheme.h"
#include "libs/zorir/RectangleDesc.h"
#include "libs/zorir/SolidSurfaceDesc.h"
#include "libs/zorir/StaticText.h"
#include "libs/zorir/TextDesc.h"
#include "libs/zorir/TextRenderer.h"
#include "libs/zorir/core/StandardException.h"
#include "tests/support/GlTestContext.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using quillow::test::Pixel;
using Zorir::Color;
using Zorir::Rectangle;
using Zorir::Vector2;

using zorirtest::clearScreen;
using zorirtest::isBlack;
using zorirtest::pixelAt;
using zorirtest::side;

const std::string sans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

std::string fixture(const std::string& name)
{
    return std::string(std::getenv("QUILLOW_SOURCE_DIR")) + "/tests/zorir/looks/" + name;
}

testing::AssertionResult hasColor(const Pixel& p, int r, int g, int b)
{
    auto near = [](int a, int b) { return std::abs(a - b) <= 2; };
    if (near(p.r, r) && near(p.g, g) && near(p.b, b)) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "pixel is (" << int(p.r) << ", " << int(p.g) << ", " << int(p.b)
                                       << "), expected (" << r << ", " << g << ", " << b << ")";
}

// The rows of the area (screen coordinates) holding a pixel that is not black.
std::vector<int> litRows(const Rectangle& area)
{
    const int x = static_cast<int>(area.x), y = static_cast<int>(area.y);
    const int w = static_cast<int>(area.width), h = static_cast<int>(area.height);
    std::vector<unsigned char> block(static_cast<size_t>(w * h * 4));
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, side - (y + h), w, h, GL_RGBA, GL_UNSIGNED_BYTE, block.data());
    std::vector<int> rows;
    for (int row = 0; row < h; ++row) {
        for (int column = 0; column < w; ++column) {
            const unsigned char* p = &block[static_cast<size_t>((row * w + column) * 4)];
            if (p[0] || p[1] || p[2]) {
                rows.push_back(y + h - 1 - row);
                break;
            }
        }
    }
    return rows;
}

// A cleared screen of our size with a window manager that draws on it.
class LookPixelTest : public zorirtest::ManagerTest, public ::testing::Test {
protected:
    static void SetUpTestSuite() { Zorir::WindowManager::instance().initialize(sans, nullptr, nullptr, nullptr); }

    LookPixelTest() { clearScreen(); }
    ~LookPixelTest() override
    {
        if (manager().windowCapture()) manager().releaseMouse();
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }

    // Draws one description between begin2D and end2D.
    static void draw(Zorir::RenderDesc& look, const Rectangle& area)
    {
        Zorir::begin2D();
        look.draw(area);
        Zorir::end2D();
    }
};

// The frame at (20, 20)..(220, 170) with borders 20 (top) and 10; its
// client panel holds the button at (34, 44), 4 pixels into the client area.
TEST_F(LookPixelTest, AFrameWithAButtonShowsTheColoursOfItsXmlLook)
{
    Zorir::FrameWindow frame(Rectangle(20, 20, 220, 170), nullptr, "T");
    Zorir::Panel client(Rectangle(0, 0, 1, 1), &frame, "");
    Zorir::Button button(&client, "");
    frame.loadAppearance(fixture("frame-and-button.xml"), "testFrame");
    client.loadAppearance(fixture("frame-and-button.xml"), "testClient");
    button.loadAppearance(fixture("frame-and-button.xml"), "testButton");
    client.addChildWindow(&button, Zorir::ComplexGridCellInfo());
    button.setSize({60, 30});
    frame.setClientWindow(&client);
    manager().addWindow(&frame);
    ASSERT_EQ(button.position(), Vector2(34, 44));

    manager().draw();
    struct Spot {
        const char* part;
        int x, y;
        int r, g, b;
    } spots[] = {
        {"top-left corner", 25, 25, 255, 0, 0},
        {"top edge", 200, 25, 255, 255, 0},
        {"cleared top-right corner", 215, 25, 0, 0, 0},
        {"right edge", 215, 100, 0, 255, 255},
        {"left edge", 25, 100, 0, 255, 0},
        {"client", 150, 150, 128, 0, 128},
        {"released button", 40, 50, 0, 0, 255},
        {"outside", 240, 240, 0, 0, 0},
    };
    for (const Spot& s : spots) EXPECT_TRUE(hasColor(pixelAt(s.x, s.y), s.r, s.g, s.b)) << s.part;
    // The title box starts the top edge, 10 pixels wider than its text.
    const int titleEnd = 30 + static_cast<int>(frame.description()->textDesc->textWidth()) + 10;
    EXPECT_TRUE(hasColor(pixelAt(31, 21), 255, 255, 255));
    EXPECT_TRUE(hasColor(pixelAt(titleEnd - 2, 21), 255, 255, 255));
    EXPECT_TRUE(hasColor(pixelAt(titleEnd + 2, 21), 255, 255, 0));

    manager().onMouseMove(40, 50);
    manager().onLeftButtonDown(40, 50);
    clearScreen();
    manager().draw();
    EXPECT_TRUE(hasColor(pixelAt(40, 50), 255, 128, 0)) << "pressed button";
    manager().onLeftButtonUp(40, 50);
    clearScreen();
    manager().draw();
    EXPECT_TRUE(hasColor(pixelAt(40, 50), 0, 128, 255)) << "roll-over button";

    // A title too long for the top is cut to the space between the corners.
    frame.setText("A title far too long for a frame of two hundred pixels");
    clearScreen();
    manager().draw();
    EXPECT_TRUE(hasColor(pixelAt(208, 21), 255, 255, 255));
    EXPECT_TRUE(isBlack(pixelAt(215, 25)));
    manager().removeWindow(&frame);
}

TEST_F(LookPixelTest, AFramePieceOfNoKnownSectionFails)
{
    Zorir::DefaultFrameDesc piece(static_cast<Zorir::DefaultFrameDesc::Section>(9));
    try {
        draw(piece, Rectangle(0, 0, 10, 10));
        FAIL() << "drew an unknown section";
    } catch (const Zorir::Core::StandardException& error) {
        Zorir::end2D();
        EXPECT_NE(std::string(error.what()).find("Invalid section specified in default frame"), std::string::npos);
    }
}

TEST_F(LookPixelTest, LongStaticTextWrapsInsideItsRectangle)
{
    Zorir::StaticText label(nullptr, "alpha beta gamma delta epsilon zeta");
    label.setRectangle(Rectangle(20, 20, 120, 120));
    manager().addWindow(&label);
    manager().draw();
    const std::vector<int> rows = litRows(Rectangle(20, 20, 120, 120));
    ASSERT_FALSE(rows.empty());
    const float lineHeight = manager().propertyScheme()->staticTextDesc().textDesc->font()->lineHeight();
    const auto [top, bottom] = std::minmax_element(rows.begin(), rows.end());
    EXPECT_GT(*bottom - *top, 2 * lineHeight) << "at least three lines";
    // Nothing beside or below the label: wrapped and clipped.
    EXPECT_TRUE(litRows(Rectangle(121, 0, 256, 256)).empty());
    EXPECT_TRUE(litRows(Rectangle(0, 121, 121, 256)).empty());
    manager().removeWindow(&label);
}

TEST_F(LookPixelTest, ATextLookWithoutTextDrawsNothing)
{
    Zorir::TextDesc text(sans, 14);
    Zorir::begin2D();
    Zorir::setColor(Color(1, 0, 0, 1));
    text.draw(Rectangle(0, 0, 256, 256));
    // Not even its colour is set.
    GLfloat color[4] = {};
    glGetFloatv(GL_CURRENT_COLOR, color);
    Zorir::end2D();
    EXPECT_EQ(color[1], 0.0f);
    EXPECT_TRUE(litRows(Rectangle(0, 0, 256, 256)).empty());
}

TEST_F(LookPixelTest, GradientsRunLeftToRightOrBottomToTop)
{
    Zorir::GradientSurfaceDesc gradient;
    gradient.color1 = Color(1, 0, 0, 1);
    gradient.color2 = Color(0, 0, 1, 1);
    draw(gradient, Rectangle(0, 0, 100, 100));
    EXPECT_GT(pixelAt(2, 50).r, 240);
    EXPECT_GT(pixelAt(97, 50).b, 240);
    gradient.orientation = Zorir::GradientSurfaceDesc::Vertical;
    draw(gradient, Rectangle(0, 0, 100, 100));
    EXPECT_GT(pixelAt(50, 97).r, 240);
    EXPECT_GT(pixelAt(50, 2).b, 240);
}

TEST_F(LookPixelTest, RectangleStylesPutTheColoursOnTheirEdges)
{
    struct Case {
        Zorir::RectangleDesc::Style style;
        bool bottomInFirstColour;
        bool topInFirstColour;
    } cases[] = {
        {Zorir::RectangleDesc::Normal, true, true},
        {Zorir::RectangleDesc::Dropped, true, false},
        {Zorir::RectangleDesc::Raised, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style);
        clearScreen();
        Zorir::RectangleDesc rectangle(c.style);
        rectangle.color1 = Color(1, 0, 0, 1);
        rectangle.color2 = Color(0, 1, 0, 1);
        rectangle.lineWidth = 2;
        draw(rectangle, Rectangle(10, 10, 110, 60));
        EXPECT_EQ(pixelAt(60, 58).r == 255, c.bottomInFirstColour);
        EXPECT_EQ(pixelAt(60, 11).r == 255, c.topInFirstColour);
        EXPECT_TRUE(isBlack(pixelAt(60, 35)));
    }
}

TEST_F(LookPixelTest, ACheckMarkIsACrossInASquare)
{
    Zorir::DefaultCheckDesc check;
    check.color = Color(1, 1, 1, 1);
    draw(check, Rectangle(10, 10, 50, 30));
    EXPECT_FALSE(isBlack(pixelAt(20, 20))) << "the crossing";
    EXPECT_FALSE(isBlack(pixelAt(10, 20))) << "the square's left side";
    EXPECT_TRUE(isBlack(pixelAt(40, 20))) << "the square is as wide as high";
    EXPECT_FALSE(Zorir::lineSmoothing());
}

TEST_F(LookPixelTest, FrameCornersAreRoundedTowardsTheFramesCorner)
{
    Zorir::DefaultFrameDesc corner(Zorir::DefaultFrameDesc::TopLeft);
    corner.backgroundColor = Color(0, 0, 1, 1);
    corner.foregroundColor = Color(1, 1, 1, 1);
    draw(corner, Rectangle(10, 10, 50, 50));
    EXPECT_TRUE(isBlack(pixelAt(11, 11))) << "outside the quarter disc";
    EXPECT_TRUE(hasColor(pixelAt(45, 45), 0, 0, 255)) << "inside, near the client";
}

TEST_F(LookPixelTest, AFrameWithoutASectionDrawsTheTopEdge)
{
    Zorir::DefaultFrameDesc edge;
    edge.backgroundColor = Color(0, 0, 1, 1);
    edge.foregroundColor = Color(1, 1, 1, 1);
    draw(edge, Rectangle(10, 10, 110, 40));
    EXPECT_TRUE(hasColor(pixelAt(60, 12), 255, 255, 255)) << "the line on the outer side";
    EXPECT_TRUE(hasColor(pixelAt(60, 35), 0, 0, 255));
}

TEST_F(LookPixelTest, ABitmapShowsThePlaceholderOnceItNamesAFile)
{
    Zorir::SolidSurfaceDesc white(Color(1, 1, 1, 1));
    draw(white, Rectangle(0, 0, 100, 100));
    Zorir::BitmapDesc bitmap;
    draw(bitmap, Rectangle(10, 10, 50, 50));
    EXPECT_TRUE(hasColor(pixelAt(30, 30), 255, 255, 255)) << "no image: nothing drawn";
    bitmap.setFileName("buttons.png");
    draw(bitmap, Rectangle(10, 10, 50, 50));
    EXPECT_TRUE(isBlack(pixelAt(30, 30)));
    EXPECT_NE(bitmap.image()->handle(), 0u) << "the texture is made by the first draw";
}

TEST_F(LookPixelTest, AnArrowIsDrawnOnceAndThenCleared)
{
    Zorir::Button button(nullptr, "");
    button.setRectangle(Rectangle(10, 10, 90, 90));
    button.loadAppearance(fixture("frame-and-button.xml"), "testButton");
    button.description()->releasedLook.textDesc->color = Color(1, 1, 1, 1);
    button.description()->arrowDirection = Zorir::ButtonDesc::UpArrow;
    Zorir::begin2D();
    button.draw();
    Zorir::end2D();
    EXPECT_TRUE(hasColor(pixelAt(50, 55), 255, 255, 255)) << "the arrow in the text colour";
    EXPECT_EQ(button.description()->arrowDirection, Zorir::ButtonDesc::NoArrow);
    Zorir::begin2D();
    button.draw();
    Zorir::end2D();
    EXPECT_TRUE(hasColor(pixelAt(50, 55), 0, 0, 255));
}

// A progress bar's look asks its owner for the direction and the share done.
TEST_F(LookPixelTest, AProgressBarFillsItsShareFromTheLeftOrTheBottom)
{
    struct Progress : Zorir::ProgressSource {
        bool isVertical() const override { return vertical; }
        int32_t percentage() const override { return 50; }
        bool vertical = false;
    } progress;
    Zorir::ProgressBarDesc look;
    for (auto* part : {&look.horzEmptyDesc, &look.horzFullDesc, &look.vertEmptyDesc, &look.vertFullDesc}) {
        static_cast<Zorir::SolidSurfaceDesc&>(**part).color.alpha = 1.0f;
    }
    look.owner = &progress;
    draw(look, Rectangle(10, 10, 112, 112));
    EXPECT_TRUE(hasColor(pixelAt(20, 60), 0, 255, 0)) << "done, on the left";
    EXPECT_TRUE(hasColor(pixelAt(100, 60), 255, 0, 0));
    clearScreen();
    progress.vertical = true;
    draw(look, Rectangle(10, 10, 112, 112));
    EXPECT_TRUE(hasColor(pixelAt(60, 100), 0, 255, 0)) << "done, at the bottom";
    EXPECT_TRUE(hasColor(pixelAt(60, 20), 255, 0, 0));
}

// A long text scrolled to its end: characters selected anywhere in view are
// drawn in the selected-text colour on their highlight.
TEST_F(LookPixelTest, SelectedTextShowsOnItsHighlightWhereverTheFieldHasScrolled)
{
    Zorir::EditField field(nullptr, std::string(30, 'W'));
    field.setRectangle(Rectangle(10, 10, 110, 34));
    manager().addWindow(&field);
    // Drawn once first: the font measures its glyphs to the pixel once it
    // has drawn them.
    manager().draw();
    field.setCursor(30);
    const float scrolled = field.scrollOffset();
    ASSERT_LT(scrolled, -100.0f);
    struct Case {
        const char* name;
        int32_t start, end;
    } cases[] = {{"the last characters", 27, 30}, {"characters before the last", 26, 29}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clearScreen();
        field.setCursor(c.start);
        const float from = field.cursorX();
        field.setCursor(c.end);
        const float to = field.cursorX();
        ASSERT_EQ(field.scrollOffset(), scrolled) << "both ends in view";
        field.setSelection(c.start, c.end);
        manager().draw();
        int highlight = 0, ink = 0;
        // Clear of the highlight's edges, which blend into what lies beside.
        for (int y = 14; y < 30; ++y) {
            for (int x = static_cast<int>(from) + 3; x < static_cast<int>(to) - 3; ++x) {
                const Pixel p = pixelAt(x, y);
                highlight += hasColor(p, 217, 217, 217) ? 1 : 0;
                ink += p.r < 160 ? 1 : 0;
            }
        }
        EXPECT_GT(highlight, 100);
        EXPECT_GT(ink, 100) << "the selected letters on it";
    }
    manager().removeWindow(&field);
}

// The pixels of the area (screen coordinates) as drawn, row by row.
std::vector<unsigned char> pixelsOf(const Rectangle& area)
{
    const int w = static_cast<int>(area.width), h = static_cast<int>(area.height);
    std::vector<unsigned char> block(static_cast<size_t>(w * h * 4));
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(static_cast<int>(area.x), side - static_cast<int>(area.y) - h, w, h, GL_RGBA, GL_UNSIGNED_BYTE,
                 block.data());
    return block;
}

// A field given its text before its size, as a spin box gives its field
// the value before a layouter places the box, shows the text as a field
// placed first and given the text then does: a short text whole from the
// left margin, a long one as far as keeps the cursor between the margins,
// not scrolled for the width the field had when the text came.
TEST_F(LookPixelTest, AFieldGivenItsTextBeforeItsSizeShowsItAsAFieldSizedFirst)
{
    const Rectangle placed(10, 10, 140, 34);
    // With the arrows, half as wide as the box is high, right of the field.
    const Rectangle spinBoxPlaced(10, 10, 152, 34);
    const std::string longText(30, 'W');
    // Drawn once first: the font measures its glyphs to the pixel once it
    // has drawn them.
    Zorir::EditField warmUp(nullptr, longText + "30");
    warmUp.setRectangle(placed);
    manager().addWindow(&warmUp);
    manager().draw();
    manager().removeWindow(&warmUp);

    const auto drawn = [&](Zorir::Window& window) {
        clearScreen();
        manager().addWindow(&window);
        manager().draw();
        manager().removeWindow(&window);
        return pixelsOf(placed);
    };
    // The late field against one placed first and given its text and cursor.
    const auto expectAsSizedFirst = [&](Zorir::Window& drawnWindow, const Zorir::EditField& late) {
        Zorir::EditField sizedFirst(nullptr, "");
        sizedFirst.setRectangle(placed);
        sizedFirst.setText(late.text());
        sizedFirst.setCursor(late.cursor());
        const std::vector<unsigned char> expected = drawn(sizedFirst);
        ASSERT_GT(std::count_if(expected.begin(), expected.end(), [](unsigned char v) { return v > 150; }), 0);
        EXPECT_EQ(late.scrollOffset(), sizedFirst.scrollOffset());
        EXPECT_TRUE(drawn(drawnWindow) == expected);
    };
    for (const std::string& text : {std::string("30"), longText}) {
        for (int32_t cursor : {0, static_cast<int32_t>(text.size())}) {
            SCOPED_TRACE(text + ", cursor " + std::to_string(cursor));
            {
                SCOPED_TRACE("a field narrow when it got its text");
                Zorir::EditField field(nullptr, text);
                field.setSize(Vector2(10, 20));
                field.setCursor(cursor);
                field.setRectangle(placed);
                expectAsSizedFirst(field, field);
            }
            {
                SCOPED_TRACE("a spin box laid out after it showed its value");
                Zorir::SpinBox spinBox(nullptr, 30);
                spinBox.editField().setText(text);
                spinBox.editField().setCursor(cursor);
                spinBox.setRectangle(spinBoxPlaced);
                ASSERT_EQ(spinBox.editField().rectangle().width, placed.width);
                expectAsSizedFirst(spinBox, spinBox.editField());
            }
        }
    }
}

// The editor's menus as they look at run time: a frame in the editor's own
// look, and the widgets in the scheme the editor loads, both from where the
// build puts the files.
class ShippedLookPixelTest : public LookPixelTest {
protected:
    ShippedLookPixelTest()
    {
        EXPECT_TRUE(manager().propertyScheme()->load(shipped("ingameMenus.xml")));
        frame_.loadAppearance(shipped("mapeditortoolbar.xml"), "frameWindowDesc2");
        auto* grid = new Zorir::ComplexGridLayouter(Vector2(2, 2));
        grid->setColumnWidths({240});
        grid->setRowHeights({30, 30, 110, 30});
        client_.setLayouter(grid);
        uint32_t row = 0;
        for (Zorir::Window* widget : std::vector<Zorir::Window*>{&field_, &spinBox_, &list_, &combo_}) {
            Zorir::ComplexGridCellInfo cell;
            cell.column = 0;
            cell.row = row++;
            client_.addChildWindow(widget, cell);
        }
        frame_.setClientWindow(&client_);
        manager().addWindow(&frame_);
    }
    ~ShippedLookPixelTest() override
    {
        // The other tests draw with the default scheme.
        manager().initialize(sans, nullptr, nullptr, nullptr);
    }

    static std::string shipped(const std::string& name)
    {
        return std::string(std::getenv("QUILLOW_RUNTIME_DIR")) + "/bin/editor/data/" + name;
    }
    static bool isBright(const Pixel& p) { return p.r > 180 && p.g > 180 && p.b > 180; }
    // How many pixels of the area (screen coordinates) are drawn in a light
    // colour, as the looks' texts and arrows are.
    static int brightPixels(const Rectangle& area)
    {
        int count = 0;
        for (int y = static_cast<int>(area.y); y < static_cast<int>(area.y + area.height); ++y) {
            for (int x = static_cast<int>(area.x); x < static_cast<int>(area.x + area.width); ++x) {
                count += isBright(pixelAt(x, y)) ? 1 : 0;
            }
        }
        return count;
    }

    Zorir::FrameWindow frame_{Rectangle(0, 0, 256, 256), nullptr, ""};
    Zorir::Panel client_{Rectangle(0, 0, 1, 1), &frame_, ""};
    Zorir::EditField field_{&client_, "hello world"};
    Zorir::SpinBox spinBox_{&client_, 42};
    Zorir::ListBox list_{&client_, Rectangle(0, 0, 10, 10)};
    Zorir::ComboBox combo_{&client_, Rectangle(0, 0, 10, 10)};
};

TEST_F(ShippedLookPixelTest, AFrameWithAFieldASpinBoxAListAndAComboBox)
{
    field_.setSelection(0, 5);
    for (const char* line : {"alpha", "beta", "gamma"}) list_.addString(line);
    list_.setSelectedIndex(1);
    combo_.addString("circle");
    combo_.setCurrentText("circle");
    manager().draw();

    // The thin frame: its edge colour on the outermost pixels.
    EXPECT_TRUE(hasColor(pixelAt(1, 128), 140, 140, 179));
    EXPECT_TRUE(hasColor(pixelAt(254, 128), 140, 140, 179));

    // The selected "hello": an opaque bar in the selection colour, clear of
    // the glyphs at its top.
    const Rectangle field = field_.rectangle();
    Zorir::TextDesc& text = *field_.descriptionInForce()->textDesc;
    text.text = "hello";
    const float hello = text.textWidth();
    EXPECT_TRUE(hasColor(pixelAt(static_cast<int>(field.x + 3 + 0.5f * hello), static_cast<int>(field.y) + 2), 217,
                         217, 217));
    EXPECT_GT(brightPixels(Rectangle(field.x + 3 + hello + 2, field.y + 2, field.x + 150, field.y + field.height - 2)), 0)
        << "the unselected text";
    EXPECT_EQ(brightPixels(Rectangle(field.x + 150, field.y + 2, field.x + field.width - 2, field.y + field.height - 2)),
              0);

    // The spin box's arrows, in the button text colour.
    const Rectangle up = spinBox_.upButton().rectangle();
    EXPECT_TRUE(isBright(pixelAt(static_cast<int>(up.center().x), static_cast<int>(up.center().y))));
    const Rectangle down = spinBox_.downButton().rectangle();
    EXPECT_TRUE(isBright(pixelAt(static_cast<int>(down.center().x), static_cast<int>(down.center().y))));

    // The list's selected line, right of its short text.
    const Rectangle lines = list_.linesArea();
    const float pitch = list_.linePitch();
    EXPECT_TRUE(hasColor(pixelAt(static_cast<int>(lines.x + lines.width) - 4, static_cast<int>(lines.y + 1.5f * pitch)),
                         217, 217, 217));
    EXPECT_FALSE(hasColor(pixelAt(static_cast<int>(lines.x + lines.width) - 4, static_cast<int>(lines.y + 2.5f * pitch)),
                          217, 217, 217));

    // The combo box: its text at the left, its arrow at the right.
    const Rectangle combo = combo_.rectangle();
    EXPECT_GT(brightPixels(Rectangle(combo.x + 3, combo.y + 3, combo.x + 60, combo.y + combo.height - 3)), 0);
    EXPECT_GT(brightPixels(Rectangle(combo.x + combo.width - 30, combo.y + 2, combo.x + combo.width - 2,
                                     combo.y + combo.height - 2)),
              10);
}

}  // namespace
