#pragma once

#include "editor/app/menus/MenuIndex.h"

#include <cstdint>
#include <memory>
#include <vector>

class GameObject;
class MenuWindow;

// Owns the editor's menu windows: shows, hides and draws them and hands
// them the mouse buttons. Subclasses build the menus and poll their action
// codes once per tick.
class MenuManager {
public:
    MenuManager();
    virtual ~MenuManager();
    MenuManager(const MenuManager&) = delete;
    MenuManager& operator=(const MenuManager&) = delete;

    // Once per tick while the menus are on.
    virtual void update() {}
    virtual void draw();
    // Entering edit mode: whatever the menus list from the loaded content.
    virtual void populateMenus() {}
    // The frame showing the game's screen, when it is to be drawn.
    virtual GameObject* shownScreenFrame() { return nullptr; }

    // An index past the menus is reported and changes nothing.
    void showMenu(size_t index, bool show);
    // Hides every menu; showing brings back the one that holds the keyboard
    // focus.
    void showAll(bool show);
    // After the window changed size, the shown menus place themselves anew.
    void replaceShown();
    // Closes the drop-down menus and dialogs.
    void hideForDialog();
    // A GLUT mouse button, handed on to the toolkit.
    void mouseButton(int button, int state, int x, int y);

    // Whether a text field of the menus has the keyboard focus, so that keys
    // typed are text rather than shortcuts.
    bool textFieldHasFocus() const;
    // Whether window pixel (x, y) lies on a shown menu or an open drop-down list.
    bool isOverMenu(int x, int y) const;

    MenuWindow* menu(size_t index) const { return index < menus.size() ? menus[index].get() : nullptr; }

    std::vector<std::unique_ptr<MenuWindow>> menus;
    uint8_t leftReleased = 0;
    uint8_t menusShown = 0;
    // The pointer is on a shown menu: the tick skips the input pass.
    uint8_t mouseOverMenu = 0;
};
