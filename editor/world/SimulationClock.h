#pragma once

#include <cstdint>

// The simulation time in milliseconds that world objects read (sprite
// animation, object clocks). The application points it at its own clock;
// until it does, the time reads as a constant 0.
const uint32_t* simulationClock();
void setSimulationClock(const uint32_t* source);
