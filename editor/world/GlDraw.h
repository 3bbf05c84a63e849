#pragma once

#include "editor/world/Vec2.h"

#include <cstddef>
#include <cstdint>

// Immediate-mode emission shared by drawables and shape outlines. While a
// DrawBatch is open, both functions hand their work to it instead.
enum class GlPrimitive { Polygon, Quads };

// Enables texturing, binds textureId, emits count vertices at the given depth,
// each with its texture coordinate (all (0, 0) when uvs is null), and
// disables texturing again. Needs a current OpenGL context.
void emitTextured(GlPrimitive primitive, uint32_t textureId, const Vec2* points, const Vec2* uvs,
                  size_t count, float depth);

// Sets the current colour to (v, v, v, v).
void setGrey(float v);
