#include "editor/app/shell/Modifiers.h"

#include <GL/freeglut.h>

bool isShiftDown()
{
    return (glutGetModifiers() & GLUT_ACTIVE_SHIFT) != 0;
}

bool isCtrlDown()
{
    return (glutGetModifiers() & GLUT_ACTIVE_CTRL) != 0;
}

bool isAltDown()
{
    return (glutGetModifiers() & GLUT_ACTIVE_ALT) != 0;
}
