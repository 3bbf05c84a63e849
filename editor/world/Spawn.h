#pragma once

#include "editor/world/GameObject.h"
#include "editor/world/Vec2.h"

#include <cstdint>
#include <memory>

// Radius and layer of the circle that shows a spawn point in the map view.
constexpr float kSpawnMarkerRadius = 42.0f;
constexpr uint16_t kSpawnMarkerLayer = 1;

// One spawn point: the side it belongs to and the marker that shows it. The
// marker's centre is the spawn's position.
struct Spawn {
    uint16_t alignment = 0;
    // Owned by the spawn; null for a side that has no marker image, so every
    // user checks it.
    std::unique_ptr<GameObject> marker;
};

// Image of the marker of a side: "Espawn" for side 0, "Tspawn" for side 1,
// null for any other side.
const char* spawnMarkerImage(uint16_t alignment);

// Stores the side and builds the marker at position; sides other than 0 and
// 1 get none.
void createSpawnMarker(Spawn& spawn, uint16_t alignment, const Vec2& position);
