// The OpenGL renderer and the window manager's drawing pass under Xvfb,
// checked by reading pixels back.
#include "tests/zorir/Screen.h"
#include "tests/zorir/TestWindow.h"

#include "libs/zorir/Image.h"
#include "libs/zorir/NilImage.h"
#include "libs/zorir/Renderer.h"
#include "libs/zorir/core/StandardException.h"
#include "tests/support/GlTestContext.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
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

const Color red(1, 0, 0, 1);
const Color green(0, 1, 0, 1);
const Color blue(0, 0, 1, 1);

bool isRed(const Pixel& p) { return p.r == 255 && p.g == 0 && p.b == 0; }

class RendererTest : public zorirtest::ManagerTest, public ::testing::Test {
protected:
    RendererTest()
    {
        clearScreen();
        Zorir::begin2D();
    }
    ~RendererTest() override
    {
        Zorir::end2D();
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
};

std::array<GLfloat, 16> matrix(GLenum which)
{
    std::array<GLfloat, 16> values{};
    glGetFloatv(which, values.data());
    return values;
}

TEST(Renderer2D, BeginAndEndLeaveTheHostStateAsItWas)
{
    quillow::test::ensureGlContext(side, side);
    Zorir::WindowManager::instance().screenResized(side, side);
    // A host state unlike the toolkit's in every group it changes.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-1, 1, -1, 1, 1, 100);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1, 2, 3);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ZERO);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 7);
    glColor4f(0.25f, 0.5f, 0.75f, 1.0f);
    glLineWidth(3.0f);

    const auto projection = matrix(GL_PROJECTION_MATRIX);
    const auto modelView = matrix(GL_MODELVIEW_MATRIX);
    Zorir::begin2D();
    Zorir::setColor(red);
    Zorir::setLineWidth(1.0f);
    Zorir::drawRectangle({10, 10}, {20, 20}, true);
    Zorir::enableClipping(Rectangle(Vector2(0, 0), Vector2(5, 5)));
    Zorir::end2D();

    EXPECT_EQ(matrix(GL_PROJECTION_MATRIX), projection);
    EXPECT_EQ(matrix(GL_MODELVIEW_MATRIX), modelView);
    GLint mode = 0, alignment = 0, rowLength = 0, source = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glGetIntegerv(GL_UNPACK_ROW_LENGTH, &rowLength);
    glGetIntegerv(GL_BLEND_SRC, &source);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_EQ(alignment, 4);
    EXPECT_EQ(rowLength, 7);
    EXPECT_EQ(source, GL_ONE);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
    std::array<GLfloat, 4> color{};
    glGetFloatv(GL_CURRENT_COLOR, color.data());
    EXPECT_EQ(color, (std::array<GLfloat, 4>{0.25f, 0.5f, 0.75f, 1.0f}));
    EXPECT_FLOAT_EQ(Zorir::lineWidth(), 3.0f);

    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glLineWidth(1.0f);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

TEST_F(RendererTest, ScissorBoxCountsFromTheBottom)
{
    glViewport(0, 0, 1024, 768);
    Zorir::enableClipping(Rectangle(Vector2(10, 20), Vector2(110, 70)));
    std::array<GLint, 4> box{};
    glGetIntegerv(GL_SCISSOR_BOX, box.data());
    EXPECT_EQ(box, (std::array<GLint, 4>{10, 698, 101, 51}));
    EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
    Zorir::disableClipping();
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
    glViewport(0, 0, side, side);
}

TEST_F(RendererTest, ClippingKeepsDrawingInsideTheRectangle)
{
    Zorir::enableClipping(Rectangle(Vector2(50, 60), Vector2(100, 90)));
    Zorir::setColor(red);
    Zorir::drawRectangle({0, 0}, {side, side}, true);
    Zorir::disableClipping();
    EXPECT_TRUE(isRed(pixelAt(75, 75)));
    EXPECT_TRUE(isRed(pixelAt(50, 60)));
    EXPECT_TRUE(isBlack(pixelAt(49, 75)));
    // The box is one pixel larger than the rectangle's whole parts, and
    // reckoned from the bottom, so its extra row lies above the rectangle.
    EXPECT_TRUE(isBlack(pixelAt(75, 58)));
    EXPECT_TRUE(isBlack(pixelAt(102, 75)));
    EXPECT_TRUE(isBlack(pixelAt(75, 92)));
}

TEST_F(RendererTest, FilledRectangleCoversExactlyItsPixels)
{
    Zorir::setColor(red);
    Zorir::drawRectangle({10, 20}, {40, 60}, true);
    struct Case {
        int x, y;
        bool inside;
    };
    const Case cases[] = {{10, 20, true}, {39, 59, true}, {25, 40, true}, {9, 30, false},
                          {40, 30, false}, {20, 19, false}, {20, 60, false}};
    for (const Case& c : cases) {
        const Pixel p = pixelAt(c.x, c.y);
        EXPECT_EQ(isRed(p), c.inside) << c.x << "," << c.y;
        if (!c.inside) {
            EXPECT_TRUE(isBlack(p)) << c.x << "," << c.y;
        }
    }
}

TEST_F(RendererTest, WideOutlineStaysInsideTheRectangle)
{
    Zorir::setColor(red);
    Zorir::setLineWidth(2.0f);
    Zorir::drawRectangle({20, 20}, {60, 60}, false);
    Zorir::setLineWidth(1.0f);
    for (int i = 18; i <= 62; ++i) {
        // The ring just outside stays untouched.
        for (const auto& [x, y] : {std::pair{i, 19}, std::pair{i, 60}, std::pair{19, i}, std::pair{60, i}}) {
            EXPECT_TRUE(isBlack(pixelAt(x, y))) << x << "," << y;
        }
    }
    for (const auto& [x, y] : {std::pair{40, 20}, std::pair{40, 59}, std::pair{20, 40}, std::pair{59, 40}}) {
        EXPECT_TRUE(isRed(pixelAt(x, y))) << x << "," << y;
    }
    EXPECT_TRUE(isBlack(pixelAt(40, 40)));
}

TEST_F(RendererTest, BevelColoursItsEdgesInPairs)
{
    Zorir::drawBevel({20, 20}, {60, 60}, red, blue);
    EXPECT_TRUE(isRed(pixelAt(40, 59)));   // bottom
    EXPECT_TRUE(isRed(pixelAt(59, 40)));   // right
    EXPECT_EQ(pixelAt(40, 20).b, 255);     // top
    EXPECT_EQ(pixelAt(20, 40).b, 255);     // left
    Zorir::drawBevelSwapped({100, 20}, {140, 60}, red, blue);
    EXPECT_EQ(pixelAt(120, 59).b, 255);
    EXPECT_TRUE(isRed(pixelAt(120, 20)));
}

TEST_F(RendererTest, GradientRunsBetweenItsColours)
{
    Zorir::drawGradient({0, 0}, {100, 20}, red, blue, true);
    Zorir::drawGradient({0, 100}, {20, 200}, red, blue, false);
    const Pixel left = pixelAt(1, 10), right = pixelAt(98, 10);
    EXPECT_GT(left.r, 240);
    EXPECT_LT(left.b, 15);
    EXPECT_GT(right.b, 240);
    const Pixel bottom = pixelAt(10, 198), top = pixelAt(10, 101);
    EXPECT_GT(bottom.r, 240);
    EXPECT_GT(top.b, 240);
}

TEST_F(RendererTest, RoundedRectangleLeavesItsCornersOut)
{
    Zorir::setColor(green);
    Zorir::drawRoundedRectangle({20, 20}, {120, 80}, 15, true);
    EXPECT_EQ(pixelAt(70, 50).g, 255);
    EXPECT_EQ(pixelAt(70, 21).g, 255);   // top band
    EXPECT_EQ(pixelAt(21, 50).g, 255);   // left band
    for (const auto& [x, y] : {std::pair{21, 21}, std::pair{118, 21}, std::pair{21, 78}, std::pair{118, 78}}) {
        EXPECT_TRUE(isBlack(pixelAt(x, y))) << x << "," << y;
    }
    // Each quarter arc sits in its own corner.
    EXPECT_EQ(pixelAt(25, 25).g, 255);
    EXPECT_EQ(pixelAt(114, 74).g, 255);
}

// A 2 × 2 image: red and green in the first row, blue and white in the second.
class SmallImage : public Zorir::Image {
public:
    explicit SmallImage(uint32_t bits) : bits_(bits)
    {
        const uint8_t rgb[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
        for (const auto& texel : rgb) {
            pixels_.insert(pixels_.end(), texel, texel + 3);
            if (bits == 32) pixels_.push_back(255);
        }
    }
    Size size() const override { return {2, 2}; }
    uint32_t numberOfBitsPerPixel() const override { return bits_; }
    const uint8_t* pixels() const override { return pixels_.data(); }
    uint8_t* pixels() override { return pixels_.data(); }
    void release() override {}

private:
    uint32_t bits_;
    std::vector<uint8_t> pixels_;
};

TEST_F(RendererTest, ImageRowsRunFromTheBottomUp)
{
    for (const uint32_t bits : {24u, 32u}) {
        SCOPED_TRACE(bits);
        SmallImage image(bits);
        Zorir::drawImage(image, Rectangle(Vector2(100, 100), Vector2(140, 140)), 0, 0, 1, 1);
        EXPECT_NE(image.handle(), 0u);
        // Near the texel centres (the filter is linear): the first row at the
        // bottom, the second at the top.
        const Pixel bottomLeft = pixelAt(110, 130), bottomRight = pixelAt(130, 130);
        const Pixel topLeft = pixelAt(110, 110), topRight = pixelAt(130, 110);
        EXPECT_GT(bottomLeft.r, 240);
        EXPECT_LT(bottomLeft.g + bottomLeft.b, 30);
        EXPECT_GT(bottomRight.g, 240);
        EXPECT_LT(bottomRight.r + bottomRight.b, 30);
        EXPECT_GT(topLeft.b, 240);
        EXPECT_LT(topLeft.r + topLeft.g, 30);
        EXPECT_GT(topRight.r + topRight.g + topRight.b, 3 * 220);
        EXPECT_TRUE(isBlack(pixelAt(99, 120)));
    }
}

TEST_F(RendererTest, OtherPixelFormatsAreRefused)
{
    SmallImage image(16);
    EXPECT_THROW(Zorir::drawImage(image, Rectangle(Vector2(0, 0), Vector2(10, 10)), 0, 0, 1, 1),
                 Zorir::Core::StandardException);
    EXPECT_EQ(image.handle(), 0u);
}

TEST_F(RendererTest, NilImageDrawsBlack)
{
    Zorir::setColor(red);
    Zorir::drawRectangle({0, 0}, {50, 50}, true);
    Zorir::drawImage(Zorir::NilImage::instance(), Rectangle(Vector2(10, 10), Vector2(30, 30)), 0, 0, 1, 1);
    EXPECT_TRUE(isBlack(pixelAt(20, 20)));
    EXPECT_TRUE(isRed(pixelAt(40, 40)));
    EXPECT_EQ(Zorir::NilImage::instance().size().width, 4u);
}

// The window manager's pass: windows bottom to top, the pop-up over all, and
// a disabled window greyed over.
class DrawingPassTest : public zorirtest::ManagerTest, public ::testing::Test {
protected:
    DrawingPassTest() { clearScreen(); }
};

TEST_F(DrawingPassTest, HighestWindowIsDrawnLastAndPopupOverAll)
{
    zorirtest::TestWindow low(Rectangle(Vector2(0, 0), Vector2(100, 100)));
    zorirtest::TestWindow high(Rectangle(Vector2(50, 50), Vector2(150, 150)));
    zorirtest::TestWindow popup(Rectangle(Vector2(90, 90), Vector2(110, 110)));
    zorirtest::TestWindow hidden(Rectangle(Vector2(0, 0), Vector2(256, 256)));
    low.color_ = red;
    high.color_ = green;
    popup.color_ = blue;
    hidden.hide();
    manager().addWindow(&low);
    manager().addWindow(&high);
    manager().addWindow(&hidden);
    manager().setPopupWindow(&popup);
    manager().draw();
    EXPECT_TRUE(isRed(pixelAt(25, 25)));
    EXPECT_EQ(pixelAt(75, 75).g, 255);
    EXPECT_EQ(pixelAt(100, 100).b, 255);
    EXPECT_TRUE(isBlack(pixelAt(200, 200)));
    EXPECT_EQ(hidden.drawCount_, 0);
    manager().bringToFront(&low);
    manager().setPopupWindow(nullptr);
    manager().draw();
    EXPECT_TRUE(isRed(pixelAt(75, 75)));
}

TEST_F(DrawingPassTest, DisabledWindowIsGreyedOver)
{
    zorirtest::TestWindow window(Rectangle(Vector2(10, 10), Vector2(60, 60)));
    manager().addWindow(&window);
    window.setEnabled(false);
    manager().draw();
    // 60 % grey over red.
    const Pixel p = pixelAt(30, 30);
    EXPECT_NEAR(p.r, 0.6 * 127.5 + 0.4 * 255, 2);
    EXPECT_NEAR(p.g, 0.6 * 127.5, 2);
    EXPECT_TRUE(isBlack(pixelAt(70, 70)));
}

}  // namespace
