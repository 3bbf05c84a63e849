#include "editor/app/selections/SelectionPicker.h"

#include "editor/app/selections/ImgGeoSelection.h"
#include "editor/app/selections/ImgVertexSelection.h"
#include "editor/app/selections/ObjectSelection.h"
#include "editor/app/selections/ObjectVertexSelection.h"
#include "editor/app/selections/PickToggles.h"
#include "editor/app/selections/SelectionList.h"
#include "editor/app/selections/SelectionScene.h"
#include "editor/world/Aabb.h"
#include "editor/world/Circle.h"
#include "editor/world/Geometry.h"
#include "editor/world/Map.h"

#include <algorithm>
#include <iostream>

namespace {

// How far from a vertex a rubber band or a click still takes it.
constexpr float kVertexReach = 5.0f;

}  // namespace

SelectionPicker::SelectionPicker(SelectionScene& scene, std::span<GameObject* const> drawList,
                                 Map& map)
    : scene_(scene), drawList_(drawList), map_(map)
{
}

void SelectionPicker::spanBand(Aabb& band, const Vec2& a, const Vec2& b)
{
    const float minX = std::min(a.x, b.x);
    const float maxX = std::max(a.x, b.x);
    const float minY = std::min(a.y, b.y);
    const float maxY = std::max(a.y, b.y);
    band.corners[0] = Vec2(minX, maxY);
    band.corners[1] = Vec2(maxX, maxY);
    band.corners[2] = Vec2(maxX, minY);
    band.corners[3] = Vec2(minX, minY);
}

void SelectionPicker::pickInBand(SelectionLevel level, bool vertices, Aabb& band)
{
    PickToggles toggles(scene_.selections());
    if (level == SelectionLevel::Object) {
        vertices ? objectVerticesInBand(toggles, band) : objectsInBand(toggles, band);
    } else {
        vertices ? drawableVerticesInBand(toggles, band) : drawablesInBand(toggles, band);
    }
    toggles.finish();
}

void SelectionPicker::pickAtCursor(SelectionLevel level, bool vertices)
{
    PickToggles toggles(scene_.selections());
    if (level == SelectionLevel::Object) {
        vertices ? objectVerticesAtCursor(toggles) : objectAtCursor(toggles);
    } else {
        vertices ? drawableVerticesAtCursor(toggles) : drawablesAtCursor(toggles);
    }
    toggles.finish();
}

template <typename Visit>
void SelectionPicker::walkPickable(Visit visit)
{
    for (auto it = drawList_.rbegin(); it != drawList_.rend(); ++it) {
        GameObject* object = *it;
        if (!object || object->locked) continue;
        if (!visit(*object)) return;
    }
}

bool SelectionPicker::nearCursor(const Vec2& p) const
{
    Circle& cursor = scene_.cursorCircle();
    Vec2 c;
    cursor.getCenter(c);
    const Vec2 d = p - c;
    return floatSqrt(dot(d, d)) < cursor.radius + kVertexReach;
}

void SelectionPicker::toggleObject(PickToggles& toggles, GameObject& object)
{
    toggles.toggle(kSelectObject, &object,
                   [&] { return std::make_unique<ObjectSelection>(scene_, object); });
}

void SelectionPicker::toggleObjectVertex(PickToggles& toggles, GameObject& object, size_t index)
{
    toggles.toggle(kSelectObjectVertex, &ObjectVertexSelection::verticesOf(object)[index], [&] {
        return std::make_unique<ObjectVertexSelection>(scene_, object, index);
    });
}

void SelectionPicker::toggleDrawable(PickToggles& toggles, GameObject& object,
                                     ImageGeometry& drawable)
{
    toggles.toggle(kSelectImageGeometry, &drawable, [&] {
        return std::make_unique<ImgGeoSelection>(scene_, drawable, object);
    });
}

void SelectionPicker::toggleDrawableVertex(PickToggles& toggles, GameObject& object,
                                           ImageGeometry& drawable, size_t index)
{
    toggles.toggle(kSelectImageVertex, &drawable.points[index], [&] {
        return std::make_unique<ImgVertexSelection>(scene_, drawable, index, object);
    });
}

void SelectionPicker::objectsInBand(PickToggles& toggles, Aabb& band)
{
    walkPickable([&](GameObject& object) {
        if (band.collides(object)) toggleObject(toggles, object);
        return true;
    });
    for (const auto& spawns : map_.spawnLists) {
        for (const auto& spawn : spawns) {
            if (spawn->marker && band.collides(*spawn->marker)) {
                toggleObject(toggles, *spawn->marker);
            }
        }
    }
}

bool SelectionPicker::spawnAtCursor(PickToggles& toggles)
{
    Circle& cursor = scene_.cursorCircle();
    bool picked = false;
    for (const auto& spawns : map_.spawnLists) {
        for (const auto& spawn : spawns) {
            if (spawn->marker && cursor.collides(*spawn->marker)) {
                std::cout << "DRAGGING?" << std::endl;
                toggleObject(toggles, *spawn->marker);
                picked = true;
                break;
            }
        }
    }
    return picked;
}

void SelectionPicker::objectAtCursor(PickToggles& toggles)
{
    if (spawnAtCursor(toggles)) return;
    Circle& cursor = scene_.cursorCircle();
    walkPickable([&](GameObject& object) {
        if (!cursor.collides(object)) return true;
        toggleObject(toggles, object);
        return false;
    });
}

void SelectionPicker::objectVerticesInBand(PickToggles& toggles, Aabb& band)
{
    walkPickable([&](GameObject& object) {
        const auto vertices = ObjectVertexSelection::verticesOf(object);
        for (size_t i = 0; i < vertices.size(); ++i) {
            if (circleOverlapsBox(band.corners, vertices[i], kVertexReach)) {
                toggleObjectVertex(toggles, object, i);
            }
        }
        return true;
    });
}

void SelectionPicker::objectVerticesAtCursor(PickToggles& toggles)
{
    walkPickable([&](GameObject& object) {
        const auto vertices = ObjectVertexSelection::verticesOf(object);
        for (size_t i = 0; i < vertices.size(); ++i) {
            if (nearCursor(vertices[i])) toggleObjectVertex(toggles, object, i);
        }
        return true;
    });
}

void SelectionPicker::drawablesInBand(PickToggles& toggles, Aabb& band)
{
    walkPickable([&](GameObject& object) {
        for (const auto& drawable : object.drawables) {
            if (polygonOverlapsBox(band.corners, drawable->points)) {
                toggleDrawable(toggles, object, *drawable);
            }
        }
        return true;
    });
}

void SelectionPicker::drawablesAtCursor(PickToggles& toggles)
{
    Circle& cursor = scene_.cursorCircle();
    Vec2 c;
    cursor.getCenter(c);
    walkPickable([&](GameObject& object) {
        for (const auto& drawable : object.drawables) {
            if (!circleOverlapsPolygon(c, cursor.radius, drawable->points)) continue;
            toggleDrawable(toggles, object, *drawable);
            break;
        }
        return true;
    });
}

void SelectionPicker::drawableVerticesInBand(PickToggles& toggles, Aabb& band)
{
    walkPickable([&](GameObject& object) {
        for (const auto& drawable : object.drawables) {
            for (size_t i = 0; i < drawable->points.size(); ++i) {
                if (circleOverlapsBox(band.corners, drawable->points[i], kVertexReach)) {
                    toggleDrawableVertex(toggles, object, *drawable, i);
                }
            }
        }
        return true;
    });
}

void SelectionPicker::drawableVerticesAtCursor(PickToggles& toggles)
{
    walkPickable([&](GameObject& object) {
        for (const auto& drawable : object.drawables) {
            for (size_t i = 0; i < drawable->points.size(); ++i) {
                if (!nearCursor(drawable->points[i])) continue;
                toggleDrawableVertex(toggles, object, *drawable, i);
                break;
            }
        }
        return true;
    });
}
