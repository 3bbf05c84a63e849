#pragma once

#include "editor/app/menus/ObjectProperties.h"
#include "editor/app/menus/SidePanelMenu.h"

#include <vector>

class GameObject;
class Selection;

namespace Zorir {
class CheckBox;
class ComboBox;
class Kesh_SuperSpinBox;
}  // namespace Zorir

// The property panel: shows the fields of the first selected object and,
// while the select tool is current, writes what the user changes in it to
// every selected object; it also carries the mode boxes that the select and
// image tools read.
class EditorEditorMenu : public SidePanelMenu {
public:
    EditorEditorMenu();

    // Every image but the spawn markers, for the texture choices.
    void fillTextureLists();

    // The tools hand over the selection after each release; the panel
    // edits the whole objects among it.
    void showSelection(const std::vector<Selection*>& selections);
    // A selection is about to be deleted: the panel lets go of it at once,
    // and once it edits no object it shows none.
    void forgetSelection(const Selection& selection);
    const std::vector<Selection*>& selectedObjects() const { return selectedObjects_; }

    // Every tick while shown: the fields changed since they were last shown
    // or written go to every selected object.
    MenuAction applyToSelection();
    MenuAction pollAction() override { return applyToSelection(); }

    // The mode boxes.
    bool editUVMode() const;
    bool editVertexMode() const;
    bool dragUVMode() const;

    // The widgets themselves, for whoever drives the panel as a user would.
    Zorir::Kesh_SuperSpinBox& layerBox() const { return *layer_; }
    Zorir::Kesh_SuperSpinBox& typeBox() const { return *type_; }
    Zorir::Kesh_SuperSpinBox& widthBox() const { return *width_; }
    Zorir::Kesh_SuperSpinBox& heightBox() const { return *height_; }
    Zorir::Kesh_SuperSpinBox& borderWidthBox() const { return *borderWidth_; }
    Zorir::Kesh_SuperSpinBox& parallaxXBox() const { return *parallaxX_; }
    Zorir::Kesh_SuperSpinBox& parallaxYBox() const { return *parallaxY_; }
    Zorir::ComboBox& textureBox() const { return *texture_; }
    Zorir::ComboBox& borderTextureBox() const { return *borderTexture_; }
    Zorir::ComboBox& alignmentBox() const { return *alignment_; }
    Zorir::CheckBox& hasBorderBox() const { return *hasBorder_; }
    Zorir::CheckBox& isAnimationBox() const { return *isAnimation_; }
    Zorir::CheckBox& lockedBox() const { return *locked_; }

private:
    void setRanges();
    // The edited fields as the widgets hold them now.
    ObjectProperties edited() const;
    void show(const ObjectProperties& properties);
    // Size and animation: shown, never written back.
    void showShape(GameObject& object);
    // The fields of no object, so that none deleted still shows.
    void showNoObject();

    Zorir::CheckBox* editUV_;
    Zorir::CheckBox* editVertex_;
    Zorir::CheckBox* dragUV_;
    Zorir::ComboBox* texture_;
    Zorir::Kesh_SuperSpinBox* layer_;
    Zorir::Kesh_SuperSpinBox* type_;
    Zorir::CheckBox* isAnimation_;
    Zorir::Kesh_SuperSpinBox* width_;
    Zorir::Kesh_SuperSpinBox* height_;
    Zorir::CheckBox* hasBorder_;
    Zorir::Kesh_SuperSpinBox* borderWidth_;
    Zorir::ComboBox* borderTexture_;
    Zorir::Kesh_SuperSpinBox* parallaxX_;
    Zorir::Kesh_SuperSpinBox* parallaxY_;
    Zorir::CheckBox* locked_;
    Zorir::ComboBox* alignment_;
    // Not owned: the simulation's selection list tells the panel before it
    // deletes one of them.
    std::vector<Selection*> selectedObjects_;
    // What the widgets held when the selection was last shown or written:
    // a field that still holds it is one the user has not changed.
    ObjectProperties unchanged_;
};
