#include "editor/app/menus/EditorViewMenu.h"

EditorViewMenu::EditorViewMenu() : MenuWindow(Zorir::Rectangle(180, 32, 300, 300))
{
    finishLayout();
}
