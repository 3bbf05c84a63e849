// Drawing through an open DrawBatch must give the picture, and leave the GL
// state, that emitting every primitive at once gives.
#include "editor/world/DrawBatch.h"
#include "editor/world/ImageGeometry.h"
#include "editor/world/Quad.h"

#include "tests/support/GlTestContext.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int kSize = 256;  // the test window, looking at world (-10, -10) .. (10, 10)

struct Rgba {
    unsigned char r, g, b, a;
};

struct GlState {
    std::array<float, 4> colour;
    GLboolean texturing;
    GLint texture;
};

// The editor's drawing state: depth test, blending by alpha, alpha test.
class DrawBatchTest : public testing::Test {
protected:
    void SetUp() override
    {
        quillow::test::ensureGlContext();
        glViewport(0, 0, kSize, kSize);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-10, 10, -10, 10, 0.1, 1000);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(GL_GREATER, 0.02f);
        glClearColor(0, 0, 0, 1);
    }

    void TearDown() override
    {
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_BLEND);
        glDisable(GL_ALPHA_TEST);
        glColor4f(1, 1, 1, 1);
        glDeleteTextures(static_cast<GLsizei>(textures_.size()), textures_.data());
    }

    // A 2 x 2 texture, sampled without filtering.
    uint32_t makeTexture(const std::array<Rgba, 4>& texels)
    {
        const GLuint texture = quillow::test::makeNearestTexture(2, 2, GL_RGBA, texels.data());
        textures_.push_back(texture);
        return texture;
    }

    // Clears, draws, and returns the whole window.
    template <typename Draw>
    std::vector<Rgba> picture(Draw draw)
    {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        draw();
        std::vector<Rgba> pixels(static_cast<size_t>(kSize) * kSize);
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kSize, kSize, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }

    static GlState glState()
    {
        GlState state{};
        glGetFloatv(GL_CURRENT_COLOR, state.colour.data());
        state.texturing = glIsEnabled(GL_TEXTURE_2D);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &state.texture);
        return state;
    }

    static size_t differingPixels(const std::vector<Rgba>& a, const std::vector<Rgba>& b)
    {
        size_t differing = 0;
        for (size_t i = 0; i < a.size(); ++i) {
            differing += a[i].r != b[i].r || a[i].g != b[i].g || a[i].b != b[i].b || a[i].a != b[i].a;
        }
        return differing;
    }

    static Rgba pixelAt(const std::vector<Rgba>& pixels, float x, float y)
    {
        const int column = static_cast<int>((x + 10) * kSize / 20);
        const int row = static_cast<int>((y + 10) * kSize / 20);
        return pixels[static_cast<size_t>(row) * kSize + static_cast<size_t>(column)];
    }

    DrawBatch batch;

private:
    std::vector<GLuint> textures_;
};

// A dense heap of crossing quads, polygons and border strips on a few layers,
// with translucent texels, dimmed drawables, depth ties and primitives
// without texture coordinates, as a map seen from far out.
class Heap {
public:
    Heap(const std::vector<uint32_t>& textures)
    {
        std::minstd_rand random(20261210);
        const auto uniform = [&random](float low, float high) {
            return low + (high - low) * static_cast<float>(random() % 10000) / 10000.0f;
        };
        for (int i = 0; i < 400; ++i) {
            const Vec2 at(uniform(-11, 11), uniform(-11, 11));
            const float w = uniform(0.3f, 4.0f), h = uniform(0.3f, 4.0f);
            const uint32_t texture = textures[random() % textures.size()];
            const uint16_t* layer = &kLayers[random() % kLayers.size()];
            const Vec2 c0(at.x - w, at.y + h), c1(at.x + w, at.y + h), c2(at.x + w, at.y - h), c3(at.x - w, at.y - h);
            std::unique_ptr<ImageGeometry> drawable;
            switch (i % 3) {
            case 0: drawable = std::make_unique<Quad>(c0, c1, c2, c3, texture, layer, kUvStretch); break;
            case 1:
                drawable = std::make_unique<ImageGeometry>(std::vector<Vec2>{c0, c1, Vec2(at.x + 2 * w, at.y), c2, c3},
                                                           texture, layer, kDrawPolygon, false, 0.0f);
                break;
            default:
                drawable = std::make_unique<ImageGeometry>(std::vector<Vec2>{c0, c1, c2, c3}, texture, layer,
                                                           kDrawQuads, true, uniform(0.2f, 1.5f));
            }
            if (random() % 4 == 0) drawable->brightness = 0.6f;
            if (random() % 5 == 0) drawable->subLayer = 0.5f;  // ties in the depth buffer
            drawables_.push_back(std::move(drawable));
        }
    }

    // The colour in force must be set before a batch opens.
    static void setColour() { glColor4f(0.8f, 0.9f, 1.0f, 1.0f); }

    void draw() const
    {
        // Bare primitives take the colour in force and no texture coordinates.
        emitTextured(GlPrimitive::Quads, drawables_[0]->img, kBare.data(), nullptr, kBare.size(), -2.5f);
        for (size_t i = 0; i < drawables_.size(); ++i) {
            drawables_[i]->draw();
            if (i == 200) emitTextured(GlPrimitive::Polygon, drawables_[1]->img, kBare.data(), nullptr, 3, -1.5f);
        }
    }

private:
    static constexpr std::array<uint16_t, 4> kLayers{1, 2, 3, 7};
    const std::array<Vec2, 4> kBare{Vec2(-6, 6), Vec2(6, 6), Vec2(6, -6), Vec2(-6, -6)};
    std::vector<std::unique_ptr<ImageGeometry>> drawables_;
};

TEST_F(DrawBatchTest, AHeapOfOverlappingDrawablesLooksAsDrawnOneByOne)
{
    const Rgba opaqueRed{255, 0, 0, 255}, halfGreen{0, 255, 0, 128}, clear{0, 0, 255, 0},
        faintBlue{0, 0, 255, 60}, white{255, 255, 255, 255}, halfYellow{255, 255, 0, 200};
    const Heap heap({makeTexture({opaqueRed, halfGreen, clear, white}), makeTexture({faintBlue, halfYellow, white, clear}),
                     makeTexture({halfGreen, halfGreen, opaqueRed, faintBlue})});

    Heap::setColour();
    const std::vector<Rgba> oneByOne = picture([&] { heap.draw(); });
    const GlState afterOneByOne = glState();
    Heap::setColour();
    const std::vector<Rgba> batched = picture([&] {
        const DrawBatch::Scope open(batch);
        heap.draw();
    });
    const GlState afterBatch = glState();

    EXPECT_EQ(differingPixels(oneByOne, batched), 0u);
    EXPECT_EQ(afterBatch.colour, afterOneByOne.colour);
    EXPECT_EQ(afterBatch.texturing, afterOneByOne.texturing);
    EXPECT_EQ(afterBatch.texture, afterOneByOne.texture);
    // The batch keeps its buffers: a second frame looks the same.
    Heap::setColour();
    const std::vector<Rgba> again = picture([&] {
        const DrawBatch::Scope open(batch);
        heap.draw();
    });
    EXPECT_EQ(differingPixels(oneByOne, again), 0u);
}

TEST_F(DrawBatchTest, APrimitiveIsNotMovedAheadOfOneItCovers)
{
    glDisable(GL_DEPTH_TEST);
    const uint32_t red = makeTexture({Rgba{255, 0, 0, 255}, {255, 0, 0, 255}, {255, 0, 0, 255}, {255, 0, 0, 255}});
    const uint32_t blue = makeTexture({Rgba{0, 0, 255, 255}, {0, 0, 255, 255}, {0, 0, 255, 255}, {0, 0, 255, 255}});
    const std::array<Vec2, 4> left{Vec2(-8, 2), Vec2(0, 2), Vec2(0, -2), Vec2(-8, -2)};
    const std::array<Vec2, 4> middle{Vec2(-4, 2), Vec2(4, 2), Vec2(4, -2), Vec2(-4, -2)};
    const std::array<Vec2, 4> right{Vec2(2, 2), Vec2(8, 2), Vec2(8, -2), Vec2(2, -2)};
    const std::array<Vec2, 4> farAway{Vec2(-8, 9), Vec2(-6, 9), Vec2(-6, 7), Vec2(-8, 7)};
    const std::vector<Rgba> pixels = picture([&] {
        const DrawBatch::Scope open(batch);
        emitTextured(GlPrimitive::Quads, red, left.data(), nullptr, 4, -1.0f);
        emitTextured(GlPrimitive::Quads, blue, middle.data(), nullptr, 4, -1.0f);
        emitTextured(GlPrimitive::Quads, red, right.data(), nullptr, 4, -1.0f);
        emitTextured(GlPrimitive::Quads, red, farAway.data(), nullptr, 4, -1.0f);
    });
    EXPECT_EQ(pixelAt(pixels, -6, 0).r, 255);  // red alone
    EXPECT_EQ(pixelAt(pixels, -2, 0).b, 255);  // blue over the first red
    EXPECT_EQ(pixelAt(pixels, 3, 0).r, 255);   // the second red over blue
    EXPECT_EQ(pixelAt(pixels, 3, 0).b, 0);
    EXPECT_EQ(pixelAt(pixels, -7, 8).r, 255);
}

TEST_F(DrawBatchTest, AColourSetWhileOpenIsInForceAfterwardsEvenWithoutDrawing)
{
    glColor4f(1, 1, 1, 1);
    {
        const DrawBatch::Scope open(batch);
        setGrey(0.5f);
    }
    EXPECT_EQ(glState().colour, (std::array<float, 4>{0.5f, 0.5f, 0.5f, 0.5f}));
}

TEST_F(DrawBatchTest, AClosedBatchLetsDrawingThroughAtOnce)
{
    const uint32_t red = makeTexture({Rgba{255, 0, 0, 255}, {255, 0, 0, 255}, {255, 0, 0, 255}, {255, 0, 0, 255}});
    const std::array<Vec2, 4> square{Vec2(-2, 2), Vec2(2, 2), Vec2(2, -2), Vec2(-2, -2)};
    batch.open();
    batch.close();
    EXPECT_EQ(DrawBatch::current(), nullptr);
    glColor4f(1, 1, 1, 1);
    const std::vector<Rgba> pixels = picture([&] { emitTextured(GlPrimitive::Quads, red, square.data(), nullptr, 4, -1.0f); });
    EXPECT_EQ(pixelAt(pixels, 0, 0).r, 255);
}

}  // namespace
