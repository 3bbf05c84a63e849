// The File, Edit, View and top menus as their buttons drive them.
#include "editor/app/menus/EditorEditMenu.h"
#include "editor/app/menus/EditorFileMenu.h"
#include "editor/app/menus/EditorMirrorMenu.h"
#include "editor/app/menus/EditorSaveMenu.h"
#include "editor/app/menus/EditorTopMenu.h"
#include "editor/app/menus/EditorViewMenu.h"
#include "editor/app/menus/FileDialogMenu.h"
#include "editor/app/selections/ObjectSelection.h"
#include "editor/app/simulation/ViewCamera.h"
#include "editor/world/Map.h"
#include "editor/world/Map_Aabb.h"
#include "editor/world/Map_Circle.h"
#include "editor/world/Map_Poly.h"
#include "editor/world/Spawn.h"
#include "editor/world/TextureManager.h"
#include "libs/zorir/CheckBox.h"
#include "libs/zorir/ComboBox.h"
#include "libs/zorir/SpinBox.h"
#include "libs/zorir/StaticText.h"
#include "libs/zorir/Button.h"
#include "libs/zorir/EditField.h"
#include "libs/zorir/ListControl.h"
#include "libs/zorir/Panel.h"
#include "libs/zorir/WindowManager.h"
#include "tests/editor/EditorFixture.h"

#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

namespace {

using quillow::test::EditorFixture;

class Menus : public EditorFixture {
protected:
    template <class Menu>
    Menu& menu(MenuIndex index)
    {
        return dynamic_cast<Menu&>(*menus->menu(index));
    }
    // Pressing a button as the mouse does: its own toggling first, then the menu's handler.
    void press(MenuIndex index, const std::string& caption) { button(index, caption).pressed().emit(); }
    Zorir::Button& button(MenuIndex index, const std::string& caption)
    {
        auto& panel = dynamic_cast<Zorir::Panel&>(*menus->menu(index)->clientWindow());
        for (Zorir::Window* child : panel.children()) {
            auto* found = dynamic_cast<Zorir::Button*>(child);
            if (found && found->text() == caption) return *found;
        }
        throw std::runtime_error("no button " + caption);
    }
    std::vector<std::string> listed(FileDialogMenu& dialog)
    {
        std::vector<std::string> rows;
        for (int32_t i = 0; i < dialog.fileList().rowCount(); ++i) rows.push_back(dialog.fileList().row(i).text(0));
        return rows;
    }
    GameObject* addBox(float x, float y = 0.0f)
    {
        GameObject* object = new Map_Aabb(Vec2(x, y), 10.0f, 10.0f, 2, 0, 0, 0.0f, kUvTile);
        sim->addNewObject(object);
        return object;
    }
    void select(GameObject* object)
    {
        sim->MapSimulationManager::selections.append(std::make_unique<ObjectSelection>(*sim, *object));
    }
};

TEST_F(Menus, FileListHoldsOnlyTheMapFilesAndNoRowTwice)
{
    tree.writeMap("b.xml", "<rootnode/>");
    tree.writeMap("a.xml", "<rootnode/>");
    tree.writeMap("notes.txt", "not a map");
    std::filesystem::create_directory(tree.mapPath("folder.xml"));
    auto& dialog = menu<FileDialogMenu>(kOpenMenu);
    dialog.refreshFileList();
    dialog.refreshFileList();
    EXPECT_EQ(listed(dialog), (std::vector<std::string>{"a.xml", "b.xml"}));
}

// A picked row is forgotten when the list is made anew: the same index could
// name another file by then.
TEST_F(Menus, RefreshingForgetsThePickedRow)
{
    tree.writeMap("a.xml", "<rootnode/>");
    tree.writeMap("b.xml", "<rootnode/>");
    auto& dialog = menu<FileDialogMenu>(kSaveMenu);
    dialog.refreshFileList();
    dialog.fileList().setSelectedIndex(1);
    std::filesystem::remove(tree.mapPath("a.xml"));
    dialog.refreshFileList();
    EXPECT_EQ(dialog.fileList().selectedIndex(), -1);
    EXPECT_EQ(listed(dialog), (std::vector<std::string>{"b.xml"}));
}

TEST_F(Menus, APickedRowNamesTheFileOnlyWhileTheListHasTheFocus)
{
    tree.writeMap("a.xml", "<rootnode/>");
    auto& dialog = menu<FileDialogMenu>(kOpenMenu);
    menus->showMenu(kOpenMenu, true);  // showing lists the folder anew
    ASSERT_EQ(dialog.fileList().rowCount(), 1);
    dialog.fileList().setSelectedIndex(0);
    Zorir::WindowManager::instance().setFocus(&dialog.fileList());
    step();
    EXPECT_EQ(dialog.fileNameField().text(), "a.xml");
    Zorir::WindowManager::instance().setFocus(&dialog.fileNameField());
    dialog.fileNameField().setText("typed.xml");
    step();
    EXPECT_EQ(dialog.fileNameField().text(), "typed.xml");
}

TEST_F(Menus, SaveWithoutANameAsksForOneAndSaveAsWritesTheFile)
{
    addBox(0.0f);
    press(kFileMenu, "Save");
    EXPECT_EQ(menus->menu(kFileMenu)->actionCode, menu_action::kShowSaveDialog);
    auto& dialog = menu<EditorSaveMenu>(kSaveMenu);
    dialog.fileNameField().setText("saved.xml");
    press(kSaveMenu, "Save");
    EXPECT_TRUE(std::filesystem::exists(tree.mapPath("saved.xml")));
    EXPECT_EQ(sim->getMapName(), "saved.xml");
    EXPECT_EQ(dialog.actionCode, menu_action::kCloseDropDowns);
}

// The screen-size frame keeps only its hedge border: the grey fill would
// cover the middle of the map, and the border would leave no frame.
TEST_F(Menus, ScreenFrameIsOnlyItsBorder)
{
    ASSERT_TRUE(menus->screenFrame);
    const auto& drawables = menus->screenFrame->drawables;
    ASSERT_EQ(drawables.size(), 1u);
    EXPECT_GT(drawables.front()->borderSize, 0.0f);
    EXPECT_EQ(drawables.front()->points.size(), 16u);
    EXPECT_EQ(drawables.front()->img,
              static_cast<uint32_t>(TextureManager::instance()->getTextureId("hedge3")));
}

TEST_F(Menus, EachViewToggleTwiceComesBackToItsStart)
{
    struct Toggle {
        const char* caption;
        uint8_t* flag;
    };
    const std::vector<Toggle> toggles{{"Screen Size", &menus->screenFrameShown}, {"Grid", &sim->gridShown},
                                      {"Grid on top", &app->gridOnTop},          {"Show Geo", &sim->showGeometry},
                                      {"Show Imgs", &sim->showImages},           {"Snap To Grid", &sim->snapToGridOn}};
    for (const Toggle& toggle : toggles) {
        const uint8_t start = *toggle.flag;
        EXPECT_EQ(button(kViewMenu, toggle.caption).isToggledOn(), start != 0) << toggle.caption;
        press(kViewMenu, toggle.caption);
        EXPECT_NE(*toggle.flag, start) << toggle.caption;
        EXPECT_EQ(button(kViewMenu, toggle.caption).isToggledOn(), *toggle.flag != 0) << toggle.caption;
        press(kViewMenu, toggle.caption);
        EXPECT_EQ(*toggle.flag, start) << toggle.caption;
        EXPECT_EQ(button(kViewMenu, toggle.caption).isToggledOn(), start != 0) << toggle.caption;
        EXPECT_EQ(menus->menu(kViewMenu)->actionCode, menu_action::kCloseDropDowns);
    }
}

struct GridCase {
    MenuIndex menu;
    const char* caption;
    std::vector<int32_t> sizes;  // after each press, from 128
};

class GridButtons : public Menus, public ::testing::WithParamInterface<GridCase> {};

TEST_P(GridButtons, StayWithinTheGridBounds)
{
    ASSERT_EQ(sim->gridSize, 128);
    for (int32_t expected : GetParam().sizes) {
        press(GetParam().menu, GetParam().caption);
        EXPECT_EQ(sim->gridSize, expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    TopAndView, GridButtons,
    ::testing::Values(GridCase{kTopMenu, "gU", {256, 512, 1024, 2048, 2048}},
                      GridCase{kTopMenu, "gD", {64, 32, 16, 8, 4, 4}},
                      GridCase{kViewMenu, "Grid Up", {256, 512, 1024, 2048, 2048}},
                      GridCase{kViewMenu, "Grid Down", {64, 32, 16, 8, 4, 4}}));

TEST_F(Menus, CopyAndCutWithNothingSelectedKeepTheClipboard)
{
    select(addBox(0.0f));
    press(kEditMenu, "Copy");
    ASSERT_EQ(sim->clipboard.size(), 1u);
    const GameObject* copied = sim->clipboard.front().get();
    press(kEditMenu, "Delete");
    EXPECT_TRUE(sim->MapSimulationManager::selections.empty());
    press(kEditMenu, "Copy");
    press(kEditMenu, "Cut");
    ASSERT_EQ(sim->clipboard.size(), 1u);
    EXPECT_EQ(sim->clipboard.front().get(), copied);
    press(kEditMenu, "Paste");
    step();
    EXPECT_EQ(sim->map->objects.size(), 1u);
}

// The toolkit presses a held button again when the pointer comes back over
// it; Paste must still paste once for the one click.
TEST_F(Menus, AHeldButtonActsOncePerClickWhateverThePointerDoes)
{
    select(addBox(0.0f));
    press(kEditMenu, "Copy");
    menus->showMenu(kEditMenu, true);
    const Zorir::Rectangle paste = button(kEditMenu, "Paste").rectangle();
    const int x = static_cast<int>(paste.x + paste.width / 2);
    const int y = static_cast<int>(paste.y + paste.height / 2);
    auto& manager = Zorir::WindowManager::instance();
    manager.onMouseMove(x, y);
    manager.onLeftButtonDown(x, y);
    manager.onMouseMove(x + 500, y + 500);
    manager.onMouseMove(x, y);
    manager.onLeftButtonUp(x, y);
    EXPECT_EQ(sim->map->objects.size(), 2u);
}

TEST_F(Menus, CopiesOfAnAnimatedBoxStayAnimated)
{
    GameObject* box = addBox(0.0f);
    box->animatedBody = true;
    select(box);
    press(kEditMenu, "Copy");
    press(kEditMenu, "Paste");
    ASSERT_EQ(sim->map->objects.size(), 2u);
    EXPECT_TRUE(sim->map->objects.back()->animatedBody);
}

struct MirrorCase {
    const char* what;
    int32_t axis;
    bool snap;
    bool position;
    const char* direction;
    Vec2 selected;
    Vec2 copy;
};

class Mirror : public Menus, public ::testing::WithParamInterface<MirrorCase> {
protected:
    EditorMirrorMenu& dialog() { return menu<EditorMirrorMenu>(kMirrorMenu); }
};

TEST_P(Mirror, AddsACopyToTheMapAtTheMirroredPlace)
{
    const MirrorCase& c = GetParam();
    sim->gridSize = 64;
    GameObject* box = addBox(c.selected.x, c.selected.y);
    select(box);
    dialog().axisBox().editField().setText(std::to_string(c.axis));  // typed, not confirmed
    if (c.snap) dialog().snapBox().toggle();
    if (!c.position) dialog().positionBox().toggle();
    dialog().directionBox().setCurrentText(c.direction);
    press(kMirrorMenu, "OK");
    ASSERT_EQ(sim->map->objects.size(), 2u);
    EXPECT_EQ(sim->map->objects.front(), box);
    EXPECT_FLOAT_EQ(sim->map->objects.back()->center.x, c.copy.x);
    EXPECT_FLOAT_EQ(sim->map->objects.back()->center.y, c.copy.y);
    EXPECT_EQ(dialog().actionCode, menu_action::kCloseDropDowns);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Mirror,
    ::testing::Values(MirrorCase{"vertical", 100, false, true, "vertical", Vec2(40, 0), Vec2(160, 0)},
                      MirrorCase{"without position", 100, false, false, "vertical", Vec2(40, 0), Vec2(40, 0)},
                      MirrorCase{"snapped down", 100, true, true, "vertical", Vec2(40, 0), Vec2(88, 0)},
                      MirrorCase{"snapped up", -100, true, true, "vertical", Vec2(40, 0), Vec2(-168, 0)},
                      MirrorCase{"horizontal", 100, false, true, "horizontal", Vec2(0, 40), Vec2(0, 160)}),
    [](const ::testing::TestParamInfo<MirrorCase>& info) {
        std::string name = info.param.what;
        for (char& ch : name) if (ch == ' ') ch = '_';
        return name;
    });

// A copy made by Paste or Mirror while the camera is off the origin: it is
// anchored where it was put, as seen from that camera, so that the next
// camera move carries it from there, as it does its source, and not from
// its source's place. The source's highlight follows the source.
struct CopyAnchorCase {
    const char* what;
    Vec2 parallax;
    const char* command;  // "Paste" or "Mirror"
};

void PrintTo(const CopyAnchorCase& c, std::ostream* out)
{
    *out << c.what;
}

class CopyAnchor : public Menus, public ::testing::WithParamInterface<CopyAnchorCase> {};

TEST_P(CopyAnchor, ACopyIsCarriedFromWhereItWasPut)
{
    const CopyAnchorCase& c = GetParam();
    auto carried = [&](const Vec2& camera) { return Vec2(camera.x * c.parallax.x, camera.y * c.parallax.y); };
    const Vec2 camera(400.0f, -200.0f);
    sim->camera->position = camera;
    step();
    GameObject* box = addBox(-200.0f, 300.0f);
    sim->setObjectParallax(box, c.parallax.x, c.parallax.y);
    select(box);
    if (std::string(c.command) == "Paste") {
        press(kEditMenu, "Copy");
        press(kEditMenu, "Paste");
    } else {
        menu<EditorMirrorMenu>(kMirrorMenu).axisBox().editField().setText("100");
        press(kMirrorMenu, "OK");
    }
    ASSERT_EQ(sim->map->objects.size(), 2u);
    GameObject* copy = sim->map->objects.back();
    const Vec2 put = copy->center;
    EXPECT_NE(put, box->center);
    EXPECT_EQ(copy->originalCenter(), put - carried(camera));
    const Vec2 boxAt = box->center;
    const Vec2 highlightAt = sim->selections()[0].highlight()->points[0];

    const Vec2 pan(100.0f, 60.0f);
    sim->camera->position = camera + pan;
    step();
    EXPECT_EQ(box->center, boxAt + carried(pan));
    EXPECT_EQ(copy->center, put + carried(pan));
    EXPECT_EQ(copy->originalCenter(), put - carried(camera));
    EXPECT_EQ(sim->selections()[0].highlight()->points[0], highlightAt + carried(pan));
}

INSTANTIATE_TEST_SUITE_P(Cases, CopyAnchor,
                         ::testing::Values(CopyAnchorCase{"plain_paste", Vec2(0, 0), "Paste"},
                                           CopyAnchorCase{"plain_mirror", Vec2(0, 0), "Mirror"},
                                           CopyAnchorCase{"parallax_paste", Vec2(0.5f, 0.5f), "Paste"},
                                           CopyAnchorCase{"parallax_mirror", Vec2(0.5f, 0.5f), "Mirror"},
                                           CopyAnchorCase{"one_axis_mirror", Vec2(0.25f, 0.0f), "Mirror"}),
                         [](const ::testing::TestParamInfo<CopyAnchorCase>& info) { return info.param.what; });

enum class Shape { kBox, kCircle, kPoly };

// What a mirrored copy has reflected about the line through its new centre,
// against a copy only moved there.
struct ReflectionCase {
    const char* what;
    Shape shape;
    bool geometry;
    bool uvs;
    const char* direction;
    bool drawablePoints;
    bool textureCoordinates;
    bool outline;
};

class MirrorReflection : public Menus, public ::testing::WithParamInterface<ReflectionCase> {
protected:
    EditorMirrorMenu& dialog() { return menu<EditorMirrorMenu>(kMirrorMenu); }
    GameObject* addShape(Shape shape)
    {
        GameObject* object = nullptr;
        switch (shape) {
        case Shape::kBox: object = new Map_Aabb(kCentre, 60.0f, 20.0f, 2, 0, 0, 0.0f, kUvTile); break;
        case Shape::kCircle: object = new Map_Circle(kCentre, 30.0f, 2, 0); break;
        case Shape::kPoly: object = new Map_Poly(kTriangle, kCentre, 2, 0.0f, 0, 0); break;
        }
        sim->addNewObject(object);
        return object;
    }

    static void expectReflected(const std::vector<Vec2>& actual, const std::vector<Vec2>& moved, const Vec2& t,
                                bool vertical, bool reflected)
    {
        ASSERT_EQ(actual.size(), moved.size());
        for (size_t i = 0; i < actual.size(); ++i) {
            Vec2 expected = moved[i];
            if (reflected && vertical) expected.x = 2 * t.x - expected.x;
            if (reflected && !vertical) expected.y = 2 * t.y - expected.y;
            EXPECT_FLOAT_EQ(actual[i].x, expected.x) << "point " << i;
            EXPECT_FLOAT_EQ(actual[i].y, expected.y) << "point " << i;
        }
    }

    inline static const Vec2 kCentre{20.0f, 10.0f};
    // Lopsided, so that no reflection maps it onto itself.
    inline static const std::vector<Vec2> kTriangle{{0, 0}, {60, 0}, {0, 30}};
};

TEST_P(MirrorReflection, ReflectsWhatItsOptionsAndShapeSay)
{
    const ReflectionCase& c = GetParam();
    const bool vertical = std::string(c.direction) == "vertical";
    GameObject* original = addShape(c.shape);
    select(original);
    dialog().axisBox().editField().setText("100");
    if (!c.geometry) dialog().geometryBox().toggle();
    if (!c.uvs) dialog().uvBox().toggle();
    dialog().directionBox().setCurrentText(c.direction);
    press(kMirrorMenu, "OK");
    ASSERT_EQ(sim->map->objects.size(), 2u);
    const GameObject& copy = *sim->map->objects.back();
    const Vec2 t = vertical ? Vec2(200.0f - kCentre.x, kCentre.y) : Vec2(kCentre.x, 200.0f - kCentre.y);
    EXPECT_EQ(copy.center, t);
    std::unique_ptr<GameObject> moved = original->clone();
    moved->moveTo(t);
    ASSERT_EQ(copy.drawables.size(), moved->drawables.size());
    for (size_t i = 0; i < copy.drawables.size(); ++i) {
        SCOPED_TRACE("drawable " + std::to_string(i));
        expectReflected(copy.drawables[i]->points, moved->drawables[i]->points, t, vertical, c.drawablePoints);
        expectReflected(copy.drawables[i]->uvs, moved->drawables[i]->uvs, t, vertical, c.textureCoordinates);
    }
    if (c.shape == Shape::kPoly) {
        SCOPED_TRACE("outline");
        expectReflected(dynamic_cast<const Poly&>(copy).points, dynamic_cast<const Poly&>(*moved).points, t, vertical,
                        c.outline);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MirrorReflection,
    ::testing::Values(
        // A box's outline is symmetric: only "mirror UVs" turns its image round.
        ReflectionCase{"box all", Shape::kBox, true, true, "vertical", true, false, false},
        ReflectionCase{"box geo only", Shape::kBox, true, false, "vertical", false, false, false},
        ReflectionCase{"box uvs only", Shape::kBox, false, true, "vertical", true, false, false},
        ReflectionCase{"box horizontal", Shape::kBox, true, true, "horizontal", true, false, false},
        ReflectionCase{"circle all", Shape::kCircle, true, true, "vertical", true, false, false},
        ReflectionCase{"circle geo only", Shape::kCircle, true, false, "vertical", true, false, false},
        ReflectionCase{"circle uvs only", Shape::kCircle, false, true, "vertical", true, false, false},
        ReflectionCase{"circle nothing", Shape::kCircle, false, false, "vertical", false, false, false},
        ReflectionCase{"circle horizontal", Shape::kCircle, true, false, "horizontal", true, false, false},
        // Without "mirror UVs" a polygon's texture coordinates follow its outline.
        ReflectionCase{"polygon all", Shape::kPoly, true, true, "vertical", true, false, true},
        ReflectionCase{"polygon geo only", Shape::kPoly, true, false, "vertical", true, true, true},
        ReflectionCase{"polygon uvs only", Shape::kPoly, false, true, "vertical", false, false, false},
        ReflectionCase{"polygon nothing", Shape::kPoly, false, false, "vertical", false, true, false},
        ReflectionCase{"polygon horizontal", Shape::kPoly, true, false, "horizontal", true, true, true}),
    [](const ::testing::TestParamInfo<ReflectionCase>& info) {
        std::string name = info.param.what;
        for (char& ch : name) if (ch == ' ') ch = '_';
        return name;
    });

// The worked case: the triangle's mirror image across x = 100, point for point.
TEST_F(Menus, AMirroredPolygonIsTheMirrorImageOfItsOutline)
{
    GameObject* triangle = new Map_Poly({{0, 0}, {60, 0}, {0, 30}}, Vec2(20, 10), 2, 0.0f, 0, 0);
    sim->addNewObject(triangle);
    select(triangle);
    menu<EditorMirrorMenu>(kMirrorMenu).axisBox().editField().setText("100");
    press(kMirrorMenu, "OK");
    ASSERT_EQ(sim->map->objects.size(), 2u);
    EXPECT_EQ(dynamic_cast<const Poly&>(*sim->map->objects.back()).points,
              (std::vector<Vec2>{{200, 0}, {140, 0}, {200, 30}}));
}

TEST_F(Menus, AMirroredSpawnMarkerBecomesASpawnOfTheOtherSide)
{
    auto spawn = std::make_unique<Spawn>();
    createSpawnMarker(*spawn, 0, Vec2(40, 0));
    GameObject* marker = spawn->marker.get();
    sim->map->addSpawn(std::move(spawn));
    select(marker);
    auto& dialog = menu<EditorMirrorMenu>(kMirrorMenu);
    dialog.axisBox().editField().setText("100");
    press(kMirrorMenu, "OK");
    EXPECT_TRUE(sim->map->objects.empty());
    ASSERT_EQ(sim->map->spawnLists.size() > 1 ? sim->map->spawnLists[1].size() : 0u, 1u);
    const GameObject& mirrored = *sim->map->spawnLists[1].front()->marker;
    EXPECT_FLOAT_EQ(mirrored.center.x, 160.0f);
}

TEST_F(Menus, MirrorWithNothingSelectedOnlyCloses)
{
    addBox(0.0f);
    press(kMirrorMenu, "OK");
    EXPECT_EQ(sim->map->objects.size(), 1u);
    EXPECT_EQ(menus->menu(kMirrorMenu)->actionCode, menu_action::kCloseDropDowns);
}

TEST_F(Menus, TheAxisLabelFollowsTheDirection)
{
    auto& dialog = menu<EditorMirrorMenu>(kMirrorMenu);
    menus->showMenu(kMirrorMenu, true);
    dialog.directionBox().setCurrentText("horizontal");
    step();
    EXPECT_EQ(dialog.axisLabel().text(), "y axis");
    dialog.directionBox().setCurrentText("vertical");
    step();
    EXPECT_EQ(dialog.axisLabel().text(), "x axis");
}

}  // namespace
