#include "TestScene.h"

#include "editor/app/selections/ImgVertexSelection.h"
#include "editor/app/selections/ObjectSelection.h"
#include "editor/world/Map_Aabb.h"
#include "editor/world/TextureManager.h"

#include "tests/support/GlTestContext.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

using quillow::test::Pixel;
using quillow::test::readPixel;

// A 256 x 256 window looking at world (-128, -128) .. (128, 128), one pixel
// per world unit, with the editor's pink marker image loaded.
class HighlightDrawingTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        quillow::test::ensureGlContext();
        const char* source = std::getenv("QUILLOW_SOURCE_DIR");
        TextureManager::instance()->loadImage(
            std::string(source ? source : ".") + "/content/Graphics/pink.png", "pink");
    }

    void SetUp() override
    {
        ASSERT_GE(TextureManager::instance()->getTextureId("pink"), 0);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-128, 128, -128, 128, -1000, 1000);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_DEPTH_TEST);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    static Pixel at(int x, int y) { return readPixel(x + 128, y + 128); }
    static bool lit(const Pixel& p) { return p.r > 100; }

    TestScene scene;
    Map_Aabb box{Vec2(0, 0), 160.0f, 160.0f, 1, 0, 0, 0.0f, kUvTile};
};

// The marker is a frame inside the object's bounds whose border is a
// 300th of the view width as drawn: wider when the view is wider.
TEST_F(HighlightDrawingTest, ObjectMarkerFramesTheObjectAtTheViewsBorderWidth)
{
    ObjectSelection selection(scene, box);
    scene.width = 3000.0f;  // border 10
    selection.drawHighlight();
    EXPECT_TRUE(lit(at(-75, 0)));
    EXPECT_TRUE(lit(at(0, 75)));
    EXPECT_FALSE(lit(at(-65, 0)));
    EXPECT_FALSE(lit(at(0, 0)));
    EXPECT_FALSE(lit(at(-90, 0)));

    glClear(GL_COLOR_BUFFER_BIT);
    scene.width = 9000.0f;  // border 30
    selection.drawHighlight();
    EXPECT_TRUE(lit(at(-55, 0)));
    EXPECT_FALSE(lit(at(-45, 0)));
}

// A drawable vertex keeps the border it was built with.
TEST_F(HighlightDrawingTest, DrawableVertexMarkerKeepsItsOwnBorder)
{
    scene.width = 7000.0f;  // half-size 20, border 28
    ImgVertexSelection vertex(scene, *box.drawables[0], 1, box);
    scene.width = 350.0f;
    vertex.drawHighlight();
    // The square around (80, 80) reaches 20 out; its strips reach in by
    // half the border, 14, and not by the narrow border of the new view.
    EXPECT_TRUE(lit(at(62, 80)));
    EXPECT_TRUE(lit(at(72, 80)));
    EXPECT_FALSE(lit(at(80, 80)));
    EXPECT_FALSE(lit(at(80, 105)));
}

}  // namespace
