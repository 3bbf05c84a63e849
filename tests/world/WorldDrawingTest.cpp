#include "editor/world/AnimatingSprite.h"
#include "editor/world/Map_Aabb.h"
#include "editor/world/Map_Poly.h"

#include "tests/support/GlTestContext.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

using quillow::test::Pixel;
using quillow::test::readPixel;

struct Rgb {
    unsigned char r, g, b;
};

const Rgb kRed{255, 0, 0};
const Rgb kBlue{0, 0, 255};
const Rgb kBlack{0, 0, 0};

// A window of 256 x 256 pixels looking at world (-10, -10) .. (10, 10);
// layers draw at negative depths, deeper for higher layers.
class WorldDrawingTest : public testing::Test {
protected:
    void SetUp() override
    {
        quillow::test::ensureGlContext();
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-10, 10, -10, 10, 0, 1000);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    void TearDown() override { glDeleteTextures(static_cast<GLsizei>(textures_.size()), textures_.data()); }

    // A texture of the given texels in one row, sampled without blending.
    uint32_t makeTexture(const std::vector<Rgb>& row)
    {
        const GLuint texture =
            quillow::test::makeNearestTexture(static_cast<int>(row.size()), 1, GL_RGB, row.data());
        textures_.push_back(texture);
        return texture;
    }

    // The pixel showing world point (x, y).
    static Pixel at(float x, float y)
    {
        return readPixel(static_cast<int>((x + 10) * 12.8f), static_cast<int>((y + 10) * 12.8f));
    }

    static void expectColour(const Pixel& pixel, const Rgb& colour)
    {
        EXPECT_EQ(pixel.r, colour.r);
        EXPECT_EQ(pixel.g, colour.g);
        EXPECT_EQ(pixel.b, colour.b);
    }

private:
    std::vector<GLuint> textures_;
};

TEST_F(WorldDrawingTest, ATexturedBoxShowsItsTexture)
{
    const uint32_t red = makeTexture({kRed, kRed});
    Map_Aabb box({0, 0}, 8.0f, 8.0f, 1, red, 0, 0.0f, kUvStretch);
    EXPECT_EQ(box.drawables[0]->texWidth, 2);
    EXPECT_EQ(box.drawables[0]->texHeight, 1);
    box.drawDrawables();
    expectColour(at(0, 0), kRed);
    expectColour(at(3.5f, -3.5f), kRed);
    expectColour(at(6, 0), kBlack);
}

TEST_F(WorldDrawingTest, AnUnknownTextureHasNoSize)
{
    const Quad quad({-1, 1}, {1, 1}, {1, -1}, {-1, -1}, 4242, nullptr, kUvTile);
    EXPECT_EQ(quad.texWidth, 0);
    EXPECT_EQ(quad.texHeight, 0);
}

TEST_F(WorldDrawingTest, OnlyCompleteVerticesAreDrawn)
{
    const uint32_t red = makeTexture({kRed});
    uint16_t layer = 1;
    // Three texture coordinates for a quad of four points: no whole quad.
    ImageGeometry quads({-8, 8}, {8, 8}, {8, -8}, {-8, -8}, red, &layer, kUvStretch, kDrawQuads,
                        false, 0.0f);
    quads.uvs.pop_back();
    quads.draw();
    expectColour(at(0, 0), kBlack);
    // A polygon draws the triangle of its first three points.
    ImageGeometry polygon({{-8, 8}, {8, 8}, {8, -8}, {-8, -8}}, red, &layer, kDrawPolygon, false,
                          0.0f);
    polygon.uvs.pop_back();
    polygon.draw();
    expectColour(at(4, 4), kRed);
    expectColour(at(-4, -4), kBlack);
    // Points without texture coordinates at all draw nothing.
    ImageGeometry bare;
    bare.points = {{-9, -9}, {-5, -9}, {-5, -5}};
    bare.img = red;
    bare.draw();
    expectColour(at(-7, -8), kBlack);
}

TEST_F(WorldDrawingTest, ASpriteShowsItsCurrentFrameAndStepsWhilePlaying)
{
    const uint32_t sheet = makeTexture({kRed, kBlue});
    uint16_t layer = 2;
    AnimatingSprite sprite({-8, 8}, {8, 8}, {8, -8}, {-8, -8}, sheet, &layer);
    ASSERT_EQ(sprite.addAnimation(2, 1, 2, 1, 2, 0, 0, 1, true), 0);
    const uint16_t increment = 1;
    sprite.animations[0]->tickSource = &increment;
    sprite.playing = true;
    sprite.draw();
    expectColour(at(0, 0), kRed);
    sprite.draw();
    expectColour(at(0, 0), kBlue);
    EXPECT_FALSE(sprite.done);
}

TEST_F(WorldDrawingTest, ASpriteWithoutFourPointsDrawsNothing)
{
    const uint32_t red = makeTexture({kRed});
    AnimatingSprite sprite;
    sprite.img = red;
    sprite.points = {{-8, 8}, {8, 8}, {8, -8}};
    sprite.addAnimation(1, 1, 1, 1, 1, 0, 0, 1, true);
    sprite.draw();
    expectColour(at(4, 4), kBlack);
}

TEST_F(WorldDrawingTest, HigherLayersLieDeeper)
{
    glEnable(GL_DEPTH_TEST);
    const uint32_t red = makeTexture({kRed});
    const uint32_t blue = makeTexture({kBlue});
    Map_Aabb deep({0, 0}, 8.0f, 8.0f, 5, red, 0, 0.0f, kUvTile);
    Map_Aabb near({2, 0}, 8.0f, 8.0f, 2, blue, 0, 0.0f, kUvTile);
    near.drawDrawables();
    deep.drawDrawables();
    glDisable(GL_DEPTH_TEST);
    expectColour(at(1, 0), kBlue);
    expectColour(at(-3, 0), kRed);
}

TEST_F(WorldDrawingTest, APolygonWithoutPointsDrawsNothing)
{
    Map_Poly empty;
    empty.drawDrawables();
    empty.drawGeometry();
    expectColour(at(0, 0), kBlack);
}

}  // namespace
