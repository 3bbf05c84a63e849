#include "editor/app/selections/VertexSelection.h"

#include "editor/app/selections/SelectionScene.h"
#include "editor/world/Circle.h"
#include "editor/world/Geometry.h"

namespace {

// The pick margin as a fraction of the view width.
constexpr float kPickMarginDivisor = 150.0f;

}  // namespace

VertexSelection::VertexSelection(SelectionScene& scene, SelectionKind kind,
                                 uint16_t geometryCode, size_t index)
    : Selection(scene, kind, geometryCode), index_(index)
{
}

Vec2 VertexSelection::getAnchor() const
{
    const Vec2* v = vertex();
    return v ? *v : Vec2();
}

bool VertexSelection::isUnderCursor()
{
    const Vec2* v = vertex();
    if (!v) return false;
    Circle& cursor = scene().cursorCircle();
    Vec2 c;
    cursor.getCenter(c);
    const Vec2 d = *v - c;
    return floatSqrt(dot(d, d)) < cursor.radius + scene().viewWidth() / kPickMarginDivisor;
}
