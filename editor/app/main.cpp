// Quillow map editor.
#include "editor/app/menus/MapEditorMenu.h"
#include "editor/app/shell/AppState.h"
#include "editor/app/shell/GlutShell.h"
#include "editor/app/simulation/MapEditorSim.h"
#include "platform/Console.h"

#include <iostream>

int main(int argc, char** argv)
{
    platform::makeStdoutLineBuffered();
    // Never freed: the process ends inside GLUT's loop or through File > Exit,
    // and callbacks may still run while GLUT exits.
    auto* simulation = new MapEditorSim;
    auto* menuManager = new MapEditorMenu;
    new AppState(simulation, menuManager);
    setupGlut(argc, argv);
    std::cout << "end of it all" << std::endl;
    return 0;
}
