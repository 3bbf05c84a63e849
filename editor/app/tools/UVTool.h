#pragma once

#include "editor/app/tools/PickDragTool.h"

// Picks the drawables of objects, or their vertices in vertex mode, and
// moves, turns and scales their points, their texture coordinates, or both.
class UVTool : public PickDragTool {
public:
    explicit UVTool(MapEditorSim& simulation) : PickDragTool(simulation, SelectionLevel::Image) {}
};
