#pragma once

// The modifier keys of the input event being handled, as GLUT reports them;
// the toolkit asks these from inside input callbacks only.
bool isShiftDown();
bool isCtrlDown();
bool isAltDown();
