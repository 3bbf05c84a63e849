#include "editor/app/simulation/FrameBoxComponent.h"

#include "editor/app/simulation/ViewCamera.h"
#include "editor/world/GameObject.h"

FrameBoxComponent::FrameBoxComponent(GameObject* owner_, const ViewCamera* camera) : Component(owner_), camera_(camera) {}

std::unique_ptr<Component> FrameBoxComponent::clone(GameObject* newOwner) const
{
    return std::make_unique<FrameBoxComponent>(newOwner, camera_);
}

void FrameBoxComponent::update()
{
    owner->moveTo(camera_->position);
    if (!owner->drawables.empty()) owner->drawables.front()->setBorderWidth(0.002f * camera_->viewWidth);
}
