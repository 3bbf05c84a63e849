#pragma once

#include "editor/app/menus/MenuWindow.h"

// The Edit drop-down: Cut, Copy, Paste, Delete and the Mirror dialog.
class EditorEditMenu : public MenuWindow {
public:
    EditorEditMenu();

    void onCut();
    void onCopy();
    void onPaste();
    void onDelete();
    void onMirror();
};
