#pragma once

#include "editor/world/GameObject.h"
#include "editor/world/ShapePairs.h"

#include <array>
#include <optional>

// The box shape: four corners, a textured body and an optional textured
// border. The constructors keep the corners in the order corner 0 = (min x,
// max y), 1 = (max x, max y), 2 = (max x, min y), 3 = (min x, min y), y up;
// sortCorners uses another order, but in both corner 1 holds the maxima and
// corner 3 the minima, which is all that the pair tests read.
class Circle;

class Aabb : public GameObject {
public:
    // The unit box (-1, 1) .. (1, -1) on layer 1 with a plain quad body,
    // type 1 so it is never outlined; for readers that set every field.
    Aabb();
    // A box of width x height around centre (negative sizes count by their
    // magnitude), with a border when borderSize > 0.
    Aabb(const Vec2& centre, float width, float height, uint16_t layer, uint32_t textureId,
         uint32_t borderTextureId, float borderSize, uint16_t uvMode);
    // A box reaching halfWidth and halfHeight from centre, without border.
    Aabb(const Vec2& centre, float halfWidth, float halfHeight, uint16_t layer,
         uint32_t textureId, uint16_t uvMode);

    void setRendImg(int32_t) override {}
    void translate(const Vec2& delta, int32_t passOn, bool skipDrawables) override;
    void scale(const Vec2& origin, float sx, float sy, int32_t passOn,
               bool skipDrawables) override;
    bool collides(GameObject& other) override;
    bool collideAndResolve(GameObject& other, Vec2& push) override;
    void drawGeometry() override;
    void updateCornerOffsets(const Vec2& offset) override;

    // Appends the body: a quad over the corners, or an animated sprite.
    void addBodyDrawable(bool animated, uint16_t uvMode);
    void recomputeCenter();
    // Makes the box a size x size square around its centre with one body.
    void setSquareSize(float size, uint32_t textureId);
    // Orders the corners counter-clockwise from the lower right.
    void sortCorners();
    // After a corner was edited: body (as animatedBody says), then border.
    void rebuildDrawables();
    // The border follows size: none at 0 or less, else a strip of that width
    // with the border texture, ahead of the body. The body stays as it is.
    void setBorderSize(float size);

    // The corners that pair tests use: the own ones, or a shifted copy
    // after a rewind.
    const Vec2* collisionCorners() const;
    bool ownsCollisionCorners() const { return shiftedCorners_.has_value(); }

    float width = 2.0f;
    float height = 2.0f;
    Vec2 corners[4];
    float borderSize = 0.0f;
    uint32_t textureId = 0;
    uint32_t borderTextureId = 0;
    Vec2 closestPoint;  // from the last box-circle test
    Vec2 closestDelta;  // closestPoint minus the circle's position

protected:
    Aabb(const Aabb& other);

private:
    void placeCorners(const Vec2& centre, float halfWidth, float halfHeight);
    std::unique_ptr<ImageGeometry> borderDrawable() const;
    // Where the circle meets this box; kept in closestPoint and closestDelta.
    BoxContact touch(const Circle& circle);
    // Mapping mode of the current body, kept when the drawables are rebuilt.
    uint16_t bodyUvMode() const;

    std::optional<std::array<Vec2, 4>> shiftedCorners_;
};
