#pragma once

#include "editor/app/menus/MenuWindow.h"

#include <cstdint>

// The View drop-down: switches the screen frame, the grid and what the map
// view shows. Every choice closes the menu.
class EditorViewMenu : public MenuWindow {
public:
    EditorViewMenu();

    void onScreenSize();
    void onGrid();
    void onGridUp();
    void onGridDown();
    void onGridOnTop();
    void onShowGeometry();
    void onShowImages();
    void onSnapToGrid();

private:
    // A toggle button that starts in the state of the flag it flips, so
    // that button and flag stay in step.
    Zorir::Button* createToggle(const std::string& caption, void (EditorViewMenu::*handler)(), bool on);
    void flip(uint8_t& flag);
};
