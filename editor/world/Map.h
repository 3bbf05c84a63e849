#pragma once

#include "editor/world/Spawn.h"

#include <list>
#include <memory>
#include <string>
#include <vector>

class GameObject;

// The map being edited: the fingerprint of the file it came from, every
// object in the order loaded or created (the order they are saved in), and
// the spawn points grouped by side.
class Map {
public:
    Map() = default;
    // Hands over the objects still listed, as unload does; a map is normally
    // unloaded before it is freed, which leaves nothing to hand over.
    ~Map();
    Map(const Map&) = delete;
    Map& operator=(const Map&) = delete;

    // Appends the spawn to the list of its side, adding lists up to it.
    void addSpawn(std::unique_ptr<Spawn> spawn);

    // Tears the map down before another takes its place: the objects go to
    // the installed object removal (the simulation still draws them this
    // tick and deletes them later) or, with none installed, are deleted
    // here; spawns and their markers are deleted; the fingerprint is reset.
    void unload();

    // MD5 of the loaded file's text in 32 lower-case hex digits; empty for a
    // new map.
    std::string md5Text;
    // Listed, not owned: the simulation that draws them deletes them (see
    // unload).
    std::list<GameObject*> objects;
    // spawnLists[a] holds the spawns of side a, in the order added.
    std::vector<std::list<std::unique_ptr<Spawn>>> spawnLists;

private:
    void releaseObjects();
};
