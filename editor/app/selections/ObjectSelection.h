#pragma once

#include "editor/app/selections/Selection.h"

class GameObject;

// A whole object selected with the select tool. Moving it also moves its
// parallax anchor, so a parallax object keeps its new place when the camera
// moves.
class ObjectSelection : public Selection {
public:
    ObjectSelection(SelectionScene& scene, GameObject& object);

    GameObject& object() const { return object_; }

    Vec2 getPosition() const override;
    void setPosition(const Vec2& position) override;
    Vec2 getCenter() const override;
    Vec2 getAnchor() const override;
    void translate(const Vec2& delta, bool moveTexture) override;
    void rotate(const Vec2& about, float angle, bool moveTexture) override;
    void scale(const Vec2& about, float sx, float sy, bool moveTexture) override;
    bool isUnderCursor() override;
    void refreshHighlight() override;
    const void* target() const override { return &object_; }

private:
    GameObject& object_;
};

// The object of a whole-object selection; null for every other kind.
GameObject* selectedObject(const Selection& selection);
