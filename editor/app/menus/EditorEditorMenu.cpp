#include "editor/app/menus/EditorEditorMenu.h"

#include "editor/app/menus/EditorAccess.h"
#include "editor/app/selections/ObjectSelection.h"
#include "editor/app/shell/AppState.h"
#include "editor/app/simulation/MapEditorSim.h"
#include "editor/world/Bounds.h"
#include "editor/world/GameObject.h"
#include "libs/zorir/CheckBox.h"
#include "libs/zorir/ComboBox.h"
#include "libs/zorir/Kesh_SuperSpinBox.h"

#include <cstdint>
#include <iostream>
#include <limits>

namespace {

constexpr size_t kRows = 20;
constexpr float kRowHeight = 32.0f;

// The panel only ever holds whole-object selections.
GameObject& objectOf(const Selection& selection)
{
    return static_cast<const ObjectSelection&>(selection).object();
}

}  // namespace

// Widgets are built in the order the panel has always built them; the grid
// row, not the order, decides where each one shows.
EditorEditorMenu::EditorEditorMenu() : SidePanelMenu(Zorir::Rectangle(550, 0, 800, 680))
{
    setGrid(Zorir::Vector2(2.0f, 2.0f), {90.0f, 140.0f}, std::vector<float>(kRows, kRowHeight));
    editUV_ = addCheckRow(0, "Edit UV Mode (Image)");
    editVertex_ = addCheckRow(1, "Edit Vertex Mode");
    dragUV_ = addCheckRow(2, "Drag UV Mode");
    addCheckRow(3, "Geo Only (Select)");
    texture_ = addComboRow(4, "Texture");
    layer_ = addRow<Zorir::Kesh_SuperSpinBox>(5, "Layer", 0);
    type_ = addRow<Zorir::Kesh_SuperSpinBox>(6, "Type", 0);
    isAnimation_ = addCheckRow(15, "Is Animation");
    width_ = addRow<Zorir::Kesh_SuperSpinBox>(12, "Width", 0);
    height_ = addRow<Zorir::Kesh_SuperSpinBox>(13, "Height", 0);
    addRow<Zorir::Kesh_SuperSpinBox>(16, "Anim X", 0);
    addRow<Zorir::Kesh_SuperSpinBox>(17, "Anim Y", 0);
    addRow<Zorir::Kesh_SuperSpinBox>(18, "Anim cells", 1);
    hasBorder_ = addCheckRow(7, "Has Border");
    borderWidth_ = addRow<Zorir::Kesh_SuperSpinBox>(9, "Border Width", 0);
    borderTexture_ = addComboRow(8, "Border Tex");
    parallaxX_ = addRow<Zorir::Kesh_SuperSpinBox>(10, "Parallax X", 0);
    parallaxY_ = addRow<Zorir::Kesh_SuperSpinBox>(11, "Parallax Y", 0);
    locked_ = create<Zorir::CheckBox>("Locked");
    placeInGrid(locked_, 0, 19, 2);
    alignment_ = addComboRow(14, "Alignment");
    for (const char* side : {"Normal", "Red", "Blue"}) alignment_->addString(side);
    setRanges();
    finishLayout();
}

// Wide enough for every value an object can have, so that showing one
// never clamps it.
void EditorEditorMenu::setRanges()
{
    layer_->setMaximum(std::numeric_limits<uint16_t>::max());
    type_->setMinimum(std::numeric_limits<int16_t>::min());
    type_->setMaximum(std::numeric_limits<int16_t>::max());
    for (Zorir::Kesh_SuperSpinBox* length : {width_, height_, borderWidth_}) length->setMaximum(kPropertyLimit);
    for (Zorir::Kesh_SuperSpinBox* parallax : {parallaxX_, parallaxY_}) {
        parallax->setMinimum(-kPropertyLimit);
        parallax->setMaximum(kPropertyLimit);
    }
}

void EditorEditorMenu::fillTextureLists()
{
    fillTextureChoices(*texture_, *borderTexture_);
}

void EditorEditorMenu::showSelection(const std::vector<Selection*>& selections)
{
    selectedObjects_.clear();
    for (Selection* selection : selections) {
        if (selection->objectLevel() && !selection->isVertex()) selectedObjects_.push_back(selection);
    }
    if (selectedObjects_.empty()) return;
    GameObject& first = objectOf(*selectedObjects_.front());
    show(propertiesOf(first));
    showShape(first);
    std::cout << "Setting things" << std::endl;
    // Read back rather than taken from the object: whatever the widgets
    // made of a value is what counts as unchanged.
    unchanged_ = edited();
}

void EditorEditorMenu::show(const ObjectProperties& properties)
{
    layer_->setValue(properties.layer);
    type_->setValue(properties.type);
    // An object without a body or border leaves its texture choice alone
    // rather than adding an empty line to the list.
    if (!properties.texture.empty()) texture_->setCurrentText(properties.texture);
    hasBorder_->setToggled(properties.hasBorder);
    borderWidth_->setValue(properties.borderWidth);
    if (!properties.borderTexture.empty()) borderTexture_->setCurrentText(properties.borderTexture);
    parallaxX_->setValue(properties.parallaxX);
    parallaxY_->setValue(properties.parallaxY);
    alignment_->setCurrentText(properties.alignment);
    locked_->setToggled(properties.locked);
}

void EditorEditorMenu::showShape(GameObject& object)
{
    bool animated = false;
    for (const auto& drawable : object.drawables) {
        if (drawable->borderSize == 0.0f && drawable->animating) animated = true;
    }
    isAnimation_->setToggled(animated);
    Vec2 low;
    Vec2 high;
    computeBounds(object, low, high);
    width_->setValue(shownLength(high.x - low.x));
    height_->setValue(shownLength(high.y - low.y));
}

ObjectProperties EditorEditorMenu::edited() const
{
    ObjectProperties properties;
    properties.layer = layer_->value();
    properties.type = type_->value();
    properties.texture = texture_->text();
    properties.hasBorder = hasBorder_->isToggledOn();
    properties.borderWidth = borderWidth_->value();
    properties.borderTexture = borderTexture_->text();
    properties.parallaxX = parallaxX_->value();
    properties.parallaxY = parallaxY_->value();
    properties.alignment = alignment_->text();
    properties.locked = locked_->isToggledOn();
    return properties;
}

MenuAction EditorEditorMenu::applyToSelection()
{
    // Without a border the width is 0, and the field says so rather than
    // keep showing a width that no longer holds.
    if (!hasBorder_->isToggledOn() && borderWidth_->value() != 0) borderWidth_->setValue(0);
    const AppState* app = AppState::current();
    MapEditorSim* simulation = editorSimulation();
    if (selectedObjects_.empty() || !app || app->currentTool != MapEditorSim::kSelectTool || !simulation) {
        return actionCode;
    }
    const ObjectProperties now = edited();
    if (now == unchanged_) return actionCode;
    for (Selection* selection : selectedObjects_) applyEdits(objectOf(*selection), unchanged_, now, *simulation);
    if (now.layer != unchanged_.layer) simulation->rebuildDrawList();
    unchanged_ = now;
    return actionCode;
}

void EditorEditorMenu::forgetSelection(const Selection& selection)
{
    if (std::erase(selectedObjects_, &selection) != 0 && selectedObjects_.empty()) showNoObject();
}

void EditorEditorMenu::showNoObject()
{
    show(ObjectProperties{});
    isAnimation_->setToggled(false);
    width_->setValue(0);
    height_->setValue(0);
}

bool EditorEditorMenu::editUVMode() const
{
    return editUV_->isToggledOn();
}

bool EditorEditorMenu::editVertexMode() const
{
    return editVertex_->isToggledOn();
}

bool EditorEditorMenu::dragUVMode() const
{
    return dragUV_->isToggledOn();
}
