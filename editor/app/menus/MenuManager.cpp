#include "editor/app/menus/MenuManager.h"

#include "editor/app/menus/MenuWindow.h"
#include "editor/app/menus/TextFieldFocus.h"
#include "libs/zorir/WindowManager.h"

#include <GL/freeglut.h>

#include <iostream>

namespace {

bool contains(const Zorir::Window& window, int x, int y)
{
    const Zorir::Vector2 at = window.position();
    const Zorir::Vector2 size = window.size();
    const float fx = static_cast<float>(x);
    const float fy = static_cast<float>(y);
    return at.x <= fx && fx <= at.x + size.x && at.y <= fy && fy <= at.y + size.y;
}

}  // namespace

MenuManager::MenuManager() = default;

MenuManager::~MenuManager()
{
    Zorir::WindowManager::instance().removeAllWindows();
    menus.clear();
}

void MenuManager::draw()
{
    Zorir::WindowManager::instance().draw();
}

void MenuManager::showMenu(size_t index, bool show)
{
    if (index >= menus.size()) {
        std::cout << "incorrect menuID" << std::endl;
        return;
    }
    MenuWindow& window = *menus[index];
    if (show) {
        std::cout << "showmenu " << index << std::endl;
        window.show();
        window.shownByManager = 1;
    } else {
        window.hide();
        window.shownByManager = 0;
    }
}

void MenuManager::showAll(bool show)
{
    menusShown = show ? 1 : 0;
    const Zorir::Window* focus = Zorir::WindowManager::instance().focusWindow();
    for (size_t i = 0; i < menus.size(); ++i) {
        MenuWindow& window = *menus[i];
        if (!show) {
            window.hide();
            window.shownByManager = 0;
        } else if (focus && (focus == &window || window.containsWindow(focus))) {
            std::cout << "SET FOCUS i = " << i << std::endl;
            window.shownByManager = 1;
            window.show();
        }
    }
}

void MenuManager::replaceShown()
{
    for (auto& window : menus) {
        if (!window->shownByManager) continue;
        window->hide();
        window->show();
    }
}

void MenuManager::hideForDialog()
{
    if (MenuWindow* top = menu(kTopMenu)) top->actionCode = menu_action::kHandled;
    for (size_t index : {kFileMenu, kEditMenu, kViewMenu, kSaveMenu, kOpenMenu, kMirrorMenu}) showMenu(index, false);
}

void MenuManager::mouseButton(int button, int state, int x, int y)
{
    Zorir::WindowManager& manager = Zorir::WindowManager::instance();
    const bool down = state == GLUT_DOWN;
    switch (button) {
    case GLUT_LEFT_BUTTON:
        leftReleased = down ? 0 : 1;
        down ? manager.onLeftButtonDown(x, y) : manager.onLeftButtonUp(x, y);
        break;
    case GLUT_MIDDLE_BUTTON:
        leftReleased = 0;
        down ? manager.onMiddleButtonDown(x, y) : manager.onMiddleButtonUp(x, y);
        break;
    case GLUT_RIGHT_BUTTON:
        leftReleased = 0;
        down ? manager.onRightButtonDown(x, y) : manager.onRightButtonUp(x, y);
        break;
    default:
        break;  // wheel ticks are no buttons
    }
}

bool MenuManager::textFieldHasFocus() const
{
    return isTextField(Zorir::WindowManager::instance().focusWindow());
}

bool MenuManager::isOverMenu(int x, int y) const
{
    for (const auto& window : menus) {
        if (window->shownByManager && contains(*window, x, y)) return true;
    }
    // An open drop-down list hangs below its combo box, outside its menu.
    const Zorir::Window* popup = Zorir::WindowManager::instance().popupWindow();
    return popup && popup->isVisible() && contains(*popup, x, y);
}
