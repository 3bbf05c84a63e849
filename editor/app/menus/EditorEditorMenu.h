#pragma once

#include "editor/app/menus/SidePanelMenu.h"

// The property panel: shows and edits the fields of the selected objects
// while the select tool is current.
class EditorEditorMenu : public SidePanelMenu {
public:
    EditorEditorMenu();

    // Every image but the spawn markers, for the texture choices.
    void fillTextureLists();
};
