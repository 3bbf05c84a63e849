#pragma once

#include "editor/app/menus/MenuWindow.h"

#include <cstdint>
#include <memory>

class GameObject;
struct Vec2;

namespace Zorir {
class CheckBox;
class ComboBox;
class SpinBox;
class StaticText;
}

// The Mirror dialog: copies the selected objects mirrored about a vertical
// or horizontal line; a selected spawn marker becomes a spawn of the other
// side. The options stay as the user left them between uses.
class EditorMirrorMenu : public MenuWindow {
public:
    EditorMirrorMenu();

    // Names the axis after the direction chosen.
    MenuAction pollAction() override;
    void onOK();
    void onCancel();
    void mirrorSelection();

    Zorir::SpinBox& axisBox() const { return *axis_; }
    Zorir::ComboBox& directionBox() const { return *direction_; }
    Zorir::StaticText& axisLabel() const { return *axisLabel_; }
    Zorir::CheckBox& snapBox() const { return *snap_; }
    Zorir::CheckBox& geometryBox() const { return *geometry_; }
    Zorir::CheckBox& positionBox() const { return *position_; }
    Zorir::CheckBox& uvBox() const { return *uvs_; }

private:
    struct Options {
        bool vertical;
        bool geometry;
        bool position;
        bool uvs;
        float axis;
    };

    Options readOptions();
    // Adds the spawn of the other side when the object marks a spawn;
    // false when it marks none.
    bool mirrorSpawn(const GameObject& object, const Vec2& target);
    std::unique_ptr<GameObject> mirroredCopy(const GameObject& object, const Vec2& target, const Options& options);

    Zorir::SpinBox* axis_;
    Zorir::StaticText* axisLabel_;
    Zorir::CheckBox* snap_;
    Zorir::CheckBox* geometry_;
    Zorir::CheckBox* position_;
    Zorir::CheckBox* uvs_;
    Zorir::ComboBox* direction_;
};
