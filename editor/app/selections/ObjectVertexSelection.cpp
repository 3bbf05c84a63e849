#include "editor/app/selections/ObjectVertexSelection.h"

#include "editor/app/selections/SelectionList.h"
#include "editor/app/selections/SelectionScene.h"
#include "editor/world/Aabb.h"
#include "editor/world/Geometry.h"
#include "editor/world/Poly.h"

#include <array>

namespace {

// A vertex marker's border as a fraction of the view width.
constexpr float kMarkerBorderDivisor = 350.0f;

}  // namespace

ObjectVertexSelection::ObjectVertexSelection(SelectionScene& scene, GameObject& owner,
                                             size_t index)
    : VertexSelection(scene, kSelectObjectVertex, owner.geometry, index), owner_(owner)
{
    center = owner.center;
    refreshHighlight();
}

std::span<Vec2> ObjectVertexSelection::verticesOf(GameObject& object)
{
    if (auto* poly = dynamic_cast<Poly*>(&object)) return poly->points;
    if (auto* box = dynamic_cast<Aabb*>(&object)) return box->corners;
    return {};
}

Vec2* ObjectVertexSelection::vertex() const
{
    const std::span<Vec2> vertices = verticesOf(owner_);
    return index() < vertices.size() ? &vertices[index()] : nullptr;
}

Vec2 ObjectVertexSelection::getCenter() const
{
    Vec2 c;
    return owner_.getCenter(c);
}

void ObjectVertexSelection::translate(const Vec2& delta, bool)
{
    Vec2* v = vertex();
    if (!v) return;
    *v += delta;
    if (auto* box = dynamic_cast<Aabb*>(&owner_)) squareUpBox(*box, CornerEdit::Translate);
    updateOwner();
}

void ObjectVertexSelection::rotate(const Vec2& about, float angle, bool)
{
    Vec2* v = vertex();
    if (!v) return;
    *v = rotatePoint(*v, about, angle);
    if (auto* poly = dynamic_cast<Poly*>(&owner_)) poly->rebuildDrawables();
    if (auto* box = dynamic_cast<Aabb*>(&owner_)) box->rebuildDrawables();
}

void ObjectVertexSelection::scale(const Vec2& about, float sx, float sy, bool)
{
    Vec2* v = vertex();
    if (!v) return;
    *v = scalePoint(*v, about, sx, sy);
    if (auto* box = dynamic_cast<Aabb*>(&owner_)) squareUpBox(*box, CornerEdit::Scale);
    updateOwner();
    refreshHighlight();
}

void ObjectVertexSelection::squareUpBox(Aabb& box, CornerEdit edit)
{
    const size_t i = index();
    const Vec2 v = box.corners[i];
    const Vec2 o = box.corners[(i + 2) % 4];
    // Either assignment gives the same four points; the slots differ, and
    // sorting puts them in order again.
    const size_t sharesY = edit == CornerEdit::Translate ? (i + 3) % 4 : (i + 1) % 4;
    const size_t sharesX = edit == CornerEdit::Translate ? (i + 1) % 4 : (i + 3) % 4;
    box.corners[sharesY] = Vec2(o.x, v.y);
    box.corners[sharesX] = Vec2(v.x, o.y);
    sortCornersFollowingSelections(box);
    refreshHighlight();
}

void ObjectVertexSelection::sortCornersFollowingSelections(Aabb& box)
{
    const std::array<Vec2, 4> before = {box.corners[0], box.corners[1], box.corners[2],
                                        box.corners[3]};
    box.sortCorners();
    // newSlot[j]: where the corner that was in slot j went. Equal corners of
    // a flat box are told apart by taking each slot once.
    std::array<size_t, 4> newSlot = {0, 1, 2, 3};
    std::array<bool, 4> taken = {};
    for (size_t j = 0; j < 4; ++j) {
        for (size_t k = 0; k < 4; ++k) {
            if (!taken[k] && box.corners[k] == before[j]) {
                newSlot[j] = k;
                taken[k] = true;
                break;
            }
        }
    }
    auto follow = [&](ObjectVertexSelection& selection) {
        if (&selection.owner_ == &box && selection.index() < 4) {
            selection.setIndex(newSlot[selection.index()]);
        }
    };
    follow(*this);
    for (const auto& entry : scene().selections()) {
        auto* other = dynamic_cast<ObjectVertexSelection*>(entry.get());
        if (other && other != this) follow(*other);
    }
}

void ObjectVertexSelection::updateOwner()
{
    if (auto* poly = dynamic_cast<Poly*>(&owner_)) {
        poly->recomputeCenter();
        poly->rebuildDrawables();
    } else if (auto* box = dynamic_cast<Aabb*>(&owner_)) {
        box->recomputeCenter();
        box->rebuildDrawables();
    }
}

void ObjectVertexSelection::refreshHighlight()
{
    const Vec2* v = vertex();
    if (!v) return;
    buildVertexHighlight(*v, scene().viewWidth() / kMarkerBorderDivisor);
}

void ObjectVertexSelection::finishEdit()
{
    if (auto* poly = dynamic_cast<Poly*>(&owner_)) poly->recomputeCenter();
    if (auto* box = dynamic_cast<Aabb*>(&owner_)) box->recomputeCenter();
}
