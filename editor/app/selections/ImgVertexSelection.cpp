#include "editor/app/selections/ImgVertexSelection.h"

#include "editor/app/selections/SelectionScene.h"
#include "editor/app/selections/TextureMotion.h"
#include "editor/world/GameObject.h"
#include "editor/world/Geometry.h"

#include <iostream>

namespace {

// The marker's border as a fraction of the view width: a little wider than
// an object vertex's.
constexpr float kMarkerBorderDivisor = 250.0f;

}  // namespace

ImgVertexSelection::ImgVertexSelection(SelectionScene& scene, ImageGeometry& drawable,
                                       size_t index, const GameObject& object)
    : VertexSelection(scene, kSelectImageVertex, object.geometry, index), owner_(drawable)
{
    center = meanOf(drawable.points);
    texCenter = meanOf(drawable.uvs);
    refreshHighlight();
}

Vec2* ImgVertexSelection::vertex() const
{
    return index() < owner_.points.size() ? &owner_.points[index()] : nullptr;
}

Vec2* ImgVertexSelection::texCoord() const
{
    return index() < owner_.uvs.size() ? &owner_.uvs[index()] : nullptr;
}

void ImgVertexSelection::translate(const Vec2& delta, bool)
{
    if (Vec2* v = vertex()) *v += delta;
}

void ImgVertexSelection::rotate(const Vec2& about, float angle, bool)
{
    Vec2* v = vertex();
    if (!v) return;
    *v = rotatePoint(*v, about, angle);
    center = meanOf(owner_.points);
}

void ImgVertexSelection::scale(const Vec2& about, float sx, float sy, bool)
{
    Vec2* v = vertex();
    if (!v) return;
    *v = scalePoint(*v, about, sx, sy);
    refreshHighlight();
}

void ImgVertexSelection::translateTexture(const Vec2& delta)
{
    if (Vec2* uv = texCoord()) *uv -= delta * kTextureUnitsPerWorldUnit;
}

void ImgVertexSelection::rotateTexture(const Vec2&, float angle)
{
    Vec2* uv = texCoord();
    if (!uv) return;
    texCenter = meanOf(owner_.uvs);
    *uv = rotatePoint(*uv, texCenter, angle);
}

void ImgVertexSelection::scaleTexture(const Vec2&, float sx, float sy)
{
    if (Vec2* uv = texCoord()) *uv = scalePoint(*uv, texCenter, sx, sy);
}

void ImgVertexSelection::refreshHighlight()
{
    const Vec2* v = vertex();
    if (!v) return;
    buildVertexHighlight(*v, scene().viewWidth() / kMarkerBorderDivisor);
}

void ImgVertexSelection::finishEdit()
{
    center = meanOf(owner_.points);
    std::cout << "new pos " << center.x << " " << center.y << std::endl;
    texCenter = meanOf(owner_.uvs);
}
