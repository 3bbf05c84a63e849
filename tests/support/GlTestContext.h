#pragma once

namespace quillow::test {

// Opens one hidden-enough GLUT window with a current OpenGL context for the
// whole test program (the first call creates it, later calls are free).
// Needs an X server: such tests run under with-xvfb.
void ensureGlContext(int width = 256, int height = 256);

// RGBA of one pixel of the back buffer, origin bottom left.
struct Pixel {
    unsigned char r, g, b, a;
};
Pixel readPixel(int x, int y);

// Uploads width x height texels of the given format (GL_RGB or GL_RGBA, one
// byte a channel, rows packed tight) into a new texture sampled without
// filtering; its name. The caller deletes it.
unsigned makeNearestTexture(int width, int height, unsigned format, const void* texels);

}  // namespace quillow::test
