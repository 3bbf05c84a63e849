#include "editor/app/menus/EditorEditMenu.h"

#include "editor/app/menus/EditorAccess.h"
#include "editor/app/simulation/MapEditorSim.h"

EditorEditMenu::EditorEditMenu() : MenuWindow(Zorir::Rectangle(90, 32, 210, 300))
{
    setGrid(Zorir::Vector2(0.0f, 0.0f), {120.0f}, std::vector<float>(5, 32.0f));
    placeInGrid(createButton("Cut", &EditorEditMenu::onCut), 0, 0);
    placeInGrid(createButton("Copy", &EditorEditMenu::onCopy), 0, 1);
    placeInGrid(createButton("Paste", &EditorEditMenu::onPaste), 0, 2);
    placeInGrid(createButton("Delete", &EditorEditMenu::onDelete), 0, 3);
    placeInGrid(createButton("Mirror", &EditorEditMenu::onMirror), 0, 4);
    finishLayout();
}

void EditorEditMenu::onCut()
{
    actionCode = menu_action::kCloseDropDowns;
    if (MapEditorSim* sim = editorSimulation()) sim->cutSelection();
}

void EditorEditMenu::onCopy()
{
    actionCode = menu_action::kCloseDropDowns;
    if (MapEditorSim* sim = editorSimulation()) sim->copySelection();
}

void EditorEditMenu::onPaste()
{
    actionCode = menu_action::kCloseDropDowns;
    if (MapEditorSim* sim = editorSimulation()) sim->pasteSelection();
}

void EditorEditMenu::onDelete()
{
    actionCode = menu_action::kCloseDropDowns;
    if (MapEditorSim* sim = editorSimulation()) sim->deleteSelection();
}

void EditorEditMenu::onMirror()
{
    actionCode = menu_action::kShowMirrorDialog;
}
