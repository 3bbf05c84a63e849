#pragma once

#include "editor/app/menus/MenuWindow.h"

// The Mirror dialog: copies the selected objects mirrored about a line.
class EditorMirrorMenu : public MenuWindow {
public:
    EditorMirrorMenu();
};
