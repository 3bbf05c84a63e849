#pragma once

#include <cstdint>

// One past state of a game object, kept so that two objects can be compared
// at a common past time.
struct Snapshot {
    uint32_t time = 0;  // milliseconds
    float x = 0.0f;
    float y = 0.0f;
    uint16_t state = 0;        // carried along for the host, not interpreted here
    bool interpolate = false;  // false: the object jumped to this position
};
