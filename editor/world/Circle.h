#pragma once

#include "editor/world/GameObject.h"
#include "editor/world/ShapePairs.h"

class Aabb;

// The round shape: a radius around the centre, shown as a textured square.
// Pair tests use its collision position and radius.
class Circle : public GameObject {
public:
    // Radius 1 at the origin on layer 1, type 1 so it is never outlined.
    Circle();
    // The body covers the square around the circle once (stretched).
    Circle(const Vec2& centre, float radius, uint16_t layer, uint32_t textureId);

    void setRendImg(int32_t) override {}
    void translate(const Vec2& delta, int32_t passOn, bool skipDrawables) override;
    void rotate(const Vec2& origin, float angle, int32_t passOn, bool skipDrawables) override;
    // Uniform by sx; sy is not used.
    void scale(const Vec2& origin, float sx, float sy, int32_t passOn,
               bool skipDrawables) override;
    bool collides(GameObject& other) override;
    bool collideAndResolve(GameObject& other, Vec2& push) override;
    void drawGeometry() override;

    float radius = 1.0f;
    Vec2 closestPoint;  // from the last circle-box test
    Vec2 closestDelta;  // closestPoint minus the collision position

protected:
    Circle(const Circle& other);

private:
    // Where this circle meets the box; kept in closestPoint and closestDelta.
    BoxContact touch(const Aabb& box);
};
