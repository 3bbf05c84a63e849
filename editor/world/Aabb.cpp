#include "editor/world/Aabb.h"

#include "editor/world/AnimatingSprite.h"
#include "editor/world/Circle.h"
#include "editor/world/Geometry.h"
#include "editor/world/Poly.h"
#include "editor/world/Quad.h"
#include "editor/world/ShapePairs.h"

Aabb::Aabb()
{
    placeCorners(center, 1.0f, 1.0f);
    addBodyDrawable(false, kUvTile);
    type = 1;
    geometry = kGeometryBox;
}

Aabb::Aabb(const Vec2& centre, float width_, float height_, uint16_t layer_, uint32_t textureId_,
           uint32_t borderTextureId_, float borderSize_, uint16_t uvMode)
    : width(floatAbs(width_)),
      height(floatAbs(height_)),
      borderSize(borderSize_),
      textureId(textureId_),
      borderTextureId(borderTextureId_)
{
    layer = layer_;
    geometry = kGeometryBox;
    placeAt(centre);
    placeCorners(centre, width * 0.5f, height * 0.5f);
    if (borderSize > 0.0f) drawables.push_back(borderDrawable());
    addBodyDrawable(false, uvMode);
}

Aabb::Aabb(const Vec2& centre, float halfWidth, float halfHeight, uint16_t layer_,
           uint32_t textureId_, uint16_t uvMode)
    : Aabb(centre, 2.0f * halfWidth, 2.0f * halfHeight, layer_, textureId_, 0, 0.0f, uvMode)
{
}

Aabb::Aabb(const Aabb& other)
    : GameObject(other),
      width(other.width),
      height(other.height),
      borderSize(other.borderSize),
      textureId(other.textureId),
      borderTextureId(other.borderTextureId)
{
    for (int i = 0; i < 4; ++i) corners[i] = other.corners[i];
    recomputeCenter();
    placeAt(center);
}

void Aabb::placeCorners(const Vec2& c, float halfWidth, float halfHeight)
{
    corners[0] = Vec2(c.x - halfWidth, c.y + halfHeight);
    corners[1] = Vec2(c.x + halfWidth, c.y + halfHeight);
    corners[2] = Vec2(c.x + halfWidth, c.y - halfHeight);
    corners[3] = Vec2(c.x - halfWidth, c.y - halfHeight);
}

std::unique_ptr<ImageGeometry> Aabb::borderDrawable() const
{
    return std::make_unique<ImageGeometry>(corners[0], corners[1], corners[2], corners[3],
                                           borderTextureId, &layer, kUvTile, kDrawQuads, true,
                                           borderSize);
}

void Aabb::addBodyDrawable(bool animated, uint16_t uvMode)
{
    if (animated) {
        drawables.push_back(std::make_unique<AnimatingSprite>(corners[0], corners[1], corners[2],
                                                              corners[3], textureId, &layer));
    } else {
        drawables.push_back(std::make_unique<Quad>(corners[0], corners[1], corners[2],
                                                   corners[3], textureId, &layer, uvMode));
    }
}

uint16_t Aabb::bodyUvMode() const
{
    for (const auto& drawable : drawables) {
        if (drawable->borderSize == 0.0f) return drawable->uvMapMode;
    }
    return kUvTile;
}

void Aabb::recomputeCenter()
{
    center = (corners[0] + corners[1] + corners[2] + corners[3]) * 0.25f;
}

void Aabb::setSquareSize(float size, uint32_t texture)
{
    placeCorners(center, size * 0.5f, size * 0.5f);
    width = floatAbs(size);
    height = width;
    textureId = texture;
    drawables.clear();
    addBodyDrawable(false, kUvTile);
}

void Aabb::sortCorners()
{
    Vec2 lowLeft = corners[0];
    Vec2 lowRight = corners[0];
    Vec2 highRight = corners[0];
    Vec2 highLeft = corners[0];
    // With <= and >=, a later corner wins a tie.
    for (int i = 1; i < 4; ++i) {
        const Vec2& c = corners[i];
        if (c.x <= lowLeft.x && c.y <= lowLeft.y) lowLeft = c;
        if (c.x >= lowRight.x && c.y <= lowRight.y) lowRight = c;
        if (c.x >= highRight.x && c.y >= highRight.y) highRight = c;
        if (c.x <= highLeft.x && c.y >= highLeft.y) highLeft = c;
    }
    corners[0] = lowRight;
    corners[1] = highRight;
    corners[2] = highLeft;
    corners[3] = lowLeft;
}

void Aabb::rebuildDrawables()
{
    const uint16_t uvMode = bodyUvMode();
    drawables.clear();
    addBodyDrawable(animatedBody, uvMode);
    if (borderSize > 0.0f) drawables.push_back(borderDrawable());
}

void Aabb::setBorderSize(float size)
{
    borderSize = size;
    dropBorderStrips();
    if (borderSize > 0.0f) putBorderFirst(borderDrawable());
}

void Aabb::translate(const Vec2& delta, int32_t passOn, bool skipDrawables)
{
    center += delta;
    for (Vec2& corner : corners) corner += delta;
    translateDrawables(delta, passOn, skipDrawables);
    translateChildren(delta, passOn, skipDrawables);
}

void Aabb::scale(const Vec2& origin, float sx, float sy, int32_t passOn, bool skipDrawables)
{
    for (Vec2& corner : corners) corner = scalePoint(corner, origin, sx, sy);
    center = scalePoint(center, origin, sx, sy);
    scaleDrawables(origin, sx, sy, passOn, skipDrawables);
}

const Vec2* Aabb::collisionCorners() const
{
    return shiftedCorners_ ? shiftedCorners_->data() : corners;
}

void Aabb::updateCornerOffsets(const Vec2& offset)
{
    shiftedCorners_.reset();
    if (offset == Vec2(0.0f, 0.0f)) return;
    shiftedCorners_.emplace();
    for (int i = 0; i < 4; ++i) (*shiftedCorners_)[i] = corners[i] + offset;
}

BoxContact Aabb::touch(const Circle& circle)
{
    const BoxContact contact = boxContact(collisionCorners(), circle.collisionPosition);
    closestPoint = contact.nearest;
    closestDelta = contact.delta;
    return contact;
}

bool Aabb::collides(GameObject& other)
{
    rewindPair(other);
    const Vec2* box = collisionCorners();
    switch (other.geometry) {
    case kGeometryCircle: {
        const auto* circle = dynamic_cast<const Circle*>(&other);
        return circle && circle->radius > touch(*circle).distance;
    }
    case kGeometryPoly: {
        const auto* poly = dynamic_cast<const Poly*>(&other);
        return poly && outlinesOverlap(boxOutline(box), poly->collisionPoints());
    }
    case kGeometryBox: {
        const auto* otherBox = dynamic_cast<const Aabb*>(&other);
        return otherBox && boxesOverlap(box, otherBox->collisionCorners());
    }
    default:
        return false;
    }
}

bool Aabb::collideAndResolve(GameObject& other, Vec2& push)
{
    rewindPair(other);
    const Vec2* box = collisionCorners();
    switch (other.geometry) {
    case kGeometryCircle: {
        const auto* circle = dynamic_cast<const Circle*>(&other);
        if (!circle) return false;
        const BoxContact contact = touch(*circle);
        if (contact.distance < circle->radius) {
            push = Vec2::normalize(contact.delta) * (circle->radius - contact.distance);
            return true;
        }
        push = Vec2(0.0f, 0.0f);
        return false;
    }
    case kGeometryPoly: {
        const auto* poly = dynamic_cast<const Poly*>(&other);
        if (!poly || !resolveOutlines(boxOutline(box), poly->collisionPoints(), push)) {
            return false;
        }
        push = push * -1.0f;
        return true;
    }
    case kGeometryBox: {
        const auto* otherBox = dynamic_cast<const Aabb*>(&other);
        return otherBox && resolveBoxes(box, otherBox->collisionCorners(), push);
    }
    default:
        return false;
    }
}

void Aabb::drawGeometry()
{
    drawQuadOutline(corners);
}
