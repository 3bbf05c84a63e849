#pragma once

namespace platform {

// Placing the console window beside the editor has no meaning here: output
// goes to whatever terminal or pipe started the program.
void placeConsoleWindow(int x, int y, int width, int height);

// Standard output flushed at each line end, so a pipe (tests, logs) sees every
// message as soon as it is written.
void makeStdoutLineBuffered();

}  // namespace platform
