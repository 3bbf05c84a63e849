#include "editor/app/menus/EditorAccess.h"

#include "editor/app/shell/AppState.h"
#include "editor/app/simulation/MapEditorSim.h"

MapEditorSim* editorSimulation()
{
    AppState* app = AppState::current();
    return app ? dynamic_cast<MapEditorSim*>(app->simulation) : nullptr;
}
