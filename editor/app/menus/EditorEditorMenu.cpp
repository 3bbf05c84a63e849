#include "editor/app/menus/EditorEditorMenu.h"

EditorEditorMenu::EditorEditorMenu() : SidePanelMenu(Zorir::Rectangle(550, 0, 800, 680))
{
    finishLayout();
}

void EditorEditorMenu::fillTextureLists() {}
