#pragma once

#include "editor/app/menus/FileDialogMenu.h"

// The Save As dialog.
class EditorSaveMenu : public FileDialogMenu {
public:
    EditorSaveMenu();

    // Saves under the name in the field, which becomes the map's name.
    void onSave();
};
