#include "editor/app/menus/EditorEditMenu.h"

EditorEditMenu::EditorEditMenu() : MenuWindow(Zorir::Rectangle(90, 32, 210, 300))
{
    finishLayout();
}
