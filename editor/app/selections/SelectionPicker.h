#pragma once

#include "editor/app/selections/SelectionLevel.h"
#include "editor/world/Vec2.h"

#include <span>

class Aabb;
class GameObject;
class ImageGeometry;
class Map;
class PickToggles;
class SelectionScene;

// The picks of a left release, for both tools: a rubber band selects or
// deselects everything of the level it reaches, a click what lies under the
// pointer's circle. Objects are tried from the top of the drawing order
// down; locked objects are never picked. Only whole-object picks reach the
// spawn markers.
class SelectionPicker {
public:
    // drawList: the objects in drawing order, topmost last.
    SelectionPicker(SelectionScene& scene, std::span<GameObject* const> drawList, Map& map);

    void pickInBand(SelectionLevel level, bool vertices, Aabb& band);
    // The cursor circle must already sit at the pointer.
    void pickAtCursor(SelectionLevel level, bool vertices);

    // Puts the band's corners on the rectangle spanned by a and b, in the
    // order boxes are built in.
    static void spanBand(Aabb& band, const Vec2& a, const Vec2& b);

private:
    void objectsInBand(PickToggles& toggles, Aabb& band);
    void objectAtCursor(PickToggles& toggles);
    bool spawnAtCursor(PickToggles& toggles);
    void objectVerticesInBand(PickToggles& toggles, Aabb& band);
    void objectVerticesAtCursor(PickToggles& toggles);
    void drawablesInBand(PickToggles& toggles, Aabb& band);
    void drawablesAtCursor(PickToggles& toggles);
    void drawableVerticesInBand(PickToggles& toggles, Aabb& band);
    void drawableVerticesAtCursor(PickToggles& toggles);

    void toggleObject(PickToggles& toggles, GameObject& object);
    void toggleObjectVertex(PickToggles& toggles, GameObject& object, size_t index);
    void toggleDrawable(PickToggles& toggles, GameObject& object, ImageGeometry& drawable);
    void toggleDrawableVertex(PickToggles& toggles, GameObject& object, ImageGeometry& drawable,
                              size_t index);
    // The objects a pick may take, topmost first; visit returns false to
    // end the walk.
    template <typename Visit>
    void walkPickable(Visit visit);
    // Whether p lies within the vertex reach of the cursor circle.
    bool nearCursor(const Vec2& p) const;

    SelectionScene& scene_;
    std::span<GameObject* const> drawList_;
    Map& map_;
};
