#include "editor/app/menus/EditorTopMenu.h"

#include "editor/app/menus/EditorAccess.h"
#include "editor/app/simulation/MapEditorSim.h"

EditorTopMenu::EditorTopMenu() : MenuWindow(Zorir::Rectangle(0, 0, 545, 32))
{
    setGrid(Zorir::Vector2(0.0f, 0.0f), {90.0f, 90.0f, 90.0f, 90.0f, 90.0f, 45.0f, 45.0f}, {32.0f});
    placeInGrid(createButton("File", &EditorTopMenu::onFile), 0, 0);
    placeInGrid(createButton("Edit", &EditorTopMenu::onEdit), 1, 0);
    placeInGrid(createButton("View", &EditorTopMenu::onView), 2, 0);
    placeInGrid(createButton("undo", &EditorTopMenu::doNothing), 3, 0);
    placeInGrid(createButton("scene", &EditorTopMenu::doNothing), 4, 0);
    placeInGrid(createButton("gU", &EditorTopMenu::onGridUp), 5, 0);
    placeInGrid(createButton("gD", &EditorTopMenu::onGridDown), 6, 0);
    finishLayout();
}

void EditorTopMenu::toggleDropDown(MenuAction open)
{
    actionCode = actionCode == open ? menu_action::kCloseDropDowns : open;
}

void EditorTopMenu::onFile()
{
    toggleDropDown(menu_action::kShowFileMenu);
}

void EditorTopMenu::onEdit()
{
    toggleDropDown(menu_action::kShowEditMenu);
}

void EditorTopMenu::onView()
{
    toggleDropDown(menu_action::kShowViewMenu);
}

void EditorTopMenu::onGridUp()
{
    if (MapEditorSim* sim = editorSimulation()) sim->growGrid();
}

void EditorTopMenu::onGridDown()
{
    if (MapEditorSim* sim = editorSimulation()) sim->shrinkGrid();
}
