#pragma once

#include "editor/world/ImageGeometry.h"

// A drawable of four points that copies as a quad (box bodies, circle
// squares, sprites).
class Quad : public ImageGeometry {
public:
    // The square (-1, 1), (1, 1), (1, -1), (-1, -1), tiled, with no layer.
    Quad();
    Quad(const Vec2& c0, const Vec2& c1, const Vec2& c2, const Vec2& c3, uint32_t textureId,
         const uint16_t* layerRef, uint16_t mode, int32_t drawtype = kDrawQuads);
    Quad(const Quad& source, const uint16_t* newLayerRef);

    std::unique_ptr<ImageGeometry> clone(const uint16_t* newLayerRef) const override;
};
