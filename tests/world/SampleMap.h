#pragma once

#include "editor/world/Map.h"

namespace quillow::test {

// The map of data/golden-map.xml built in code: a stretched circle, a
// parallax box with an animated body and a border, a bordered polygon at a
// position that needs rounding, and spawns of both sides added out of side
// order. Textures are looked up by name, so without a registry every
// drawable carries the unknown texture.
void buildSampleMap(Map& map);

// Every saved field of two maps is equal (up to the six digits of the file).
void expectSameMap(const Map& expected, const Map& actual);

}  // namespace quillow::test
