#include "TestScene.h"

#include "editor/app/selections/ImgGeoSelection.h"
#include "editor/app/selections/ImgVertexSelection.h"
#include "editor/world/Geometry.h"
#include "editor/world/Map_Aabb.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

constexpr float kTolerance = 1e-5f;

void expectNear(const Vec2& actual, const Vec2& expected)
{
    EXPECT_NEAR(actual.x, expected.x, kTolerance);
    EXPECT_NEAR(actual.y, expected.y, kTolerance);
}

// A box whose body has four points and four texture coordinates.
class ImageSelectionTest : public testing::Test {
protected:
    ImageGeometry& body() { return *object.drawables.at(0); }

    TestScene scene;
    Map_Aabb object{Vec2(0, 0), 400.0f, 400.0f, 1, 0, 0, 0.0f, kUvTile};
};

// The two image kinds move texture coordinates in opposite senses for the
// same drag and turn them in opposite senses for the same angle.
TEST_F(ImageSelectionTest, TextureSignTable)
{
    const Vec2 d(40, -80);
    const Vec2 shift = d * 0.0025f;  // (0.1, -0.2)
    const float quarter = std::numbers::pi_v<float> / 2;
    struct Row {
        const char* name;
        bool wholeDrawable;
        Vec2 moved;  // the change of texture coordinate 0 for drag d
        float turn;  // the sense that coordinate 0 turns in about the mean
    };
    const Row rows[] = {
        {"drawable", true, shift, -1.0f},
        {"drawable vertex", false, shift * -1.0f, 1.0f},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Map_Aabb fresh(Vec2(0, 0), 400.0f, 400.0f, 1, 0, 0, 0.0f, kUvTile);
        ImageGeometry& drawable = *fresh.drawables.at(0);
        std::unique_ptr<Selection> selection;
        if (row.wholeDrawable) {
            selection = std::make_unique<ImgGeoSelection>(scene, drawable, fresh);
        } else {
            selection = std::make_unique<ImgVertexSelection>(scene, drawable, 0, fresh);
        }
        const Vec2 before = drawable.uvs[0];
        selection->translateTexture(d);
        expectNear(drawable.uvs[0], before + row.moved);

        const Vec2 mean = meanOf(drawable.uvs);
        const Vec2 start = drawable.uvs[0];
        selection->rotateTexture(Vec2(1000, 1000), quarter);
        expectNear(drawable.uvs[0], rotatePoint(start, mean, row.turn * quarter));
    }
}

// After turning the texture by a, a drag d moves the coordinates along d
// turned back by a, so the picture follows the drag as seen on screen.
TEST_F(ImageSelectionTest, TurnedTextureSlidesAlongTheDrag)
{
    ImgGeoSelection selection(scene, body(), object);
    const float a = 0.5f;
    selection.rotateTexture(Vec2(), a);
    EXPECT_FLOAT_EQ(selection.textureAngle(), a);
    const std::vector<Vec2> before = body().uvs;
    const Vec2 d(100, 0);
    selection.translateTexture(d);
    const Vec2 expected = rotatePoint(d * 0.0025f, Vec2(), -a);
    for (size_t i = 0; i < before.size(); ++i) expectNear(body().uvs[i], before[i] + expected);
}

// Texture coordinates scale about their own mean, whatever world point the
// drag pivots on: the texture grows in place instead of jumping away.
TEST_F(ImageSelectionTest, TextureScalesAboutItsOwnMean)
{
    ImgGeoSelection selection(scene, body(), object);
    const std::vector<Vec2> before = body().uvs;
    const Vec2 mean = meanOf(before);
    selection.scaleTexture(Vec2(5000, -7000), 2.0f, 0.5f);
    for (size_t i = 0; i < before.size(); ++i) {
        expectNear(body().uvs[i], scalePoint(before[i], mean, 2.0f, 0.5f));
    }
    expectNear(meanOf(body().uvs), mean);

    ImgVertexSelection vertex(scene, body(), 0, object);
    const Vec2 corner = body().uvs[0];
    vertex.scaleTexture(Vec2(5000, -7000), 3.0f, 3.0f);
    expectNear(body().uvs[0], scalePoint(corner, vertex.texCenter, 3.0f, 3.0f));
}

TEST_F(ImageSelectionTest, DrawableCentreAnchorAndReach)
{
    ImgGeoSelection selection(scene, body(), object);
    EXPECT_EQ(selection.getCenter(), Vec2(0, 0));
    EXPECT_EQ(selection.getAnchor(), body().points[0]);
    scene.pointAt(150, 150);
    EXPECT_TRUE(selection.isUnderCursor());
    scene.pointAt(202, 0);
    EXPECT_FALSE(selection.isUnderCursor());
    ASSERT_NE(selection.highlight(), nullptr);
}

// A drawable without points has nothing to mark, anchor or average.
TEST_F(ImageSelectionTest, DrawableWithoutPointsIsHandledWithoutIndexing)
{
    ImageGeometry empty;
    ImgGeoSelection selection(scene, empty, object);
    EXPECT_EQ(selection.highlight(), nullptr);
    EXPECT_EQ(selection.getAnchor(), Vec2(0, 0));
    EXPECT_EQ(selection.getCenter(), Vec2(0, 0));
    selection.translateHighlight(Vec2(1, 1));
    selection.rotateHighlight(Vec2(), 1.0f);
    selection.scaleHighlight(Vec2(), 2.0f, 2.0f);
    selection.translateTexture(Vec2(1, 1));
    selection.rotateTexture(Vec2(), 1.0f);
    selection.scaleTexture(Vec2(), 2.0f, 2.0f);
    EXPECT_FALSE(selection.isUnderCursor());

    ImgVertexSelection vertex(scene, empty, 0, object);
    EXPECT_EQ(vertex.center, Vec2(0, 0));
    EXPECT_EQ(vertex.texCenter, Vec2(0, 0));
    EXPECT_EQ(vertex.highlight(), nullptr);
    vertex.translate(Vec2(1, 1), false);
    vertex.translateTexture(Vec2(1, 1));
    vertex.rotateTexture(Vec2(), 1.0f);
    vertex.finishEdit();
    EXPECT_TRUE(empty.points.empty());
}

TEST_F(ImageSelectionTest, DrawableVertexKeepsItsDrawablesCentres)
{
    ImgVertexSelection vertex(scene, body(), 2, object);
    EXPECT_EQ(vertex.getCenter(), Vec2(0, 0));
    EXPECT_EQ(vertex.getAnchor(), body().points[2]);
    EXPECT_EQ(vertex.texCoord(), &body().uvs[2]);
    vertex.rotate(body().points[0], std::numbers::pi_v<float>, false);
    // The centre follows the turned point; the texture centre waits for the
    // end of the edit.
    expectNear(vertex.getCenter(), meanOf(body().points));
    body().uvs[0] += Vec2(4, 0);
    testing::internal::CaptureStdout();
    vertex.finishEdit();
    EXPECT_NE(testing::internal::GetCapturedStdout().find("new pos "), std::string::npos);
    expectNear(vertex.texCenter, meanOf(body().uvs));
}

}  // namespace
