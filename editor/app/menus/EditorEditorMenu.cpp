#include "editor/app/menus/EditorEditorMenu.h"

#include "editor/app/selections/Selection.h"
#include "libs/zorir/CheckBox.h"

#include <algorithm>

namespace {

constexpr size_t kRows = 20;
constexpr float kRowHeight = 32.0f;

}  // namespace

EditorEditorMenu::EditorEditorMenu() : SidePanelMenu(Zorir::Rectangle(550, 0, 800, 680))
{
    setGrid(Zorir::Vector2(2.0f, 2.0f), {90.0f, 140.0f}, std::vector<float>(kRows, kRowHeight));
    editUV_ = create<Zorir::CheckBox>("Edit UV Mode (Image)");
    editVertex_ = create<Zorir::CheckBox>("Edit Vertex Mode");
    dragUV_ = create<Zorir::CheckBox>("Drag UV Mode");
    auto* geometryOnly = create<Zorir::CheckBox>("Geo Only (Select)");
    uint32_t row = 0;
    for (Zorir::CheckBox* box : {editUV_, editVertex_, dragUV_, geometryOnly}) {
        placeInGrid(box, 0, row++, 2);
        widgets.push_back(box);
    }
    finishLayout();
}

void EditorEditorMenu::fillTextureLists() {}

void EditorEditorMenu::showSelection(const std::vector<Selection*>& selections)
{
    selectedObjects_.clear();
    for (Selection* selection : selections) {
        if (selection->objectLevel() && !selection->isVertex()) selectedObjects_.push_back(selection);
    }
}

void EditorEditorMenu::forgetSelection(const Selection& selection)
{
    std::erase(selectedObjects_, &selection);
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
