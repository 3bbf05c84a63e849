#include "editor/world/Poly.h"

#include "editor/world/Aabb.h"
#include "editor/world/Circle.h"
#include "editor/world/Geometry.h"
#include "editor/world/ShapePairs.h"

Poly::Poly()
{
    geometry = kGeometryPoly;
}

Poly::Poly(const std::vector<Vec2>& outline, const Vec2& position, uint16_t layer_,
           float lineWidth, uint32_t rendImg, uint32_t borderTextureId_)
    : points(outline), LineWidth(lineWidth), RendImg(rendImg), borderTextureId(borderTextureId_)
{
    layer = layer_;
    geometry = kGeometryPoly;
    recomputeCenter();
    const Vec2 shift = position - center;
    for (Vec2& p : points) p += shift;
    placeAt(position);
    addDrawables();
}

Poly::Poly(const Poly& other)
    : GameObject(other),
      points(other.points),
      LineWidth(other.LineWidth),
      RendImg(other.RendImg),
      borderTextureId(other.borderTextureId)
{
    recomputeCenter();
    placeAt(center);
}

std::unique_ptr<ImageGeometry> Poly::borderDrawable() const
{
    return std::make_unique<ImageGeometry>(points, borderTextureId, &layer, kDrawQuads, true,
                                           LineWidth);
}

void Poly::addDrawables()
{
    if (LineWidth > 0.0f) drawables.push_back(borderDrawable());
    drawables.push_back(
        std::make_unique<ImageGeometry>(points, RendImg, &layer, kDrawPolygon, false, 0.0f));
}

void Poly::rebuildDrawables()
{
    drawables.clear();
    addDrawables();
}

void Poly::setLineWidth(float width)
{
    LineWidth = width;
    dropBorderStrips();
    if (LineWidth > 0.0f) putBorderFirst(borderDrawable());
}

void Poly::setRendImg(int32_t value)
{
    RendImg = static_cast<uint32_t>(value);
}

void Poly::recomputeCenter()
{
    if (points.empty()) {
        center = Vec2(0.0f, 0.0f);
        return;
    }
    Vec2 sum;
    for (const Vec2& p : points) sum += p;
    center = sum * (1.0f / static_cast<float>(points.size()));
}

void Poly::translate(const Vec2& delta, int32_t passOn, bool skipDrawables)
{
    for (Vec2& p : points) p += delta;
    center += delta;
    translateDrawables(delta, passOn, skipDrawables);
    translateChildren(delta, passOn, skipDrawables);
}

void Poly::rotate(const Vec2& origin, float angle, int32_t passOn, bool skipDrawables)
{
    center = rotatePoint(center, origin, angle);
    for (Vec2& p : points) p = rotatePoint(p, origin, angle);
    rotateDrawables(origin, angle, passOn, skipDrawables);
    rotateChildren(origin, angle, passOn, skipDrawables);
}

void Poly::scale(const Vec2& origin, float sx, float sy, int32_t passOn, bool skipDrawables)
{
    for (Vec2& p : points) p = scalePoint(p, origin, sx, sy);
    center = scalePoint(center, origin, sx, sy);
    scaleDrawables(origin, sx, sy, passOn, skipDrawables);
}

const std::vector<Vec2>& Poly::collisionPoints() const
{
    return shiftedPoints_ ? *shiftedPoints_ : points;
}

void Poly::updateCornerOffsets(const Vec2& offset)
{
    shiftedPoints_.reset();
    if (offset == Vec2(0.0f, 0.0f)) return;
    shiftedPoints_ = points;
    for (Vec2& p : *shiftedPoints_) p += offset;
}

bool Poly::collides(GameObject& other)
{
    rewindPair(other);
    const std::vector<Vec2>& outline = collisionPoints();
    switch (other.geometry) {
    case kGeometryCircle: {
        const auto* circle = dynamic_cast<const Circle*>(&other);
        return circle && circleOverlapsPolygon(circle->collisionPosition, circle->radius, outline);
    }
    case kGeometryPoly: {
        const auto* poly = dynamic_cast<const Poly*>(&other);
        return poly && outlinesOverlap(outline, poly->collisionPoints());
    }
    case kGeometryBox: {
        const auto* box = dynamic_cast<const Aabb*>(&other);
        return box && outlinesOverlap(boxOutline(box->collisionCorners()), outline);
    }
    default:
        return true;
    }
}

bool Poly::collideAndResolve(GameObject& other, Vec2& push)
{
    rewindPair(other);
    const std::vector<Vec2>& outline = collisionPoints();
    Vec2 found;
    switch (other.geometry) {
    case kGeometryCircle: {
        const auto* circle = dynamic_cast<const Circle*>(&other);
        if (!circle ||
            !resolveOutlineAndCircle(outline, circle->collisionPosition, circle->radius, found)) {
            return false;
        }
        push = found * -1.0f;
        return true;
    }
    case kGeometryPoly: {
        const auto* poly = dynamic_cast<const Poly*>(&other);
        if (!poly || !resolveOutlines(outline, poly->collisionPoints(), found)) return false;
        push = found * -1.0f;
        return true;
    }
    case kGeometryBox: {
        // The box's own resolution moves the box; this polygon moves the
        // opposite way, which is the box's search read from the other side.
        const auto* box = dynamic_cast<const Aabb*>(&other);
        return box && resolveOutlines(boxOutline(box->collisionCorners()), outline, push);
    }
    default:
        return true;
    }
}

void Poly::drawGeometry()
{
    drawOutline(GlPrimitive::Polygon, points.data(), nullptr, points.size());
}
