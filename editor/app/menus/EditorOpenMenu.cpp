#include "editor/app/menus/EditorOpenMenu.h"

#include "editor/app/menus/EditorAccess.h"
#include "editor/app/simulation/MapEditorSim.h"

EditorOpenMenu::EditorOpenMenu() : FileDialogMenu("Open", "Open")
{
    onPress(*confirmButton(), [this] { onOpen(); });
}

void EditorOpenMenu::onOpen()
{
    if (MapEditorSim* sim = editorSimulation()) sim->openMap(fileName());
    actionCode = menu_action::kCloseDropDowns;
}
