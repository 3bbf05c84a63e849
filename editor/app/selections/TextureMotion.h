#pragma once

// Texture coordinates move by this much per world unit of drag.
constexpr float kTextureUnitsPerWorldUnit = 0.0025f;
