#include "editor/world/Spawn.h"

#include "editor/world/Map_Circle.h"
#include "editor/world/TextureManager.h"

const char* spawnMarkerImage(uint16_t alignment)
{
    switch (alignment) {
    case 0: return "Espawn";
    case 1: return "Tspawn";
    default: return nullptr;
    }
}

void createSpawnMarker(Spawn& spawn, uint16_t alignment, const Vec2& position)
{
    spawn.alignment = alignment;
    spawn.marker.reset();
    const char* image = spawnMarkerImage(alignment);
    if (!image) return;
    const int32_t texture = TextureManager::instance()->getTextureId(image);
    spawn.marker = std::make_unique<Map_Circle>(position, kSpawnMarkerRadius, kSpawnMarkerLayer,
                                                static_cast<uint32_t>(texture));
}
