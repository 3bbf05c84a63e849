#pragma once

#include <cstdint>

class AppState;

// One update step at time now (elapsed ms): the simulation clock, the input
// pass while the pointer is on the map, the simulation's update, the
// parallax layers when the camera moved, the menus' poll; then the mouse
// state becomes the previous state.
void tick(AppState& app, uint32_t now);

// The delay to re-arm a timer with after its step took spent ms: what is
// left of the period, 0 once the step took the period or longer.
uint32_t rearmDelay(uint16_t period, uint32_t spent);

// The bookkeeping of the GLUT callbacks. A button event first makes that
// button's current state its previous one, so a press and its release
// between two ticks show as a release only. An event of one button never
// touches the other's state, so neither the other button nor a wheel tick
// can make a fresh press look old.
void recordMouseButton(AppState& app, int button, int state);
void recordMotion(AppState& app, int x, int y);
