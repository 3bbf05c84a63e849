#pragma once

#include "editor/app/menus/SidePanelMenu.h"

#include <cstdint>
#include <string>

namespace Zorir {
class CheckBox;
class ComboBox;
class SpinBox;
}  // namespace Zorir

// The create tool's settings: what it builds and how it looks. The tool
// reads the widgets at the moment it builds; nothing keeps a copy.
class EditorCreateObjectMenu : public SidePanelMenu {
public:
    EditorCreateObjectMenu();

    // The chosen object type: "circle", "rectangle", "polygon",
    // "True Being Spawn" or "Enlighted One Spawn".
    std::string objectTypeText() const;
    std::string textureText() const;
    std::string borderTextureText() const;
    // "Normal", "Red" or "Blue", or whatever the user typed.
    std::string alignmentText() const;

    int32_t layer() const;
    int32_t snapX() const;
    int32_t snapY() const;
    int32_t borderWidth() const;
    int32_t parallaxX() const;
    int32_t parallaxY() const;
    bool hasBorder() const;
    bool stretchPolyLineUVs() const;

    // Every image but the spawn markers, for the texture choices.
    void fillTextureLists();
    // A border is only as wide as the field says while "Has Border" is checked.
    MenuAction pollAction() override;

    // The widgets themselves, for whoever drives the panel as a user would.
    Zorir::ComboBox& objectTypeBox() const { return *objectType_; }
    Zorir::ComboBox& textureBox() const { return *texture_; }
    Zorir::ComboBox& borderTextureBox() const { return *borderTexture_; }
    Zorir::ComboBox& alignmentBox() const { return *alignment_; }
    Zorir::SpinBox& layerBox() const { return *layer_; }
    Zorir::SpinBox& snapXBox() const { return *snapX_; }
    Zorir::SpinBox& snapYBox() const { return *snapY_; }
    Zorir::SpinBox& borderWidthBox() const { return *borderWidth_; }
    Zorir::SpinBox& parallaxXBox() const { return *parallaxX_; }
    Zorir::SpinBox& parallaxYBox() const { return *parallaxY_; }
    Zorir::CheckBox& hasBorderBox() const { return *hasBorder_; }
    Zorir::CheckBox& stretchUVsBox() const { return *stretchUVs_; }

private:
    void setRanges();
    void fillChoices();

    Zorir::ComboBox* objectType_;
    Zorir::ComboBox* texture_;
    Zorir::SpinBox* layer_;
    Zorir::SpinBox* type_;
    Zorir::CheckBox* isAnimation_;
    Zorir::SpinBox* snapX_;
    Zorir::SpinBox* snapY_;
    Zorir::SpinBox* animX_;
    Zorir::SpinBox* animY_;
    Zorir::SpinBox* animCells_;
    Zorir::CheckBox* hasBorder_;
    Zorir::SpinBox* borderWidth_;
    Zorir::ComboBox* borderTexture_;
    Zorir::SpinBox* parallaxX_;
    Zorir::SpinBox* parallaxY_;
    Zorir::CheckBox* stretchUVs_;
    Zorir::ComboBox* alignment_;
};
