#include "editor/app/menus/EditorCreateObjectMenu.h"

EditorCreateObjectMenu::EditorCreateObjectMenu() : SidePanelMenu(Zorir::Rectangle(550, 0, 800, 585))
{
    finishLayout();
}

std::string EditorCreateObjectMenu::objectTypeText() const
{
    // The panel's type choice starts at its first item.
    return "circle";
}

void EditorCreateObjectMenu::fillTextureLists() {}
