#pragma once

#include "editor/app/menus/MenuWindow.h"

// The File drop-down: New, Save, Save As, Open and Exit.
class EditorFileMenu : public MenuWindow {
public:
    // The exit status of "Exit", which ends the editor without saving.
    static constexpr int kExitStatus = 1;

    EditorFileMenu();

    void onNew();
    void onSave();
    void onSaveAs();
    void onOpen();
    void onExit();
};
