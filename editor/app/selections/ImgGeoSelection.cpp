#include "editor/app/selections/ImgGeoSelection.h"

#include "editor/app/selections/SelectionScene.h"
#include "editor/app/selections/TextureMotion.h"
#include "editor/world/Circle.h"
#include "editor/world/GameObject.h"
#include "editor/world/Geometry.h"

#include <algorithm>

namespace {

constexpr float kHighlightBorder = 10.0f;

}  // namespace

ImgGeoSelection::ImgGeoSelection(SelectionScene& scene, ImageGeometry& drawable,
                                 const GameObject& object)
    : Selection(scene, kSelectImageGeometry, object.geometry), drawable_(drawable)
{
    refreshHighlight();
}

Vec2 ImgGeoSelection::getCenter() const
{
    return meanOf(drawable_.points);
}

Vec2 ImgGeoSelection::getAnchor() const
{
    return drawable_.points.empty() ? Vec2() : drawable_.points.front();
}

void ImgGeoSelection::translate(const Vec2& delta, bool)
{
    drawable_.translate(delta, false);
}

void ImgGeoSelection::rotate(const Vec2& about, float angle, bool)
{
    drawable_.rotate(about, angle, false);
}

void ImgGeoSelection::scale(const Vec2& about, float sx, float sy, bool)
{
    drawable_.scale(about, sx, sy, false);
}

void ImgGeoSelection::translateTexture(const Vec2& delta)
{
    // Turned back by the texture's own angle, so a turned texture still
    // slides along the drag on screen.
    const Vec2 t = rotatePoint(delta * kTextureUnitsPerWorldUnit, Vec2(), -textureAngle_);
    for (Vec2& uv : drawable_.uvs) uv += t;
}

void ImgGeoSelection::rotateTexture(const Vec2&, float angle)
{
    textureAngle_ += angle;
    const Vec2 mean = meanOf(drawable_.uvs);
    for (Vec2& uv : drawable_.uvs) uv = rotatePoint(uv, mean, -angle);
}

void ImgGeoSelection::scaleTexture(const Vec2&, float sx, float sy)
{
    // Texture coordinates live in texture space: a world point means
    // nothing there, so they scale about their own mean.
    const Vec2 mean = meanOf(drawable_.uvs);
    for (Vec2& uv : drawable_.uvs) uv = scalePoint(uv, mean, sx, sy);
}

bool ImgGeoSelection::isUnderCursor()
{
    Circle& cursor = scene().cursorCircle();
    Vec2 c;
    cursor.getCenter(c);
    return circleOverlapsPolygon(c, cursor.radius, drawable_.points);
}

void ImgGeoSelection::refreshHighlight()
{
    const std::vector<Vec2>& points = drawable_.points;
    if (points.empty()) return;
    Vec2 low = points.front();
    Vec2 high = points.front();
    for (const Vec2& p : points) {
        low = Vec2(std::min(low.x, p.x), std::min(low.y, p.y));
        high = Vec2(std::max(high.x, p.x), std::max(high.y, p.y));
    }
    buildHighlight(low, high, kHighlightBorder);
}
