#include "editor/app/menus/EditorMirrorMenu.h"

EditorMirrorMenu::EditorMirrorMenu() : MenuWindow(Zorir::Rectangle(100, 50, 440, 500))
{
    setDraggable();
    finishLayout();
}
