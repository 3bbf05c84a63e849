#pragma once

#include "editor/app/tools/PickDragTool.h"

// Picks whole objects, or their vertices in vertex mode, and moves, turns
// and scales them by dragging; the arrow keys move (Ctrl: turn) whole
// objects as a drag does.
class SelectTool : public PickDragTool {
public:
    explicit SelectTool(MapEditorSim& simulation) : PickDragTool(simulation, SelectionLevel::Object) {}

    void handleKeys() override;
};
