#include "editor/app/menus/EditorMirrorMenu.h"

#include "editor/app/menus/EditorAccess.h"
#include "editor/app/selections/ObjectSelection.h"
#include "editor/app/simulation/MapEditorSim.h"
#include "editor/world/Map.h"
#include "editor/world/Poly.h"
#include "editor/world/Spawn.h"
#include "libs/zorir/CheckBox.h"
#include "libs/zorir/ComboBox.h"
#include "libs/zorir/SpinBox.h"
#include "libs/zorir/StaticText.h"

namespace {

constexpr const char* kVertical = "vertical";
constexpr const char* kHorizontal = "horizontal";

// The point reflected about the line through t, across x when vertical.
Vec2 reflect(const Vec2& p, const Vec2& t, bool vertical)
{
    return vertical ? Vec2(2.0f * t.x - p.x, p.y) : Vec2(p.x, 2.0f * t.y - p.y);
}

void reflectAll(std::vector<Vec2>& points, const Vec2& t, bool vertical)
{
    for (Vec2& p : points) p = reflect(p, t, vertical);
}

}  // namespace

EditorMirrorMenu::EditorMirrorMenu() : MenuWindow(Zorir::Rectangle(100, 50, 440, 500))
{
    setDraggable();
    setGrid(Zorir::Vector2(0.0f, 0.0f), {160.0f, 160.0f}, std::vector<float>(7, 32.0f));
    placeInGrid(create<Zorir::StaticText>("Mirror"), 0, 0, 2);
    placeInGrid(createButton("OK", &EditorMirrorMenu::onOK), 0, 6);
    placeInGrid(createButton("Cancel", &EditorMirrorMenu::onCancel), 1, 6);
    axis_ = create<Zorir::SpinBox>(0);
    axis_->setMinimum(-500000);
    axis_->setMaximum(500000);
    placeInGrid(axis_, 1, 2);
    axisLabel_ = create<Zorir::StaticText>("x axis");
    placeInGrid(axisLabel_, 0, 2);
    snap_ = create<Zorir::CheckBox>("snap to grid");
    placeInGrid(snap_, 0, 3);
    geometry_ = create<Zorir::CheckBox>("mirror geo");
    placeInGrid(geometry_, 0, 4);
    position_ = create<Zorir::CheckBox>("mirror pos");
    placeInGrid(position_, 0, 5);
    uvs_ = create<Zorir::CheckBox>("mirror UVs");
    placeInGrid(uvs_, 1, 4);
    placeInGrid(create<Zorir::StaticText>("axis direction"), 0, 1);
    direction_ = create<Zorir::ComboBox>(Zorir::Rectangle(0, 0, 5, 5));
    direction_->addString(kVertical);
    direction_->addString(kHorizontal);
    direction_->setCurrentText(kVertical);
    placeInGrid(direction_, 1, 1);
    widgets.push_back(axis_);
    finishLayout();
    for (Zorir::CheckBox* box : {geometry_, position_, uvs_}) box->toggle();
}

MenuAction EditorMirrorMenu::pollAction()
{
    if (direction_->text() == kVertical) axisLabel_->setText("x axis");
    else if (direction_->text() == kHorizontal) axisLabel_->setText("y axis");
    return actionCode;
}

void EditorMirrorMenu::onOK()
{
    mirrorSelection();
    actionCode = menu_action::kCloseDropDowns;
}

void EditorMirrorMenu::onCancel()
{
    actionCode = menu_action::kCloseDropDowns;
}

EditorMirrorMenu::Options EditorMirrorMenu::readOptions()
{
    // A number still being typed counts.
    axis_->focusLost();
    int32_t axis = axis_->value();
    if (snap_->isToggledOn()) {
        if (MapEditorSim* sim = editorSimulation()) axis -= axis % sim->gridSize;
    }
    return {direction_->text() == kVertical, geometry_->isToggledOn(), position_->isToggledOn(), uvs_->isToggledOn(),
            static_cast<float>(axis)};
}

void EditorMirrorMenu::mirrorSelection()
{
    MapEditorSim* sim = editorSimulation();
    if (!sim) return;
    const Options options = readOptions();
    for (const Selection* selection : sim->selections().atLevel(true)) {
        auto* picked = dynamic_cast<const ObjectSelection*>(selection);
        if (!picked) continue;
        const Vec2 c = picked->getCenter();
        Vec2 target = c;
        if (options.position) {
            target = options.vertical ? Vec2((options.axis - c.x) + options.axis, c.y)
                                      : Vec2(c.x, (options.axis - c.y) + options.axis);
        }
        if (mirrorSpawn(picked->object(), target)) continue;
        // Listed in the map, so the copy is saved with it.
        sim->addNewObject(mirroredCopy(picked->object(), target, options).release());
    }
}

bool EditorMirrorMenu::mirrorSpawn(const GameObject& object, const Vec2& target)
{
    MapEditorSim* sim = editorSimulation();
    auto& lists = sim->map->spawnLists;
    for (size_t side = 0; side < lists.size(); ++side) {
        for (const auto& spawn : lists[side]) {
            if (spawn->marker.get() != &object) continue;
            if (side <= 1) {
                auto mirrored = std::make_unique<Spawn>();
                createSpawnMarker(*mirrored, side == 0 ? 1 : 0, target);
                sim->map->addSpawn(std::move(mirrored));
            }
            return true;
        }
    }
    return false;
}

std::unique_ptr<GameObject> EditorMirrorMenu::mirroredCopy(const GameObject& object, const Vec2& target,
                                                           const Options& options)
{
    std::unique_ptr<GameObject> copy = object.clone();
    copy->moveTo(target);
    const uint16_t shape = copy->geometry;
    const bool reflectDrawables = (shape == kGeometryBox && options.uvs) ||
                                  (shape == kGeometryCircle && (options.geometry || options.uvs)) ||
                                  (shape == kGeometryPoly && options.geometry);
    for (auto& drawable : copy->drawables) {
        if (reflectDrawables) reflectAll(drawable->points, target, options.vertical);
        // The texture keeps its way round on the mirrored outline.
        if (shape == kGeometryPoly && !options.uvs) reflectAll(drawable->uvs, target, options.vertical);
    }
    if (auto* poly = dynamic_cast<Poly*>(copy.get()); poly && options.geometry) {
        reflectAll(poly->points, target, options.vertical);
    }
    return copy;
}
