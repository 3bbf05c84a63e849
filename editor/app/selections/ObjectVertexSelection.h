#pragma once

#include "editor/app/selections/VertexSelection.h"

#include <span>

class Aabb;
class GameObject;

// One vertex of an object selected with the select tool: a point of a
// polygon or a corner of a box. Moving a box corner keeps the box a
// rectangle; when the box then re-sorts its corners, every selection of a
// corner of that box follows its corner to the slot that now holds it.
class ObjectVertexSelection : public VertexSelection {
public:
    ObjectVertexSelection(SelectionScene& scene, GameObject& owner, size_t index);

    // The points a vertex pick offers: a polygon's outline, a box's four
    // corners, nothing for a circle.
    static std::span<Vec2> verticesOf(GameObject& object);

    GameObject& owner() const { return owner_; }
    Vec2* vertex() const override;

    Vec2 getCenter() const override;
    void translate(const Vec2& delta, bool moveTexture) override;
    void rotate(const Vec2& about, float angle, bool moveTexture) override;
    void scale(const Vec2& about, float sx, float sy, bool moveTexture) override;
    void refreshHighlight() override;
    void finishEdit() override;

private:
    enum class CornerEdit { Translate, Scale };

    // The two neighbours of the moved corner take one coordinate each from
    // it and the other from the opposite corner.
    void squareUpBox(Aabb& box, CornerEdit edit);
    void sortCornersFollowingSelections(Aabb& box);
    // Centre and drawables anew from the edited points.
    void updateOwner();

    GameObject& owner_;
};
