#include "editor/app/tools/SelectTool.h"

#include "editor/app/selections/ObjectSelection.h"
#include "editor/app/simulation/MapEditorSim.h"
#include "platform/KeyCodes.h"
#include "platform/KeyState.h"

namespace {

// One world unit per input pass, five with Shift.
constexpr float kArrowStep = 1.0f;
constexpr float kShiftArrowStep = 5.0f;

// The arrow keys held, Down over Up and Right over Left.
Vec2 arrowDelta()
{
    using platform::isKeyDown;
    namespace vk = platform::vk;
    const float step = isKeyDown(vk::kShift) ? kShiftArrowStep : kArrowStep;
    Vec2 d;
    if (isKeyDown(vk::kUp)) d.y = step;
    if (isKeyDown(vk::kDown)) d.y = -step;
    if (isKeyDown(vk::kLeft)) d.x = -step;
    if (isKeyDown(vk::kRight)) d.x = step;
    return d;
}

}  // namespace

void SelectTool::handleKeys()
{
    const Vec2 d = arrowDelta();
    if (d == Vec2() || vertexMode()) return;
    std::vector<Selection*> objects;
    for (const auto& selection : simulation().selections()) {
        if (selectedObject(*selection)) objects.push_back(selection.get());
    }
    // The same steps as a drag, so the parallax anchor moves along.
    const SelectionDrag drag(SelectionLevel::Object, dragModes());
    if (platform::isKeyDown(platform::vk::kControl)) {
        drag.rotate(objects, SelectionDrag::rotationAngle(d));
    } else {
        drag.move(objects, d);
    }
}
