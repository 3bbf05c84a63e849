#pragma once

#include "libs/zorir/WindowManager.h"
#include "tests/support/GlTestContext.h"

#include <GL/gl.h>

namespace zorirtest {

// The square screen the drawing tests draw on.
constexpr int side = 256;

// Pixels in screen coordinates (origin top left), as the toolkit draws.
inline quillow::test::Pixel pixelAt(int x, int y)
{
    return quillow::test::readPixel(x, side - 1 - y);
}

inline bool isBlack(const quillow::test::Pixel& p)
{
    return p.r == 0 && p.g == 0 && p.b == 0;
}

// A context of our size, cleared to black, with the window manager's screen
// to match.
inline void clearScreen()
{
    quillow::test::ensureGlContext(side, side);
    Zorir::WindowManager::instance().screenResized(side, side);
    glViewport(0, 0, side, side);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

}  // namespace zorirtest
