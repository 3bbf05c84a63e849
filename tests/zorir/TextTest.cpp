// FreeType text with the DejaVu fonts: measuring, wrapping, the glyph pages
// and drawing, read back under Xvfb.
#include "libs/zorir/Renderer.h"
#include "libs/zorir/WindowManager.h"
#include "libs/zorir/core/StandardException.h"
#include "libs/zorir/services/glfont/FreeType.h"
#include "libs/zorir/services/glfont/GLTextRenderer.h"
#include "libs/zorir/services/glfont/TypeFace.h"
#include "tests/support/GlTestContext.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Zorir::Font::FreeType;
using Zorir::Font::GLTextRenderer;
using Zorir::Font::TypeFace;

const std::string sans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const std::string mono = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";
constexpr int side = 256;

// One acquired renderer per test, given back at its end.
class TextTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (renderer_) renderer_->release();
    }

    GLTextRenderer& renderer(uint32_t size = 12)
    {
        if (!renderer_) renderer_ = GLTextRenderer::acquire(sans, size);
        return *renderer_;
    }

    GLTextRenderer* renderer_ = nullptr;
};

// Measuring happens while menus are built, before any window exists: it must
// not need OpenGL. This test runs before any context is made.
TEST_F(TextTest, MeasuresBeforeAnyContextExists)
{
    EXPECT_GT(renderer().textWidth("Quillow"), 0.0f);
    EXPECT_GT(renderer().lineHeight(), 0.0f);
    EXPECT_EQ(renderer().textWidth(""), 0.0f);
}

TEST_F(TextTest, LineHeightIsAscenderPlusDescender)
{
    TypeFace& face = renderer(16).typeFace();
    EXPECT_EQ(face.lineHeight(), face.ascender() + face.descender());
    EXPECT_GT(face.descender(), 0);
    // 16 points at 100 dpi are 22 pixels per em.
    EXPECT_NEAR(face.lineHeight(), 22, 1);
}

TEST_F(TextTest, WidthsAndFittingCharactersAgree)
{
    const std::string texts[] = {"Hello World", "AVAVAV Tokyo", "iiiiiiii", "W", "a b  c   d"};
    for (const std::string& text : texts) {
        const float full = renderer().textWidth(text);
        for (float width = 1.0f; width <= full + 10.0f; width += 3.0f) {
            const int fitting = renderer().fittingCharacters(text, width);
            SCOPED_TRACE(testing::Message() << '"' << text << "\" in " << width << " -> " << fitting);
            if (fitting < 0) {
                EXPECT_LT(full, width);
                continue;
            }
            EXPECT_LT(renderer().textWidth(text.substr(0, fitting)), width);
            EXPECT_GE(renderer().textWidth(text.substr(0, fitting + 1)), width);
        }
        EXPECT_EQ(renderer().fittingCharacters(text, 0.0f), -1);
        EXPECT_EQ(renderer().fittingCharacters(text, -5.0f), -1);
    }
}

TEST_F(TextTest, KerningOnlyWhereTheFontHasIt)
{
    const auto sumOfAdvances = [](GLTextRenderer& r, const std::string& text) {
        float sum = 0;
        for (const char c : text) sum += r.textWidth(std::string(1, c));
        return sum;
    };
    GLTextRenderer* monospaced = GLTextRenderer::acquire(mono, 14);
    EXPECT_EQ(monospaced->textWidth("AVAV"), sumOfAdvances(*monospaced, "AVAV"));
    monospaced->release();
    // DejaVu Sans pulls A and V together.
    EXPECT_LT(renderer(14).textWidth("AVAV"), sumOfAdvances(renderer(14), "AVAV"));
}

TEST_F(TextTest, WrapBreaksBetweenWordsWithoutTheSpace)
{
    GLTextRenderer& r = renderer();
    const float hello = r.textWidth("Hello");
    const float both = r.textWidth("Hello World");
    // 4 pixels of the rectangle's width are margin.
    const float insideSecondWord = (hello + both) / 2 + 4;
    EXPECT_EQ(r.wrappedLines("Hello World", insideSecondWord), (std::vector<std::string>{"Hello", "World"}));
    EXPECT_EQ(r.wrappedLines("Hello World", both + 10), (std::vector<std::string>{"Hello World"}));
    EXPECT_EQ(r.wrappedLines("", 100), (std::vector<std::string>{}));
    EXPECT_EQ(r.wrappedLines("   ", 100), (std::vector<std::string>{}));
}

// Cases that once made the wrapping loop forever: each must end, and the
// lines together keep every character that is not a space.
TEST_F(TextTest, WrapAlwaysMakesProgress)
{
    struct Case {
        const char* name;
        std::string text;
        float width;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"character wider than the line", "WWW", 6.0f, {"W", "W", "W"}},
        {"line narrower than the margin", "ab", 2.0f, {"ab"}},
        {"long word after leading spaces", "   Supercalifragilistic", 60.0f, {}},
        {"long word after a short one", "a Supercalifragilistic b", 40.0f, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::string> lines = renderer().wrappedLines(c.text, c.width);
        if (!c.lines.empty()) {
            EXPECT_EQ(lines, c.lines);
        }
        std::string joined, expected;
        for (const std::string& line : lines) {
            EXPECT_FALSE(line.empty());
            joined += line;
        }
        for (const char ch : c.text) {
            if (ch != ' ') expected += ch;
        }
        std::erase(joined, ' ');
        EXPECT_EQ(joined, expected);
    }
}

TEST_F(TextTest, OneRendererPerFontAndSizeUntilTheLastRelease)
{
    const unsigned usesBefore = FreeType::useCount();
    GLTextRenderer* first = GLTextRenderer::acquire(sans, 21);
    GLTextRenderer* second = GLTextRenderer::acquire(sans, 21);
    GLTextRenderer* other = GLTextRenderer::acquire(sans, 22);
    EXPECT_EQ(first, second);
    EXPECT_NE(first, other);
    EXPECT_EQ(FreeType::useCount(), usesBefore + 2);
    first->release();
    EXPECT_TRUE(GLTextRenderer::isAcquired(sans, 21));
    EXPECT_GT(second->textWidth("still here"), 0.0f);
    second->release();
    EXPECT_FALSE(GLTextRenderer::isAcquired(sans, 21));
    other->release();
    EXPECT_EQ(FreeType::useCount(), usesBefore);
}

TEST_F(TextTest, FreeTypeStopsWithTheLastFace)
{
    ASSERT_EQ(FreeType::useCount(), 0u);
    GLTextRenderer* r = GLTextRenderer::acquire(sans, 9);
    EXPECT_NE(FreeType::library(), nullptr);
    r->release();
    EXPECT_EQ(FreeType::useCount(), 0u);
    EXPECT_EQ(FreeType::library(), nullptr);
}

TEST_F(TextTest, BadFontsAndSizesAreRefused)
{
    const std::string source = std::string(getenv("QUILLOW_SOURCE_DIR")) + "/CMakeLists.txt";
    struct Case {
        const char* name;
        std::string file;
        uint32_t size;
    };
    const Case cases[] = {
        {"missing file", "/nonexistent/font.ttf", 12},
        {"not a font", source, 12},
        {"size 0", sans, 0},
        {"glyph cell larger than a page", sans, 400},
        {"size beyond the character size's range", sans, 0x7FFFFFFF},
    };
    const unsigned usesBefore = FreeType::useCount();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_THROW(GLTextRenderer::acquire(c.file, c.size), Zorir::Core::StandardException);
        EXPECT_FALSE(GLTextRenderer::isAcquired(c.file, c.size));
        EXPECT_EQ(FreeType::useCount(), usesBefore);
    }
    // The largest size whose cell still fits a page works.
    GLTextRenderer* large = GLTextRenderer::acquire(sans, 120);
    EXPECT_GT(large->textWidth("M"), 100.0f);
    large->release();
}

TEST_F(TextTest, UnloadableGlyphIsCachedEmpty)
{
    TypeFace& face = renderer().typeFace();
    const TypeFace::CacheEntry& missing = face.glyph(1000000);
    EXPECT_EQ(missing.width_, 0u);
    EXPECT_EQ(missing.height_, 0u);
    EXPECT_EQ(missing.advanceX_, 0);
    // Asked again, it comes from the cache.
    EXPECT_EQ(&face.glyph(1000000), &missing);
}

TEST_F(TextTest, GlyphPagesHoldGlyphsApartWithinTheirBounds)
{
    TypeFace& face = renderer(40).typeFace();
    std::vector<TypeFace::CacheEntry> entries;
    for (uint32_t index = 0; index < 1500; ++index) entries.push_back(face.glyph(index));
    ASSERT_GT(face.pageCount(), 1u);
    struct Box {
        uint32_t left, top, right, bottom;
    };
    std::vector<std::vector<Box>> boxes(face.pageCount());
    for (const TypeFace::CacheEntry& e : entries) {
        if (e.width_ == 0 || e.height_ == 0) continue;
        ASSERT_LT(e.textureIndex_, face.pageCount());
        for (const float coordinate : {e.s0_, e.t0_, e.s1_, e.t1_}) {
            EXPECT_GE(coordinate, 0.0f);
            EXPECT_LE(coordinate, 1.0f);
        }
        const TypeFace::PageSize page = face.pageSize(e.textureIndex_);
        EXPECT_LE(page.width, 512u);
        EXPECT_LE(page.height, 512u);
        const Box box{static_cast<uint32_t>(e.s0_ * page.width + 0.5f), static_cast<uint32_t>(e.t0_ * page.height + 0.5f),
                      static_cast<uint32_t>(e.s1_ * page.width + 0.5f), static_cast<uint32_t>(e.t1_ * page.height + 0.5f)};
        EXPECT_EQ(box.right - box.left, e.width_);
        EXPECT_EQ(box.bottom - box.top, e.height_);
        boxes[e.textureIndex_].push_back(box);
    }
    for (const auto& page : boxes) {
        for (std::size_t i = 0; i < page.size(); ++i) {
            for (std::size_t j = i + 1; j < page.size(); ++j) {
                const Box& a = page[i];
                const Box& b = page[j];
                const bool apart = a.right <= b.left || b.right <= a.left || a.bottom <= b.top || b.bottom <= a.top;
                ASSERT_TRUE(apart) << "glyph boxes " << i << " and " << j << " overlap";
            }
        }
    }
}

// Drawing, read back from the frame buffer.
class TextDrawingTest : public TextTest {
protected:
    void SetUp() override
    {
        quillow::test::ensureGlContext(side, side);
        Zorir::WindowManager::instance().screenResized(side, side);
        glViewport(0, 0, side, side);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        Zorir::begin2D();
    }
    void TearDown() override
    {
        Zorir::end2D();
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        TextTest::TearDown();
    }

    // The lit pixels' bounding box in screen coordinates, or an empty box.
    struct Lit {
        int count = 0, left = side, top = side, right = -1, bottom = -1;
        bool onlyRed = true;
    };
    static Lit litPixels()
    {
        std::vector<unsigned char> pixels(side * side * 4);
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, side, side, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        Lit lit;
        for (int row = 0; row < side; ++row) {
            for (int x = 0; x < side; ++x) {
                const unsigned char* p = &pixels[(row * side + x) * 4];
                if (p[0] == 0 && p[1] == 0 && p[2] == 0) continue;
                const int y = side - 1 - row;
                ++lit.count;
                lit.left = std::min(lit.left, x);
                lit.right = std::max(lit.right, x);
                lit.top = std::min(lit.top, y);
                lit.bottom = std::max(lit.bottom, y);
                lit.onlyRed = lit.onlyRed && p[1] == 0 && p[2] == 0;
            }
        }
        return lit;
    }
};

TEST_F(TextDrawingTest, TextIsDrawnInTheCurrentColourWithinItsExtent)
{
    GLTextRenderer& r = renderer(16);
    Zorir::setColor(Zorir::Color(1, 0, 0, 1));
    r.render("Hello", Zorir::Rectangle(20, 30, 220, 80), false, Zorir::HorizontalAlignment::Left,
             Zorir::VerticalAlignment::Top);
    const Lit lit = litPixels();
    EXPECT_GT(lit.count, 50);
    EXPECT_TRUE(lit.onlyRed);
    EXPECT_GE(lit.left, 20);
    EXPECT_LE(lit.right, 20 + static_cast<int>(r.textWidth("Hello")));
    // The ascender is whole pixels: tall glyphs may reach one pixel above.
    EXPECT_GE(lit.top, 29);
    EXPECT_LE(lit.bottom, 30 + static_cast<int>(r.lineHeight()));
}

TEST_F(TextDrawingTest, AlignmentPlacesTheText)
{
    GLTextRenderer& r = renderer(16);
    const Zorir::Rectangle box(0, 0, 256, 256);
    const float width = r.textWidth("Mid");
    struct Case {
        uint32_t horizontal, vertical;
        int expectedLeft;  // the text's left edge, give or take the bearing
        bool nearBottom;
    };
    const Case cases[] = {
        {Zorir::HorizontalAlignment::Left, Zorir::VerticalAlignment::Top, 0, false},
        {Zorir::HorizontalAlignment::Centred, Zorir::VerticalAlignment::Centred, static_cast<int>(128 - width / 2), false},
        {Zorir::HorizontalAlignment::Right, Zorir::VerticalAlignment::Bottom, static_cast<int>(256 - width), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.horizontal);
        glClear(GL_COLOR_BUFFER_BIT);
        Zorir::setColor(Zorir::Color(1, 1, 1, 1));
        r.render("Mid", box, false, c.horizontal, c.vertical);
        const Lit lit = litPixels();
        ASSERT_GT(lit.count, 0);
        EXPECT_NEAR(lit.left, c.expectedLeft, 4);
        if (c.nearBottom) {
            EXPECT_GT(lit.bottom, 256 - static_cast<int>(r.lineHeight()));
        }
        if (c.vertical == Zorir::VerticalAlignment::Centred) {
            EXPECT_NEAR((lit.top + lit.bottom) / 2, 128, 8);
        }
    }
}

TEST_F(TextDrawingTest, WrappedTextGoesDownLineByLine)
{
    GLTextRenderer& r = renderer(16);
    Zorir::setColor(Zorir::Color(1, 1, 1, 1));
    const float width = r.textWidth("Hello") + 10;
    r.render("Hello World Again", Zorir::Rectangle(10, 10, width, 200), true, Zorir::HorizontalAlignment::Left,
             Zorir::VerticalAlignment::Top);
    const Lit lit = litPixels();
    EXPECT_GT(lit.bottom - lit.top, 2 * static_cast<int>(r.lineHeight()));
    EXPECT_LE(lit.right, 10 + static_cast<int>(width));
}

}  // namespace
