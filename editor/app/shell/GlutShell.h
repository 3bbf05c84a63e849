#pragma once

// The editor's shell around GLUT: the window, the callbacks and the two
// self-re-arming 16 ms timers (redraw and update). Everything runs on GLUT's
// thread; callbacks only record input and hand it to the toolkit, editing
// happens in the tick.

// Builds the window and runs the event loop until it ends.
void setupGlut(int argc, char** argv);
// Fixed OpenGL state.
void initGL();
// Loads the content, fills the menus, starts the simulation and its clock.
void enterEditMode();
