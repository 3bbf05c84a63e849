#include "editor/app/selections/SelectionDrag.h"

#include "editor/world/GameObject.h"

#include <algorithm>

namespace {

// World units of horizontal drag per radian of turn.
constexpr float kDragPerRadian = 80.0f;
constexpr float kScaleGain = 3.0f;
constexpr float kSmallestScale = 0.01f;

}  // namespace

SelectionDrag::SelectionDrag(SelectionLevel level, DragModes modes)
    : level_(level), modes_(modes)
{
}

float SelectionDrag::rotationAngle(const Vec2& delta)
{
    return delta.x / kDragPerRadian;
}

Vec2 SelectionDrag::scaleFactors(const Vec2& delta, float viewWidth, bool uniform)
{
    const float sx = std::max(delta.x / viewWidth * kScaleGain + 1.0f, kSmallestScale);
    const float sy = std::max(delta.y / viewWidth * kScaleGain + 1.0f, kSmallestScale);
    return {sx, uniform ? sx : sy};
}

template <typename Geometry, typename Texture>
void SelectionDrag::apply(Geometry geometry, Texture texture) const
{
    if (level_ == SelectionLevel::Image && modes_.editUV) {
        texture();
        return;
    }
    geometry();
    if (modes_.dragUV) texture();
}

void SelectionDrag::rotate(const std::vector<Selection*>& moved, float angle) const
{
    for (Selection* s : moved) {
        if (level_ == SelectionLevel::Object && s->geometryCode() == kGeometryBox) continue;
        const Vec2 c = s->getCenter();
        s->rotateHighlight(c, angle);
        apply([&] { s->rotate(c, angle, modes_.dragUV); }, [&] { s->rotateTexture(c, angle); });
    }
}

Vec2 SelectionDrag::scalePivot(const Selection& selection, const Selection& first,
                               const Vec2& pivot) const
{
    if (level_ == SelectionLevel::Object) return pivot;
    return modes_.editUV ? first.getCenter() : selection.getCenter();
}

void SelectionDrag::scale(const std::vector<Selection*>& moved, const Vec2& pivot,
                          const Vec2& factors) const
{
    if (moved.empty()) return;
    const float sx = factors.x;
    const float sy = factors.y;
    for (Selection* s : moved) {
        const Vec2 p = scalePivot(*s, *moved.front(), pivot);
        // A circle stays round, so its marker does too.
        s->scaleHighlight(p, sx, s->geometryCode() == kGeometryCircle ? sx : sy);
        apply([&] { s->scale(p, sx, sy, modes_.dragUV); }, [&] { s->scaleTexture(p, sx, sy); });
    }
}

void SelectionDrag::shift(Selection& selection, const Vec2& delta) const
{
    selection.translateHighlight(delta);
    apply([&] { selection.translate(delta, modes_.dragUV); },
          [&] { selection.translateTexture(delta); });
}

void SelectionDrag::move(const std::vector<Selection*>& moved, const Vec2& delta) const
{
    // The objects take their parallax anchors along.
    for (Selection* s : moved) shift(*s, delta);
}

void SelectionDrag::snapMove(const std::vector<Selection*>& moved, const Vec2& pointer,
                             Vec2& lastPoint, const std::function<Vec2(const Vec2&)>& snap) const
{
    const Vec2 motion = pointer - lastPoint;
    Vec2 lastStep;
    for (Selection* s : moved) {
        const Vec2 target = snap(s->getAnchor() + motion);
        lastStep = target - s->getAnchor();
        shift(*s, lastStep);
    }
    lastPoint += lastStep;
}
