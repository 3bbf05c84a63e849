#pragma once

#include "editor/app/menus/MenuWindow.h"

// The bar along the top: opens the File, Edit and View menus and doubles or
// halves the grid.
class EditorTopMenu : public MenuWindow {
public:
    EditorTopMenu();

    void onFile();
    void onEdit();
    void onView();
    void onGridUp();
    void onGridDown();

private:
    // A second press on the button of the open menu closes it.
    void toggleDropDown(MenuAction open);
    void doNothing() {}
};
