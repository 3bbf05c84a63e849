#include "TestScene.h"

#include "editor/app/selections/ImgGeoSelection.h"
#include "editor/app/selections/ImgVertexSelection.h"
#include "editor/app/selections/ObjectSelection.h"
#include "editor/app/selections/ObjectVertexSelection.h"
#include "editor/app/selections/SelectionDrag.h"
#include "editor/world/Geometry.h"
#include "editor/world/Map_Aabb.h"
#include "editor/world/Map_Poly.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float kGrid = 128.0f;

// Nearest grid point on each axis.
Vec2 snapToTestGrid(const Vec2& p)
{
    return {std::round(p.x / kGrid) * kGrid, std::round(p.y / kGrid) * kGrid};
}

bool onGrid(const Vec2& p)
{
    return std::fmod(p.x, kGrid) == 0.0f && std::fmod(p.y, kGrid) == 0.0f;
}

// One object of each shape, off the grid, each selected whole.
class ObjectDragTest : public testing::Test {
protected:
    ObjectDragTest()
    {
        for (GameObject* object : std::initializer_list<GameObject*>{&circle, &poly, &box}) {
            scene.list.append(std::make_unique<ObjectSelection>(scene, *object));
        }
    }

    std::vector<Selection*> moved() const { return scene.list.atLevel(true); }

    TestScene scene;
    Map_Circle circle{Vec2(13, 7), 20.0f, 1, 0};
    Map_Poly poly{{{0, 0}, {60, 0}, {0, 30}}, Vec2(301, -77), 1, 0.0f, 0, 0};
    Map_Aabb box{Vec2(-500, 33), 64.0f, 32.0f, 1, 0, 0, 0.0f, kUvTile};
};

TEST_F(ObjectDragTest, CtrlDragTurnsCirclesAndPolygonsButNotBoxes)
{
    const auto polyBefore = poly.points;
    const auto circleBody = circle.drawables[0]->points;
    const auto boxCorners = std::vector<Vec2>(box.corners, box.corners + 4);
    const float angle = SelectionDrag::rotationAngle(Vec2(40, 9));
    EXPECT_FLOAT_EQ(angle, 0.5f);
    SelectionDrag(SelectionLevel::Object, {}).rotate(moved(), angle);

    EXPECT_NE(poly.points, polyBefore);
    EXPECT_NEAR(poly.points[0].x, rotatePoint(polyBefore[0], poly.center, angle).x, 1e-3);
    EXPECT_NE(circle.drawables[0]->points, circleBody);
    EXPECT_EQ(std::vector<Vec2>(box.corners, box.corners + 4), boxCorners);
}

// With snapping on, every anchor sits on a grid point after every step, and
// the last point keeps what the snapping left of the pointer's motion.
TEST_F(ObjectDragTest, SnappedDragsEndOnTheGrid)
{
    const SelectionDrag drag(SelectionLevel::Object, {});
    Vec2 lastPoint(10, 10);
    for (const Vec2& pointer : {Vec2(30, 12), Vec2(100, 90), Vec2(-250, 400), Vec2(-251, 401)}) {
        drag.snapMove(moved(), pointer, lastPoint, snapToTestGrid);
        for (Selection* s : moved()) {
            SCOPED_TRACE(s->geometryCode());
            EXPECT_TRUE(onGrid(s->getAnchor())) << s->getAnchor().x << ", " << s->getAnchor().y;
        }
    }
}

// A move carries the parallax anchor along, so the object stays where it
// was put when the camera moves.
TEST_F(ObjectDragTest, MoveCarriesTheParallaxAnchor)
{
    circle.setOriginalCenter(Vec2(1000, 1000));
    SelectionDrag(SelectionLevel::Object, {}).move(moved(), Vec2(5, -3));
    EXPECT_EQ(circle.center, Vec2(18, 4));
    EXPECT_EQ(circle.originalCenter(), Vec2(1005, 997));
    EXPECT_EQ(box.corners[3], Vec2(-532 + 5, 17 - 3));
}

// The markers follow the moves without being rebuilt.
TEST_F(ObjectDragTest, HighlightsFollowTheDrag)
{
    const Vec2 before = scene.list[0].highlight()->points[0];
    SelectionDrag(SelectionLevel::Object, {}).move(moved(), Vec2(5, -3));
    EXPECT_EQ(scene.list[0].highlight()->points[0], before + Vec2(5, -3));
}

struct FactorCase {
    Vec2 delta;
    bool uniform;
    Vec2 factors;
};

// Three times the drag's share of a 300 wide view, plus one; never at or
// below zero however far the drag goes.
TEST(SelectionDragFactors, ScaleFactorsStayPositive)
{
    const FactorCase cases[] = {
        {{0, 0}, false, {1, 1}},
        {{100, -50}, false, {2, 0.5f}},
        {{100, -50}, true, {2, 2}},
        {{-100, 0}, false, {0.01f, 1}},
        {{-1000, -900}, false, {0.01f, 0.01f}},
        {{-1000, 50}, true, {0.01f, 0.01f}},
    };
    for (const FactorCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.delta.x << ", " << c.delta.y);
        const Vec2 f = SelectionDrag::scaleFactors(c.delta, 300.0f, c.uniform);
        EXPECT_FLOAT_EQ(f.x, c.factors.x);
        EXPECT_FLOAT_EQ(f.y, c.factors.y);
        EXPECT_GT(f.x, 0.0f);
        EXPECT_GT(f.y, 0.0f);
    }
}

TEST_F(ObjectDragTest, ScalingAboutThePivotKeepsCirclesRound)
{
    const Vec2 pivot(0, 0);
    SelectionDrag(SelectionLevel::Object, {}).scale(moved(), pivot, Vec2(2, 0.5f));
    EXPECT_EQ(box.corners[1], Vec2(-468 * 2, 49 * 0.5f));
    const auto& marker = scene.list[0].highlight()->points;
    // The circle's marker grows by 2 on both axes: 80 across.
    float low = marker[0].y;
    float high = marker[0].y;
    for (const Vec2& p : marker) {
        low = std::min(low, p.y);
        high = std::max(high, p.y);
    }
    EXPECT_FLOAT_EQ(high - low, 80.0f);
}

// A box with one drawable selected by the image tool, and one of its
// vertices.
class ImageDragTest : public testing::Test {
protected:
    ImageGeometry& body() { return *box.drawables.at(0); }

    std::vector<Selection*> selectWhole()
    {
        scene.list.append(std::make_unique<ImgGeoSelection>(scene, body(), box));
        return scene.list.atLevel(false);
    }

    std::vector<Selection*> selectVertex()
    {
        scene.list.append(std::make_unique<ImgVertexSelection>(scene, body(), 1, box));
        return scene.list.atLevel(false);
    }

    TestScene scene;
    Map_Aabb box{Vec2(0, 0), 400.0f, 400.0f, 1, 0, 0, 0.0f, kUvTile};
};

struct ModeCase {
    const char* name;
    DragModes modes;
    bool pointsMove;
    bool texturesMove;
};

const ModeCase kModes[] = {
    {"plain", {false, false}, true, false},
    {"drag uv", {true, false}, true, true},
    {"edit uv", {false, true}, false, true},
    {"edit uv with drag uv", {true, true}, false, true},
};

// Each gesture under each mode: editing texture coordinates leaves the
// points where they are; dragging them along moves both.
TEST(ImageDrag, ModesChooseBetweenPointsAndTextureCoordinates)
{
    using Gesture = std::function<void(const SelectionDrag&, const std::vector<Selection*>&)>;
    const std::pair<const char*, Gesture> gestures[] = {
        {"move", [](const SelectionDrag& d, const auto& m) { d.move(m, Vec2(40, 0)); }},
        {"turn", [](const SelectionDrag& d, const auto& m) { d.rotate(m, 0.3f); }},
        {"scale", [](const SelectionDrag& d, const auto& m) { d.scale(m, Vec2(), Vec2(2, 2)); }},
    };
    for (const ModeCase& mode : kModes) {
        for (const auto& [name, gesture] : gestures) {
            for (bool whole : {true, false}) {
                SCOPED_TRACE(testing::Message() << mode.name << " " << name
                                                << (whole ? " drawable" : " vertex"));
                Map_Aabb fresh(Vec2(0, 0), 400.0f, 400.0f, 1, 0, 0, 0.0f, kUvTile);
                TestScene local;
                ImageGeometry& d = *fresh.drawables.at(0);
                if (whole) {
                    local.list.append(std::make_unique<ImgGeoSelection>(local, d, fresh));
                } else {
                    local.list.append(std::make_unique<ImgVertexSelection>(local, d, 1, fresh));
                }
                const auto points = d.points;
                const auto uvs = d.uvs;
                gesture(SelectionDrag(SelectionLevel::Image, mode.modes), local.list.atLevel(false));
                EXPECT_EQ(d.points != points, mode.pointsMove);
                EXPECT_EQ(d.uvs != uvs, mode.texturesMove);
            }
        }
    }
}

// The image tool turns a box's drawable; only the select tool keeps boxes
// square to the axes.
TEST_F(ImageDragTest, ImageLevelTurnsTheDrawablesOfBoxes)
{
    const auto moved = selectWhole();
    const auto before = body().points;
    SelectionDrag(SelectionLevel::Image, {}).rotate(moved, 0.25f);
    EXPECT_NE(body().points, before);
    EXPECT_EQ(box.corners[0], Vec2(-200, 200));
}

TEST_F(ImageDragTest, SnappedImageDragPutsTheVertexOnTheGrid)
{
    const auto moved = selectVertex();
    Vec2 lastPoint(0, 0);
    SelectionDrag(SelectionLevel::Image, {}).snapMove(moved, Vec2(70, -10), lastPoint,
                                                      snapToTestGrid);
    EXPECT_EQ(body().points[1], Vec2(256, 128));
    // The pointer moved (70, -10); the vertex (56, -72).
    EXPECT_EQ(lastPoint, Vec2(56, -72));
}

}  // namespace
