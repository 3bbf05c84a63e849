#pragma once

#include "editor/app/menus/FileDialogMenu.h"

// The Open dialog.
class EditorOpenMenu : public FileDialogMenu {
public:
    EditorOpenMenu();

    // Opens the map named in the field.
    void onOpen();
};
