#pragma once

#include "editor/app/menus/MenuWindow.h"

// The View drop-down: switches the screen frame, the grid and what the map view shows.
class EditorViewMenu : public MenuWindow {
public:
    EditorViewMenu();
};
