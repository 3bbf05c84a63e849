#pragma once

#include "editor/world/Component.h"

class ViewCamera;

// Keeps its object centred on the camera, with a border of the same
// thickness on screen at every zoom: the frame that shows the game's screen.
class FrameBoxComponent : public Component {
public:
    FrameBoxComponent(GameObject* owner, const ViewCamera* camera);

    std::unique_ptr<Component> clone(GameObject* newOwner) const override;
    void update() override;

private:
    const ViewCamera* camera_;  // not owned; the owner follows its position
};
