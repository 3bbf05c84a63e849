#include "editor/app/selections/ObjectSelection.h"

#include "editor/app/selections/SelectionScene.h"
#include "editor/world/Aabb.h"
#include "editor/world/Bounds.h"
#include "editor/world/Circle.h"
#include "editor/world/Poly.h"

#include <iostream>

namespace {

constexpr float kHighlightBorder = 10.0f;

}  // namespace

ObjectSelection::ObjectSelection(SelectionScene& scene, GameObject& object)
    : Selection(scene, kSelectObject, object.geometry), object_(object)
{
    refreshHighlight();
}

Vec2 ObjectSelection::getPosition() const
{
    return object_.originalCenter();
}

void ObjectSelection::setPosition(const Vec2& position)
{
    object_.setOriginalCenter(position);
}

Vec2 ObjectSelection::getCenter() const
{
    Vec2 c;
    return object_.getCenter(c);
}

Vec2 ObjectSelection::getAnchor() const
{
    switch (geometryCode()) {
    case kGeometryCircle: return getCenter();
    case kGeometryPoly: {
        const auto* poly = dynamic_cast<const Poly*>(&object_);
        // A polygon without points has only its centre to align.
        if (!poly || poly->points.empty()) return getCenter();
        return poly->points.front();
    }
    case kGeometryBox: {
        // The top-left corner, whichever slot holds it after a corner edit
        // re-sorted the corners: corner 1 holds the maxima and 3 the minima
        // in either order.
        const auto* box = dynamic_cast<const Aabb*>(&object_);
        if (!box) return getCenter();
        return {box->corners[3].x, box->corners[1].y};
    }
    default:
        std::cout << "well thats not right" << std::endl;
        return {};
    }
}

void ObjectSelection::translate(const Vec2& delta, bool moveTexture)
{
    object_.translate(delta, moveTexture ? 1 : 0, false);
}

void ObjectSelection::rotate(const Vec2& about, float angle, bool moveTexture)
{
    object_.rotate(about, angle, moveTexture ? 1 : 0, false);
}

void ObjectSelection::scale(const Vec2& about, float sx, float sy, bool moveTexture)
{
    object_.scale(about, sx, sy, moveTexture ? 1 : 0, false);
}

bool ObjectSelection::isUnderCursor()
{
    return scene().cursorCircle().collides(object_);
}

GameObject* selectedObject(const Selection& selection)
{
    const auto* whole = dynamic_cast<const ObjectSelection*>(&selection);
    return whole ? &whole->object() : nullptr;
}

void ObjectSelection::refreshHighlight()
{
    // Left as they are for a shape code the bounds do not know.
    Vec2 low(0.0f, 0.0f);
    Vec2 high(1.0f, 1.0f);
    computeBounds(object_, low, high);
    buildHighlight(low, high, kHighlightBorder);
}
