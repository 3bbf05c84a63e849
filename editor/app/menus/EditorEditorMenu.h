#pragma once

#include "editor/app/menus/SidePanelMenu.h"

#include <vector>

class Selection;

namespace Zorir {
class CheckBox;
}

// The property panel: shows and edits the fields of the selected objects
// while the select tool is current, and carries the mode boxes that the
// select and image tools read.
class EditorEditorMenu : public SidePanelMenu {
public:
    EditorEditorMenu();

    // Every image but the spawn markers, for the texture choices.
    void fillTextureLists();

    // The tools hand over the selection after each release; the panel
    // edits the whole objects among it.
    void showSelection(const std::vector<Selection*>& selections);
    // A selection is about to be deleted: the panel lets go of it at once.
    void forgetSelection(const Selection& selection);
    const std::vector<Selection*>& selectedObjects() const { return selectedObjects_; }

    // The mode boxes.
    bool editUVMode() const;
    bool editVertexMode() const;
    bool dragUVMode() const;

private:
    Zorir::CheckBox* editUV_ = nullptr;
    Zorir::CheckBox* editVertex_ = nullptr;
    Zorir::CheckBox* dragUV_ = nullptr;
    // Not owned: the simulation's selection list tells the panel before it
    // deletes one of them.
    std::vector<Selection*> selectedObjects_;
};
