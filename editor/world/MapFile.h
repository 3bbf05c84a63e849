#pragma once

#include "editor/world/Map.h"

#include <memory>
#include <string>

// The folder of the map files, relative to the working directory; a map's
// name is used behind it exactly as the user typed it.
constexpr const char* kMapsFolder = "..\\..\\Content\\Maps\\";

// Reads the map file of that name with all its objects and spawns. A file
// that cannot be read, is no well-formed map or lacks an element the map
// needs gives null after an error line on standard output; values that do
// not convert keep the field's default and are reported.
std::unique_ptr<Map> loadMap(const std::string& name);

// Writes the map under that name. An existing file is replaced only once the
// new text is safely written; false, with an error line, when it was not.
bool saveMap(const Map& map, const std::string& name);
