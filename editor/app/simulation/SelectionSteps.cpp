#include "editor/app/simulation/SelectionSteps.h"

// Stand-ins until the selection kinds exist. Only the tools that create
// selections can fill the simulation's list, and they arrive with the
// kinds, so until then the list is always empty and none of these is
// reached. The selection kinds replace this file with their answers.

bool isObjectLevel(const Selection&)
{
    return false;
}

GameObject* selectedObject(const Selection&)
{
    return nullptr;
}

void drawSelectionHighlight(Selection&, float) {}

void dumpSelection(const Selection&) {}

void destroySelection(Selection*) {}
