#include "editor/app/simulation/Simulator.h"

#include "editor/app/simulation/FrameTimeOverlay.h"
#include "editor/app/simulation/MessageConsole.h"
#include "editor/app/simulation/ViewCamera.h"
#include "editor/world/GameObject.h"
#include "editor/world/Map.h"

Simulator::Simulator()
    : map(std::make_unique<Map>()),
      overlay(std::make_unique<FrameTimeOverlay>()),
      console(std::make_unique<MessageConsole>())
{
}

Simulator::~Simulator()
{
    // The objects the map lists are among those the simulation owns.
    if (ObjectRemoval::installed() == this) ObjectRemoval::install(nullptr);
    if (map) map->objects.clear();
    for (GameObject* object : objects) delete object;
}

void Simulator::updateParallax()
{
    for (GameObject* object : parallaxList) object->followParallax(camera->position);
}
