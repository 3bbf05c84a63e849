#include "editor/world/Circle.h"

#include "editor/world/Aabb.h"
#include "editor/world/Geometry.h"
#include "editor/world/Poly.h"
#include "editor/world/Quad.h"
#include "editor/world/ShapePairs.h"

Circle::Circle() : Circle(Vec2(0.0f, 0.0f), 1.0f, 1, 1)
{
    type = 1;
}

Circle::Circle(const Vec2& centre, float radius_, uint16_t layer_, uint32_t textureId)
    : radius(radius_)
{
    placeAt(centre);
    layer = layer_;
    geometry = kGeometryCircle;
    const Vec2 c = centre;
    const float r = radius;
    drawables.push_back(std::make_unique<Quad>(Vec2(c.x - r, c.y + r), Vec2(c.x + r, c.y + r),
                                               Vec2(c.x + r, c.y - r), Vec2(c.x - r, c.y - r),
                                               textureId, &layer, kUvStretch));
}

Circle::Circle(const Circle& other) : GameObject(other), radius(other.radius)
{
}

void Circle::translate(const Vec2& delta, int32_t passOn, bool skipDrawables)
{
    center += delta;
    translateDrawables(delta, passOn, skipDrawables);
    translateChildren(delta, passOn, skipDrawables);
}

void Circle::rotate(const Vec2& origin, float angle, int32_t passOn, bool skipDrawables)
{
    center = rotatePoint(center, origin, angle);
    rotateDrawables(origin, angle, passOn, skipDrawables);
    rotateChildren(origin, angle, passOn, skipDrawables);
}

void Circle::scale(const Vec2& origin, float sx, float, int32_t passOn, bool skipDrawables)
{
    center = origin + (center - origin) * sx;
    radius *= sx;
    scaleDrawables(origin, sx, sx, passOn, skipDrawables);
}

BoxContact Circle::touch(const Aabb& box)
{
    const BoxContact contact = boxContact(box.collisionCorners(), collisionPosition);
    closestPoint = contact.nearest;
    closestDelta = contact.delta;
    return contact;
}

bool Circle::collides(GameObject& other)
{
    rewindPair(other);
    switch (other.geometry) {
    case kGeometryCircle: {
        const auto* circle = dynamic_cast<const Circle*>(&other);
        if (!circle) return false;
        const Vec2 d = collisionPosition - circle->collisionPosition;
        return radius + circle->radius > floatSqrt(dot(d, d));
    }
    case kGeometryPoly: {
        const auto* poly = dynamic_cast<const Poly*>(&other);
        return poly && circleOverlapsPolygon(collisionPosition, radius, poly->collisionPoints());
    }
    case kGeometryBox: {
        const auto* box = dynamic_cast<const Aabb*>(&other);
        return box && radius > touch(*box).distance;
    }
    default:
        return false;
    }
}

bool Circle::collideAndResolve(GameObject& other, Vec2& push)
{
    rewindPair(other);
    switch (other.geometry) {
    case kGeometryCircle: {
        const auto* circle = dynamic_cast<const Circle*>(&other);
        if (!circle) return false;
        Vec2 d = collisionPosition - circle->collisionPosition;
        const float distance = floatSqrt(dot(d, d));
        const float reach = radius + circle->radius;
        if (!(distance < reach)) return false;
        Vec2::normalizeInPlace(d);
        push = d * (reach - distance);
        return true;
    }
    case kGeometryPoly: {
        const auto* poly = dynamic_cast<const Poly*>(&other);
        return poly &&
               resolveOutlineAndCircle(poly->collisionPoints(), collisionPosition, radius, push);
    }
    case kGeometryBox: {
        const auto* box = dynamic_cast<const Aabb*>(&other);
        if (!box) return false;
        const BoxContact contact = touch(*box);
        if (contact.distance < radius) {
            // Away from the box.
            push = Vec2::normalize(contact.delta) * -(radius - contact.distance);
            return true;
        }
        push = Vec2(0.0f, 0.0f);
        return false;
    }
    default:
        return false;
    }
}

void Circle::drawGeometry()
{
    const Vec2 c = center;
    const float r = radius;
    const Vec2 square[4] = {{c.x - r, c.y - r}, {c.x - r, c.y + r}, {c.x + r, c.y + r},
                            {c.x + r, c.y - r}};
    drawQuadOutline(square);
}
