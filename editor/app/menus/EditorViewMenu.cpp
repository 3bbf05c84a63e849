#include "editor/app/menus/EditorViewMenu.h"

#include "editor/app/menus/EditorAccess.h"
#include "editor/app/menus/MapEditorMenu.h"
#include "editor/app/shell/AppState.h"
#include "editor/app/simulation/MapEditorSim.h"

EditorViewMenu::EditorViewMenu() : MenuWindow(Zorir::Rectangle(180, 32, 300, 300))
{
    setGrid(Zorir::Vector2(0.0f, 0.0f), {120.0f}, std::vector<float>(8, 32.0f));
    placeInGrid(createToggle("Screen Size", &EditorViewMenu::onScreenSize, true), 0, 0);
    placeInGrid(createToggle("Grid", &EditorViewMenu::onGrid, true), 0, 1);
    placeInGrid(createButton("Grid Up", &EditorViewMenu::onGridUp), 0, 2);
    placeInGrid(createButton("Grid Down", &EditorViewMenu::onGridDown), 0, 3);
    placeInGrid(createToggle("Grid on top", &EditorViewMenu::onGridOnTop, false), 0, 7);
    placeInGrid(createToggle("Show Geo", &EditorViewMenu::onShowGeometry, false), 0, 5);
    placeInGrid(createToggle("Show Imgs", &EditorViewMenu::onShowImages, true), 0, 6);
    placeInGrid(createToggle("Snap To Grid", &EditorViewMenu::onSnapToGrid, true), 0, 4);
    finishLayout();
}

Zorir::Button* EditorViewMenu::createToggle(const std::string& caption, void (EditorViewMenu::*handler)(), bool on)
{
    Zorir::Button* button = createButton(caption, handler);
    button->setToggleButton(true);
    if (on) button->toggle();
    return button;
}

void EditorViewMenu::flip(uint8_t& flag)
{
    flag = flag ? 0 : 1;
    actionCode = menu_action::kCloseDropDowns;
}

void EditorViewMenu::onScreenSize()
{
    AppState* app = AppState::current();
    if (auto* menus = app ? dynamic_cast<MapEditorMenu*>(app->menuManager) : nullptr) flip(menus->screenFrameShown);
}

void EditorViewMenu::onGrid()
{
    if (MapEditorSim* sim = editorSimulation()) flip(sim->gridShown);
}

void EditorViewMenu::onGridUp()
{
    if (MapEditorSim* sim = editorSimulation()) sim->growGrid();
    actionCode = menu_action::kCloseDropDowns;
}

void EditorViewMenu::onGridDown()
{
    if (MapEditorSim* sim = editorSimulation()) sim->shrinkGrid();
    actionCode = menu_action::kCloseDropDowns;
}

void EditorViewMenu::onGridOnTop()
{
    if (AppState* app = AppState::current()) flip(app->gridOnTop);
}

void EditorViewMenu::onShowGeometry()
{
    if (MapEditorSim* sim = editorSimulation()) flip(sim->showGeometry);
}

void EditorViewMenu::onShowImages()
{
    if (MapEditorSim* sim = editorSimulation()) flip(sim->showImages);
}

void EditorViewMenu::onSnapToGrid()
{
    if (MapEditorSim* sim = editorSimulation()) flip(sim->snapToGridOn);
}
