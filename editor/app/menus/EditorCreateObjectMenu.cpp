#include "editor/app/menus/EditorCreateObjectMenu.h"

#include "libs/zorir/CheckBox.h"
#include "libs/zorir/ComboBox.h"
#include "libs/zorir/SpinBox.h"

#include <vector>

namespace {

constexpr int32_t kSnapLimit = 30000;

}  // namespace

// Widgets are built in the order the panel has always built them; the grid
// row, not the order, decides where each one shows.
EditorCreateObjectMenu::EditorCreateObjectMenu() : SidePanelMenu(Zorir::Rectangle(550, 0, 800, 585))
{
    setGrid(Zorir::Vector2(2.0f, 2.0f), {90.0f, 140.0f}, std::vector<float>(17, 32.0f));
    objectType_ = addComboRow(0, "Obj Type");
    texture_ = addComboRow(1, "Texture");
    layer_ = addRow<Zorir::SpinBox>(2, "Layer", 30);
    type_ = addRow<Zorir::SpinBox>(3, "Type", 0);
    isAnimation_ = addCheckRow(11, "Is Animation");
    snapX_ = addRow<Zorir::SpinBox>(9, "Snap X", 0);
    snapY_ = addRow<Zorir::SpinBox>(10, "Snap Y", 0);
    animX_ = addRow<Zorir::SpinBox>(12, "Anim X", 1);
    animY_ = addRow<Zorir::SpinBox>(13, "Anim Y", 1);
    animCells_ = addRow<Zorir::SpinBox>(14, "Anim cells", 1);
    hasBorder_ = addCheckRow(4, "Has Border");
    borderWidth_ = addRow<Zorir::SpinBox>(6, "Border Width", 1);
    borderTexture_ = addComboRow(5, "Border Tex");
    parallaxX_ = addRow<Zorir::SpinBox>(7, "Parallax X", 100);
    parallaxY_ = addRow<Zorir::SpinBox>(8, "Parallax Y", 100);
    stretchUVs_ = addCheckRow(15, "Stretch UVs on Poly Line");
    alignment_ = addComboRow(16, "Alignment");
    setRanges();
    fillChoices();
    finishLayout();
}

void EditorCreateObjectMenu::setRanges()
{
    type_->setMinimum(-1);
    layer_->setMinimum(0);
    for (Zorir::SpinBox* snap : {snapX_, snapY_}) {
        snap->setMaximum(kSnapLimit);
        snap->setMinimum(-kSnapLimit);
    }
}

void EditorCreateObjectMenu::fillChoices()
{
    for (const char* kind : {"circle", "rectangle", "polygon", "True Being Spawn", "Enlighted One Spawn"}) {
        objectType_->addString(kind);
    }
    objectType_->setCurrentItem(0);
    for (const char* side : {"Normal", "Red", "Blue"}) alignment_->addString(side);
    alignment_->setCurrentText("Normal");
}

void EditorCreateObjectMenu::fillTextureLists()
{
    fillTextureChoices(*texture_, *borderTexture_);
}

MenuAction EditorCreateObjectMenu::pollAction()
{
    if (!hasBorder() && borderWidth_->value() != 0) borderWidth_->setValue(0);
    return actionCode;
}

std::string EditorCreateObjectMenu::objectTypeText() const { return objectType_->text(); }
std::string EditorCreateObjectMenu::textureText() const { return texture_->text(); }
std::string EditorCreateObjectMenu::borderTextureText() const { return borderTexture_->text(); }
std::string EditorCreateObjectMenu::alignmentText() const { return alignment_->text(); }
int32_t EditorCreateObjectMenu::layer() const { return layer_->value(); }
int32_t EditorCreateObjectMenu::snapX() const { return snapX_->value(); }
int32_t EditorCreateObjectMenu::snapY() const { return snapY_->value(); }
int32_t EditorCreateObjectMenu::borderWidth() const { return borderWidth_->value(); }
int32_t EditorCreateObjectMenu::parallaxX() const { return parallaxX_->value(); }
int32_t EditorCreateObjectMenu::parallaxY() const { return parallaxY_->value(); }
bool EditorCreateObjectMenu::hasBorder() const { return hasBorder_->isToggledOn(); }
bool EditorCreateObjectMenu::stretchPolyLineUVs() const { return stretchUVs_->isToggledOn(); }
