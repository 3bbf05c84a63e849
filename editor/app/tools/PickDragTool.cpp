#include "editor/app/tools/PickDragTool.h"

#include "editor/app/menus/EditorAccess.h"
#include "editor/app/menus/EditorEditorMenu.h"
#include "editor/app/selections/SelectionPicker.h"
#include "editor/app/simulation/MapEditorSim.h"
#include "editor/app/simulation/ViewCamera.h"
#include "editor/world/ImageGeometry.h"
#include "editor/world/Map_Circle.h"
#include "platform/KeyCodes.h"
#include "platform/KeyState.h"

#include <iostream>

namespace {

// The rubber band's border as a share of the view width.
constexpr float kBandBorderDivisor = 200.0f;

bool shiftHeld()
{
    return platform::isKeyDown(platform::vk::kShift);
}

bool ctrlHeld()
{
    return platform::isKeyDown(platform::vk::kControl);
}

bool altHeld()
{
    return platform::isKeyDown(platform::vk::kMenu);
}

}  // namespace

PickDragTool::PickDragTool(MapEditorSim& simulation, SelectionLevel level)
    : simulation_(simulation), level_(level)
{
}

std::vector<Selection*> PickDragTool::ownSelections() const
{
    return simulation_.selections().atLevel(level_ == SelectionLevel::Object);
}

void PickDragTool::readModes()
{
    const EditorEditorMenu* panel = propertyPanel();
    if (!panel) return;
    vertexMode_ = panel->editVertexMode();
    modes_.dragUV = panel->dragUVMode();
    // Only the image tool edits texture coordinates alone.
    modes_.editUV = level_ == SelectionLevel::Image && panel->editUVMode();
}

void PickDragTool::mouseMove(float, float)
{
    readModes();
    const ViewCamera& camera = *simulation_.camera;
    if (camera.viewWidth == lastViewWidth_ && camera.viewHeight == lastViewHeight_) return;
    lastViewWidth_ = camera.viewWidth;
    lastViewHeight_ = camera.viewHeight;
    for (const auto& selection : simulation_.selections()) selection->refreshHighlight();
}

void PickDragTool::leftPress(float x, float y, std::string)
{
    MapEditorSim& sim = simulation_;
    sim.selections().removeIf([this](const Selection& s) { return !isAtLevel(s, level_); });
    sim.cursorCircle().moveTo(Vec2(x, y));
    sim.dragging = 0;
    // Shift without Alt adds to the selection: such a press never drags.
    if (!shiftHeld() || altHeld()) {
        for (Selection* selection : ownSelections()) {
            if (!selection->isUnderCursor()) continue;
            sim.dragging = 1;
            break;
        }
    }
    sim.dragStart = Vec2(x, y);
    lastPoint_ = Vec2(x, y);
    if (level_ == SelectionLevel::Image) std::cout << "derp1" << std::endl;
}

void PickDragTool::leftDrag(float x, float y, std::string)
{
    const Vec2 p(x, y);
    simulation_.cursorCircle().moveTo(p);
    if (simulation_.dragging) {
        dragSelections(p);
    } else if (x != simulation_.dragStart.x && y != simulation_.dragStart.y) {
        stretchBand(p);
    }
}

void PickDragTool::dragSelections(const Vec2& p)
{
    MapEditorSim& sim = simulation_;
    sim.dragCurrent = p;
    const Vec2 d = sim.dragCurrent - sim.dragStart;
    sim.dragStart = sim.dragCurrent;
    if (d == Vec2()) return;
    const SelectionDrag drag(level_, modes_);
    const std::vector<Selection*> moved = ownSelections();
    if (ctrlHeld()) {
        drag.rotate(moved, SelectionDrag::rotationAngle(d));
    } else if (altHeld()) {
        drag.scale(moved, lastPoint_, SelectionDrag::scaleFactors(d, sim.camera->viewWidth, shiftHeld()));
    } else if (!sim.snapToGridOn) {
        drag.move(moved, d);
    } else {
        drag.snapMove(moved, sim.dragCurrent, lastPoint_,
                      [&sim](const Vec2& t) { return sim.snapToGrid(t.x, t.y); });
    }
}

void PickDragTool::stretchBand(const Vec2& p)
{
    MapEditorSim& sim = simulation_;
    sim.dragCurrent = p;
    sim.marquee->setBorderWidth(sim.camera->viewWidth / kBandBorderDivisor);
    sim.marquee->buildRectBorder(sim.dragStart, sim.dragCurrent);
    sim.marqueeShown = 1;
}

bool PickDragTool::beginPick(const Vec2& p)
{
    MapEditorSim& sim = simulation_;
    const bool wholeObjects = level_ == SelectionLevel::Object && !vertexMode_;
    if (wholeObjects) {
        for (const auto& selection : sim.selections()) selection->finishEdit();
        // A press on a selected object released where it was pressed is a
        // click on it, not a drag.
        if (sim.dragging && !(p == lastPoint_)) {
            sim.dragging = 0;
            return false;
        }
        return true;
    }
    if (level_ == SelectionLevel::Object) std::cout << "vert" << std::endl;
    for (const auto& selection : sim.selections()) {
        selection->refreshHighlight();
        selection->finishEdit();
    }
    if (sim.dragging) {
        sim.dragging = 0;
        return false;
    }
    return true;
}

void PickDragTool::pick(const Vec2& p)
{
    MapEditorSim& sim = simulation_;
    if (!shiftHeld()) sim.selections().clear();
    SelectionPicker picker(sim, sim.drawList, *sim.map);
    if (sim.marqueeShown) {
        sim.marqueeShown = 0;
        SelectionPicker::spanBand(*sim.marqueeBox, sim.dragStart, sim.dragCurrent);
        picker.pickInBand(level_, vertexMode_, *sim.marqueeBox);
        sim.dragStart = p;
        sim.dragCurrent = p;
    } else {
        sim.cursorCircle().moveTo(p);
        picker.pickAtCursor(level_, vertexMode_);
    }
    if (level_ == SelectionLevel::Image) {
        for (const auto& selection : sim.selections()) selection->refreshHighlight();
    }
}

void PickDragTool::leftRelease(float x, float y, std::string)
{
    const Vec2 p(x, y);
    if (beginPick(p)) pick(p);
    if (EditorEditorMenu* panel = propertyPanel()) panel->showSelection(simulation_.selections().snapshot());
}
