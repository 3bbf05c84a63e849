#include "editor/app/menus/SidePanelMenu.h"

#include "editor/app/shell/AppState.h"

#include <iostream>

namespace {

AppState::WindowRect editorWindow()
{
    const AppState* app = AppState::current();
    return app ? app->windowRect : AppState::WindowRect{0, 0, 1024, 768};
}

}  // namespace

SidePanelMenu::SidePanelMenu(const Zorir::Rectangle& rectangle) : MenuWindow(rectangle)
{
    setDraggable();
}

void SidePanelMenu::place()
{
    const AppState::WindowRect window = editorWindow();
    setPosition(Zorir::Vector2(static_cast<float>(window.width - 400), static_cast<float>(window.height - 300)));
}

void SidePanelMenu::onShow()
{
    setPosition(Zorir::Vector2(static_cast<float>(editorWindow().width - 250), 0.0f));
}

void SidePanelMenu::onResize()
{
    std::cout << "resized" << std::endl;
    MenuWindow::onResize();
}
