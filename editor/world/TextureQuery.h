#pragma once

#include <cstdint>

// The one place where drawables ask OpenGL about a texture while they are
// built. Drawables are also built where no OpenGL context exists (map files
// read by tools, unit tests); there the answers are zero and no OpenGL call
// is made.

// Whether an OpenGL context is current on the calling thread.
bool hasCurrentGlContext();

// Binds textureId and reads its level-0 width and height. Both are 0 when
// no context is current or OpenGL does not know the texture.
void queryTextureSize(uint32_t textureId, int32_t& width, int32_t& height);
