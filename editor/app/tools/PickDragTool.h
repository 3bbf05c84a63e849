#pragma once

#include "editor/app/selections/SelectionDrag.h"
#include "editor/app/selections/SelectionLevel.h"
#include "editor/app/tools/EditorTool.h"
#include "editor/world/Vec2.h"

#include <vector>

class MapEditorSim;

// What the select and image tools share, told apart by the level of the
// selections they work on. A press on a selected item starts a drag that
// moves, turns (Ctrl) or scales (Alt) every selection of the level, on the
// grid when snapping is on; a press elsewhere draws a rubber band. The
// release picks what the band reaches or what lies under the pointer,
// replacing the selection, or toggling within it with Shift. A press drops
// the other tool's selections. The selections live in the simulation's
// list; the tool keeps only the state of the gesture.
class PickDragTool : public EditorTool {
public:
    void mouseMove(float x, float y) override;
    void handleKeys() override {}
    void leftPress(float x, float y, std::string objectType) override;
    void leftDrag(float x, float y, std::string objectType) override;
    void leftRelease(float x, float y, std::string objectType) override;

protected:
    PickDragTool(MapEditorSim& simulation, SelectionLevel level);

    MapEditorSim& simulation() { return simulation_; }
    bool vertexMode() const { return vertexMode_; }
    DragModes dragModes() const { return modes_; }

private:
    // Reads the property panel's mode boxes that concern this tool.
    void readModes();
    void dragSelections(const Vec2& p);
    void stretchBand(const Vec2& p);
    // The start of a release: false when it only ends a drag.
    bool beginPick(const Vec2& p);
    void pick(const Vec2& p);
    std::vector<Selection*> ownSelections() const;

    MapEditorSim& simulation_;
    const SelectionLevel level_;
    // The press point, advanced by snapped drags by whole grid steps.
    Vec2 lastPoint_;
    // The view size last seen: markers of vertices follow the zoom.
    float lastViewWidth_ = 5.0f;
    float lastViewHeight_ = 5.0f;
    bool vertexMode_ = false;
    DragModes modes_;
};
