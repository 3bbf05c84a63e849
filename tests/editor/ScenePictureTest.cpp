// What the draw pass shows of a scene: layers over one another, borders,
// a translucent image, a parallax object after the camera moved, and the
// grid, read back pixel by pixel and compared with the colours the drawing
// rules give at chosen points.
#include "editor/app/shell/GlutShell.h"
#include "editor/app/simulation/ViewCamera.h"
#include "editor/app/tools/EditorTool.h"
#include "editor/world/Map_Aabb.h"
#include "editor/world/Map_Circle.h"
#include "editor/world/Map_Poly.h"
#include "tests/editor/EditorFixture.h"
#include "tests/support/GlTestContext.h"

#include <GL/glew.h>

#include <vector>

namespace {

using quillow::test::EditorFixture;
using quillow::test::Pixel;

struct Rgba {
    unsigned char r, g, b, a;
};

constexpr int kWindow = 256;  // the test window; the camera shows one world unit per pixel

class ScenePicture : public EditorFixture {
protected:
    ScenePicture()
    {
        initGL();
        glViewport(0, 0, kWindow, kWindow);
        app->camera->aspect = 1.0f;
        app->camera->setZoom(static_cast<float>(kWindow));
        app->camera->pan(Vec2(0.0f, 0.0f) - app->camera->position);
    }

    ~ScenePicture() override
    {
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_BLEND);
        glDisable(GL_ALPHA_TEST);
        glDeleteTextures(static_cast<GLsizei>(textures_.size()), textures_.data());
    }

    // A one-texel image of the given colour.
    uint32_t image(const Rgba& colour)
    {
        const GLuint texture = quillow::test::makeNearestTexture(1, 1, GL_RGBA, &colour);
        textures_.push_back(texture);
        return texture;
    }

    // The pixel showing world point (x, y).
    Pixel at(float x, float y) const
    {
        const Vec2& eye = app->camera->position;
        return quillow::test::readPixel(static_cast<int>(x - eye.x) + kWindow / 2,
                                        static_cast<int>(y - eye.y) + kWindow / 2);
    }

    static void expectColour(const Pixel& pixel, int r, int g, int b)
    {
        EXPECT_NEAR(pixel.r, r, 2);
        EXPECT_NEAR(pixel.g, g, 2);
        EXPECT_NEAR(pixel.b, b, 2);
    }

private:
    std::vector<GLuint> textures_;
};

TEST_F(ScenePicture, LayersBordersTranslucencyParallaxAndGridShowAsTheRulesSay)
{
    const uint32_t red = image({255, 0, 0, 255}), green = image({0, 255, 0, 255}),
                   blue = image({0, 0, 255, 255}), yellow = image({255, 255, 0, 255}),
                   cyan = image({0, 255, 255, 255}), brown = image({120, 60, 0, 255}),
                   magenta = image({255, 0, 255, 255}), halfWhite = image({255, 255, 255, 128});
    // A red box with an inward green border 8 wide; a nearer blue box over
    // its right part; a deeper yellow box, added last, under its left part.
    sim->addNewObject(new Map_Aabb(Vec2(0, 40), 80.0f, 60.0f, 5, red, green, 16.0f, kUvTile));
    sim->addNewObject(new Map_Aabb(Vec2(40, 40), 40.0f, 40.0f, 2, blue, 0, 0.0f, kUvStretch));
    sim->addNewObject(new Map_Aabb(Vec2(-40, 40), 40.0f, 40.0f, 9, yellow, 0, 0.0f, kUvTile));
    // A cyan polygon with a brown border 4 wide outside its bottom edge, and
    // a nearer half-transparent white box over its middle.
    sim->addNewObject(new Map_Poly({{-50, -70}, {50, -70}, {50, -10}, {-50, -10}}, Vec2(0, -40), 4, 8.0f,
                                   cyan, brown));
    sim->addNewObject(new Map_Aabb(Vec2(0, -40), 40.0f, 40.0f, 1, halfWhite, 0, 0.0f, kUvStretch));
    // A magenta circle that moves by half the camera's moves.
    GameObject* distant = new Map_Circle(Vec2(80, -40), 15.0f, 3, magenta);
    sim->addNewObject(distant);
    sim->setObjectParallax(distant, 0.5f, 0.0f);

    app->camera->pan(Vec2(40.0f, 0.0f));
    step();
    sim->render();

    expectColour(at(0, 40), 255, 0, 0);      // the red box
    expectColour(at(0, 66), 0, 255, 0);      // its top border
    expectColour(at(-36, 40), 0, 255, 0);    // its left border, over the yellow box
    expectColour(at(30, 40), 0, 0, 255);     // the nearer blue box over it
    expectColour(at(50, 40), 0, 0, 255);     // the blue box alone
    expectColour(at(-30, 40), 255, 0, 0);    // the red box over the deeper yellow one
    expectColour(at(-50, 40), 255, 255, 0);  // the yellow box alone
    expectColour(at(-40, -40), 0, 255, 255); // the polygon
    expectColour(at(0, -72), 120, 60, 0);    // its border
    expectColour(at(0, -40), 128, 255, 255); // half white over cyan
    expectColour(at(110, -40), 255, 0, 255); // the circle, moved by 20
    expectColour(at(70, -40), 0, 0, 0);      // where it was
    // A grid line on a pixel boundary lights the column on one side of it.
    const Pixel left = at(127.5f, 90), right = at(128.5f, 90);
    expectColour(left.b > right.b ? left : right, 115, 115, 217);
    expectColour(at(-80, 100), 0, 0, 0);     // nothing
}

}  // namespace

namespace {

using quillow::test::Pixel;

class RubberBandPicture : public ScenePicture {};

TEST_F(RubberBandPicture, TheBandIsAFrameOfFourStripsAroundWhatItSpans)
{
    step();  // the screen frame takes its place around the view
    EditorTool& select = *sim->tools[0];
    select.leftPress(-60, -60, "");
    select.leftDrag(60, 50, "");
    ASSERT_EQ(sim->marqueeShown, 1);
    sim->render();
    // The strips lie inside the band, 1/400 of the view's width wide: the
    // pixels along the top and right edges show the band's image...
    expectColour(at(20, 49.5f), 211, 211, 211);
    expectColour(at(59.5f, 20), 211, 211, 211);
    // ...and the band's inside shows what lies under it.
    expectColour(at(20, 20), 0, 0, 0);
    expectColour(at(-30, -40), 0, 0, 0);
}

}  // namespace
