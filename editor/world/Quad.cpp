#include "editor/world/Quad.h"

Quad::Quad()
    : Quad(Vec2(-1.0f, 1.0f), Vec2(1.0f, 1.0f), Vec2(1.0f, -1.0f), Vec2(-1.0f, -1.0f), 0, nullptr,
           kUvTile)
{
}

Quad::Quad(const Vec2& c0, const Vec2& c1, const Vec2& c2, const Vec2& c3, uint32_t textureId,
           const uint16_t* layerRef, uint16_t mode, int32_t drawtype)
    : ImageGeometry(c0, c1, c2, c3, textureId, layerRef, mode, drawtype, false, 0.0f)
{
}

Quad::Quad(const Quad& source, const uint16_t* newLayerRef) : ImageGeometry(source, newLayerRef)
{
}

std::unique_ptr<ImageGeometry> Quad::clone(const uint16_t* newLayerRef) const
{
    return std::make_unique<Quad>(*this, newLayerRef);
}
