#pragma once

#include <cstdint>

class AppState;

// One update step at time now (elapsed ms): one picture of the keys and the
// buttons recorded since the last tick, the simulation clock, the input pass
// while the pointer is on the map, the simulation's update, the parallax
// layers when the camera moved, the menus' poll; then the mouse state
// becomes the previous state.
void tick(AppState& app, uint32_t now);

// The delay to re-arm a timer with after its step took spent ms: what is
// left of the period, 0 once the step took the period or longer.
uint32_t rearmDelay(uint16_t period, uint32_t spent);

// The bookkeeping of the GLUT callbacks. Button events are only recorded:
// the tick decides what the tools see, so a press and its release between
// two ticks reach them as a press and, a tick later, a release. An event of
// one button never touches the other's record, and wheel ticks are none.
void recordMouseButton(AppState& app, int button, int state);
void recordMotion(AppState& app, int x, int y);
