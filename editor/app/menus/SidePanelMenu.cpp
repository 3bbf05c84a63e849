#include "editor/app/menus/SidePanelMenu.h"

#include "editor/app/shell/AppState.h"
#include "editor/world/TextureManager.h"
#include "libs/zorir/CheckBox.h"
#include "libs/zorir/ComboBox.h"

#include <iostream>

namespace {

const Zorir::Rectangle kComboRectangle(10, 10, 20, 20);

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

Zorir::ComboBox* SidePanelMenu::addComboRow(uint32_t row, const std::string& label)
{
    return addRow<Zorir::ComboBox>(row, label, kComboRectangle);
}

Zorir::CheckBox* SidePanelMenu::addCheckRow(uint32_t row, const std::string& text)
{
    auto* box = create<Zorir::CheckBox>(text);
    placeInGrid(box, 0, row, 2);
    widgets.push_back(box);
    return box;
}

void SidePanelMenu::fillTextureChoices(Zorir::ComboBox& texture, Zorir::ComboBox& borderTexture)
{
    // The registry's map is ordered by name, which is the order the lists show.
    for (const auto& [name, id] : TextureManager::instance()->nameToId()) {
        if (name == "Tspawn" || name == "Espawn") continue;
        texture.addString(name);
        borderTexture.addString(name);
    }
    texture.setCurrentItem(0);
    borderTexture.setCurrentItem(0);
}
