#include "editor/app/menus/EditorFileMenu.h"

#include "editor/app/menus/EditorAccess.h"
#include "editor/app/simulation/MapEditorSim.h"

#include <cstdlib>
#include <iostream>

EditorFileMenu::EditorFileMenu() : MenuWindow(Zorir::Rectangle(0, 32, 120, 300))
{
    setGrid(Zorir::Vector2(0.0f, 0.0f), {120.0f}, std::vector<float>(8, 32.0f));
    placeInGrid(createButton("New", &EditorFileMenu::onNew), 0, 0);
    placeInGrid(createButton("Save", &EditorFileMenu::onSave), 0, 1);
    placeInGrid(createButton("Save As", &EditorFileMenu::onSaveAs), 0, 2);
    placeInGrid(createButton("Open", &EditorFileMenu::onOpen), 0, 3);
    placeInGrid(createButton("Exit", &EditorFileMenu::onExit), 0, 7);
    finishLayout();
}

void EditorFileMenu::onNew()
{
    actionCode = menu_action::kCloseDropDowns;
    if (MapEditorSim* sim = editorSimulation()) sim->newMap();
}

void EditorFileMenu::onSave()
{
    MapEditorSim* sim = editorSimulation();
    if (!sim || sim->getMapName().empty()) {
        actionCode = menu_action::kShowSaveDialog;
        return;
    }
    sim->saveMap();
    actionCode = menu_action::kCloseDropDowns;
}

void EditorFileMenu::onSaveAs()
{
    actionCode = menu_action::kShowSaveDialog;
}

void EditorFileMenu::onOpen()
{
    actionCode = menu_action::kShowOpenDialog;
}

void EditorFileMenu::onExit()
{
    std::cout.flush();
    std::exit(kExitStatus);
}
