#include "editor/app/menus/EditorSaveMenu.h"

#include "editor/app/menus/EditorAccess.h"
#include "editor/app/simulation/MapEditorSim.h"

EditorSaveMenu::EditorSaveMenu() : FileDialogMenu("Save As", "Save")
{
    onPress(*confirmButton(), [this] { onSave(); });
}

void EditorSaveMenu::onSave()
{
    if (MapEditorSim* sim = editorSimulation()) sim->saveMapAs(fileName());
    actionCode = menu_action::kCloseDropDowns;
}
