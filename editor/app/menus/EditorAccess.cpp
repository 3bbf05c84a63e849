#include "editor/app/menus/EditorAccess.h"

#include "editor/app/menus/EditorEditorMenu.h"
#include "editor/app/menus/MenuIndex.h"
#include "editor/app/menus/MenuManager.h"
#include "editor/app/shell/AppState.h"
#include "editor/app/simulation/MapEditorSim.h"

MapEditorSim* editorSimulation()
{
    AppState* app = AppState::current();
    return app ? dynamic_cast<MapEditorSim*>(app->simulation) : nullptr;
}

EditorEditorMenu* propertyPanel()
{
    AppState* app = AppState::current();
    if (!app || !app->menuManager) return nullptr;
    return dynamic_cast<EditorEditorMenu*>(app->menuManager->menu(kPropertyMenu));
}
