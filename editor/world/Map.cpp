#include "editor/world/Map.h"

#include "editor/world/GameObject.h"
#include "editor/world/ObjectRemoval.h"

#include <iostream>

Map::~Map()
{
    releaseObjects();
}

void Map::addSpawn(std::unique_ptr<Spawn> spawn)
{
    if (!spawn) return;
    const uint16_t side = spawn->alignment;
    if (spawnLists.size() <= side) spawnLists.resize(size_t{side} + 1);
    spawnLists[side].push_back(std::move(spawn));
}

void Map::releaseObjects()
{
    // Without a simulation nobody else holds the objects, so the map
    // deletes them rather than leak them.
    ObjectRemoval* removal = ObjectRemoval::installed();
    for (GameObject* object : objects) {
        if (removal) {
            removal->removeObject(object);
            object->markedForDelete = true;
        } else {
            delete object;
        }
    }
    objects.clear();
}

void Map::unload()
{
    releaseObjects();
    std::cout << "unloading old map" << std::endl;
    spawnLists.clear();  // each spawn deletes its marker
    md5Text.clear();
}
