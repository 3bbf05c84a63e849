// The property panel: what it shows of the selected objects and what it
// writes back to them on its per-tick poll.
#include "editor/app/menus/EditorEditorMenu.h"
#include "editor/app/menus/MenuIndex.h"
#include "editor/app/menus/ObjectProperties.h"
#include "editor/app/selections/ObjectSelection.h"
#include "editor/world/Map.h"
#include "editor/world/Map_Aabb.h"
#include "editor/world/Map_Circle.h"
#include "editor/world/Map_Poly.h"
#include "editor/world/TextureManager.h"
#include "libs/zorir/CheckBox.h"
#include "libs/zorir/ComboBox.h"
#include "libs/zorir/EditField.h"
#include "libs/zorir/Kesh_SuperSpinBox.h"
#include "platform/KeyCodes.h"
#include "tests/editor/EditorFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace {

using quillow::test::EditorFixture;

uint32_t texture(const char* name)
{
    return static_cast<uint32_t>(TextureManager::instance()->getTextureId(name));
}

struct DrawableFields {
    uint32_t img;
    float borderSize;
    std::vector<Vec2> points;
    bool drawEnabled;
    bool operator==(const DrawableFields&) const = default;
};

// Everything of an object that the panel could write.
struct Fields {
    uint16_t layer;
    uint16_t type;
    uint16_t alignment;
    Vec2 para;
    bool locked;
    bool draw;
    bool inParallaxList;
    std::vector<DrawableFields> drawables;
    bool operator==(const Fields&) const = default;
};

void PrintTo(const Fields& f, std::ostream* out)
{
    *out << "layer " << f.layer << " type " << f.type << " alignment " << f.alignment << " para (" << f.para.x
         << ", " << f.para.y << ") locked " << f.locked << " draw " << f.draw << " parallax list "
         << f.inParallaxList << " drawables";
    for (const DrawableFields& d : f.drawables) {
        *out << " [img " << d.img << " border " << d.borderSize << " points " << d.points.size() << " enabled "
             << d.drawEnabled << "]";
    }
}

// A box on layer 300 with a border, off the default parallax, red; a
// polygon on layer 2 that is not drawn, on a side the panel has no name
// for; a blue circle with a small parallax factor. No field is the same in
// all three, so writing one object's values to another shows.
class PropertyPanel : public EditorFixture {
protected:
    PropertyPanel()
    {
        box = new Map_Aabb(Vec2(0, 0), 100.0f, 60.0f, 300, texture("bricks"), texture("hedge3"), 6.6f, kUvTile);
        box->para = Vec2(0.01f, -0.5f);
        box->alignment = 0;
        sim->addNewObject(box);
        poly = new Map_Poly({{0, 0}, {100, 0}, {0, 100}}, Vec2(-300, 0), 2, 0.0f, texture("grass"), 0);
        poly->alignment = 5;
        poly->type = 7;
        poly->setDrawEnabled(false);
        sim->addNewObject(poly);
        circle = new Map_Circle(Vec2(300, 0), 50.0f, 1, texture("water"));
        circle->para = Vec2(0.0f, 0.01f);
        circle->alignment = 1;
        circle->locked = true;
        sim->addNewObject(circle);
        app->currentTool = MapEditorSim::kSelectTool;
    }

    EditorEditorMenu& panel() { return dynamic_cast<EditorEditorMenu&>(*menus->menu(kPropertyMenu)); }

    void select(const std::vector<GameObject*>& objects)
    {
        for (GameObject* object : objects) {
            sim->MapSimulationManager::selections.append(std::make_unique<ObjectSelection>(*sim, *object));
        }
        panel().showSelection(sim->selections().snapshot());
    }

    // A few of the panel's per-tick polls.
    void ticks()
    {
        for (int i = 0; i < 3; ++i) panel().applyToSelection();
    }

    Fields fields(const GameObject& object) const
    {
        Fields f{object.layer, object.type,  object.alignment, object.para,
                 object.locked, object.draw, false,            {}};
        f.inParallaxList = std::find(sim->parallaxList.begin(), sim->parallaxList.end(), &object) !=
                           sim->parallaxList.end();
        for (const auto& d : object.drawables) f.drawables.push_back({d->img, d->borderSize, d->points, d->drawEnabled});
        return f;
    }

    std::vector<Fields> fieldsOfAll() const { return {fields(*box), fields(*poly), fields(*circle)}; }

    Map_Aabb* box;
    Map_Poly* poly;
    Map_Circle* circle;
};

// Showing a selection and letting the panel poll it, with no edit, leaves
// every object as it was, whichever object comes first.
TEST_F(PropertyPanel, ShowingAndApplyingWithoutEditsChangesNothing)
{
    const std::vector<std::vector<GameObject*>> selections = {
        {box}, {poly}, {circle}, {box, poly}, {poly, box, circle}, {circle, box},
    };
    const std::vector<Fields> before = fieldsOfAll();
    for (const auto& selection : selections) {
        sim->MapSimulationManager::selections.clear();
        select(selection);
        ticks();
        EXPECT_EQ(fieldsOfAll(), before) << "first selected: layer " << selection.front()->layer;
    }
}

TEST_F(PropertyPanel, ShowsTheFirstObjectRoundedAndUnclamped)
{
    select({box, poly});
    EXPECT_EQ(panel().layerBox().value(), 300);
    EXPECT_EQ(panel().layerBox().editField().text(), "300");
    EXPECT_EQ(panel().typeBox().value(), -1);  // a parallax object's type
    EXPECT_EQ(panel().parallaxXBox().value(), 101);
    EXPECT_EQ(panel().parallaxYBox().value(), 50);
    EXPECT_EQ(panel().borderWidthBox().value(), 7);
    EXPECT_EQ(panel().widthBox().value(), 100);
    EXPECT_EQ(panel().heightBox().value(), 60);
    EXPECT_EQ(panel().textureBox().text(), "bricks");
    EXPECT_EQ(panel().borderTextureBox().text(), "hedge3");
    EXPECT_EQ(panel().alignmentBox().text(), "Red");
    EXPECT_TRUE(panel().hasBorderBox().isToggledOn());
    EXPECT_FALSE(panel().lockedBox().isToggledOn());
}

TEST_F(PropertyPanel, ValuesRoundToTheNearestAndHoldWhatObjectsHave)
{
    struct Case {
        float factor;
        int32_t shown;
    };
    for (const Case& c : {Case{0.0f, 100}, Case{0.01f, 101}, Case{-0.01f, 99}, Case{-0.5f, 50}, Case{0.5f, 150},
                          Case{0.013f, 101}, Case{1.0f / 3.0f, 133}, Case{-3.0f, -200}, Case{500.0f, 50100}}) {
        EXPECT_EQ(parallaxShown(c.factor), c.shown) << c.factor;
    }
    EXPECT_EQ(parallaxFactor(101), 0.01f);
    EXPECT_EQ(parallaxFactor(50), -0.5f);
    EXPECT_EQ(shownLength(99.6f), 100);
    EXPECT_EQ(shownLength(6.4f), 6);

    auto* big = new Map_Aabb(Vec2(0, 900), 40000.5f, 10.0f, 40000, texture("sand"), 0, 0.0f, kUvTile);
    big->type = 40000;
    sim->addNewObject(big);
    select({big});
    EXPECT_EQ(panel().layerBox().value(), 40000);
    EXPECT_EQ(panel().typeBox().value(), -25536);
    EXPECT_EQ(panel().widthBox().value(), 40001);
    const Fields before = fields(*big);
    ticks();
    EXPECT_EQ(fields(*big), before);
}

struct EditCase {
    const char* name;
    std::function<void(EditorEditorMenu&)> edit;
    std::function<void(Fields&)> expected;
};

void PrintTo(const EditCase& c, std::ostream* out)
{
    *out << c.name;
}

void enableDrawing(Fields& f, bool on)
{
    f.draw = on;
    for (DrawableFields& d : f.drawables) d.drawEnabled = on;
}

const EditCase kEdits[] = {
    {"layer", [](EditorEditorMenu& p) { p.layerBox().setValue(7); },
     [](Fields& f) {
         f.layer = 7;
         enableDrawing(f, true);
     }},
    {"layer 0", [](EditorEditorMenu& p) { p.layerBox().setValue(0); },
     [](Fields& f) {
         f.layer = 0;
         enableDrawing(f, false);
     }},
    {"type", [](EditorEditorMenu& p) { p.typeBox().setValue(12); }, [](Fields& f) { f.type = 12; }},
    {"parallax x", [](EditorEditorMenu& p) { p.parallaxXBox().setValue(150); },
     [](Fields& f) {
         f.para.x = 0.5f;
         f.type = kParallaxType;
         f.inParallaxList = true;
     }},
    {"alignment", [](EditorEditorMenu& p) { p.alignmentBox().setCurrentText("Blue"); },
     [](Fields& f) { f.alignment = 1; }},
    {"unknown alignment", [](EditorEditorMenu& p) { p.alignmentBox().setCurrentText("Purple"); }, [](Fields&) {}},
    {"locked", [](EditorEditorMenu& p) { p.lockedBox().flip(); }, [](Fields& f) { f.locked = true; }},
    {"texture", [](EditorEditorMenu& p) { p.textureBox().setCurrentText("stone"); },
     [](Fields& f) {
         for (DrawableFields& d : f.drawables) {
             if (d.borderSize == 0.0f) d.img = texture("stone");
         }
     }},
};

class PropertyPanelEdit : public PropertyPanel, public ::testing::WithParamInterface<EditCase> {};

// One field edited: that field, and what follows from it, changes on every
// selected object; everything else stays as each object had it.
TEST_P(PropertyPanelEdit, ChangesOnlyThatFieldOnEverySelectedObject)
{
    select({box, poly});
    std::vector<Fields> expected = fieldsOfAll();
    GetParam().expected(expected[0]);
    GetParam().expected(expected[1]);
    GetParam().edit(panel());
    ticks();
    EXPECT_EQ(fieldsOfAll(), expected);
}

INSTANTIATE_TEST_SUITE_P(Fields, PropertyPanelEdit, ::testing::ValuesIn(kEdits));

TEST_F(PropertyPanel, NothingIsWrittenWhileAnotherToolIsCurrent)
{
    select({box, poly});
    const std::vector<Fields> before = fieldsOfAll();
    app->currentTool = MapEditorSim::kUVTool;
    panel().layerBox().setValue(9);
    ticks();
    EXPECT_EQ(fieldsOfAll(), before);
}

// Clearing "Has Border" takes the border away, so that the object has its
// body alone and the panel shows the body's texture; checking it again with
// a width builds a border with the border texture, and the body keeps its
// own. Boxes and polygons alike; a corner edit keeps what the panel made.
TEST_F(PropertyPanel, ClearingHasBorderRemovesTheBorderAndAWidthBuildsItAgain)
{
    auto* framed = new Map_Poly({{0, 0}, {100, 0}, {0, 100}}, Vec2(0, -400), 2, 5.0f, texture("grass"),
                                texture("hedge3"));
    sim->addNewObject(framed);
    const std::vector<std::pair<GameObject*, const char*>> cases = {{box, "bricks"}, {framed, "grass"}};
    for (const auto& [object, body] : cases) {
        SCOPED_TRACE(body);
        auto borders = [object] {
            std::vector<DrawableFields> found;
            for (const auto& d : object->drawables) {
                if (d->borderSize != 0.0f) found.push_back({d->img, d->borderSize, {}, d->drawEnabled});
            }
            return found;
        };
        auto rebuilt = [object] {
            if (auto* b = dynamic_cast<Aabb*>(object)) b->rebuildDrawables();
            if (auto* p = dynamic_cast<Poly*>(object)) p->rebuildDrawables();
        };
        sim->MapSimulationManager::selections.clear();
        select({object});
        ASSERT_TRUE(panel().hasBorderBox().isToggledOn());
        panel().hasBorderBox().flip();
        ticks();
        EXPECT_EQ(panel().borderWidthBox().value(), 0);
        for (int pass = 0; pass < 2; ++pass) {
            ASSERT_EQ(object->drawables.size(), 1u);
            EXPECT_EQ(object->drawables[0]->img, texture(body));
            EXPECT_TRUE(borders().empty());
            rebuilt();
        }

        sim->MapSimulationManager::selections.clear();
        select({object});
        EXPECT_FALSE(panel().hasBorderBox().isToggledOn());
        EXPECT_EQ(panel().textureBox().text(), body);
        panel().hasBorderBox().flip();
        panel().borderWidthBox().setValue(5);
        ticks();
        for (int pass = 0; pass < 2; ++pass) {
            ASSERT_EQ(object->drawables.size(), 2u);
            EXPECT_EQ(borders(), (std::vector<DrawableFields>{{texture("hedge3"), 5.0f, {}, true}}));
            for (const auto& d : object->drawables) {
                if (d->borderSize == 0.0f) {
                    EXPECT_EQ(d->img, texture(body));
                }
            }
            rebuilt();
        }
    }
}

// A shape without a border shows the texture a border given by a width
// would take, not the one the object shown before had: the one it was made
// with; a shape that keeps no image of the registry (a polygon as a map
// without its border gives it) leaves the text as it was, and the border
// takes that. Whichever the case, the border gets what the panel shows.
TEST_F(PropertyPanel, AShapeWithoutABorderShowsTheTextureItsBorderWillTake)
{
    auto* plainBox = new Map_Aabb(Vec2(0, 400), 100.0f, 60.0f, 3, texture("stone"), texture("water"), 0.0f, kUvTile);
    sim->addNewObject(plainBox);
    const struct Case {
        const char* name;
        GameObject* plain;
        const char* shown;
    } cases[] = {{"a box made with water for its border", plainBox, "water"},
                 {"a polygon that keeps no image", poly, "hedge3"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim->MapSimulationManager::selections.clear();
        select({box});
        sim->MapSimulationManager::selections.clear();
        select({c.plain});
        EXPECT_FALSE(panel().hasBorderBox().isToggledOn());
        EXPECT_EQ(panel().borderTextureBox().text(), c.shown);
        panel().hasBorderBox().flip();
        panel().borderWidthBox().setValue(5);
        ticks();
        ASSERT_EQ(c.plain->drawables.size(), 2u);
        EXPECT_EQ(c.plain->drawables[0]->borderSize, 5.0f);
        EXPECT_EQ(c.plain->drawables[0]->img, texture(c.shown));
    }
}

// Once the objects it shows are deleted, by the Delete key or by a new map,
// the panel shows the fields of no object rather than those of a box that
// is gone.
TEST_F(PropertyPanel, ShowsNoObjectOnceItsObjectsAreDeleted)
{
    const std::vector<std::function<void()>> deletions = {
        [&] {
            hold(platform::vk::kDelete);
            step();
            let(platform::vk::kDelete);
        },
        [&] { sim->newMap(); },
    };
    for (const auto& deletion : deletions) {
        select({box});
        ASSERT_EQ(panel().layerBox().value(), 300);
        deletion();
        EXPECT_TRUE(panel().selectedObjects().empty());
        EXPECT_EQ(panel().layerBox().value(), 0);
        EXPECT_EQ(panel().widthBox().value(), 0);
        EXPECT_FALSE(panel().hasBorderBox().isToggledOn());
        EXPECT_EQ(panel().borderWidthBox().value(), 0);
        EXPECT_EQ(panel().parallaxXBox().value(), 100);
        EXPECT_EQ(panel().alignmentBox().text(), "Normal");
        box = new Map_Aabb(Vec2(0, 0), 100.0f, 60.0f, 300, texture("bricks"), texture("hedge3"), 6.6f, kUvTile);
        box->alignment = 0;
        sim->addNewObject(box);
    }
}

// Textures and border width chosen in the panel stay when a shape rebuilds
// its drawables after a vertex edit.
TEST_F(PropertyPanel, ChosenLooksSurviveARebuildOfTheShape)
{
    auto* framed = new Map_Poly({{0, 0}, {100, 0}, {0, 100}}, Vec2(0, -400), 2, 5.0f, texture("grass"),
                                texture("hedge3"));
    sim->addNewObject(framed);
    select({box, framed});
    panel().textureBox().setCurrentText("stone");
    panel().borderTextureBox().setCurrentText("sand");
    panel().borderWidthBox().setValue(12);
    ticks();
    box->rebuildDrawables();
    framed->rebuildDrawables();
    for (GameObject* object : {static_cast<GameObject*>(box), static_cast<GameObject*>(framed)}) {
        ASSERT_EQ(object->drawables.size(), 2u);
        for (const auto& d : object->drawables) {
            EXPECT_EQ(d->img, texture(d->borderSize == 0.0f ? "stone" : "sand"));
            if (d->borderSize != 0.0f) {
                EXPECT_EQ(d->borderSize, 12.0f);
            }
        }
    }
}

}  // namespace
