#pragma once

#include "editor/world/GameObject.h"

#include <optional>
#include <vector>

// The polygon shape: an outline (the last point joins the first), a body
// drawn as one textured polygon and an optional textured border strip.
class Poly : public GameObject {
public:
    // No points yet; for readers that set every field.
    Poly();
    // The outline moved so that its mean lands on position; a border strip
    // of lineWidth comes first when lineWidth > 0, then the body.
    Poly(const std::vector<Vec2>& outline, const Vec2& position, uint16_t layer, float lineWidth,
         uint32_t rendImg, uint32_t borderTextureId);

    // Stores the body texture; the drawables keep theirs until rebuilt.
    void setRendImg(int32_t value) override;
    void translate(const Vec2& delta, int32_t passOn, bool skipDrawables) override;
    void rotate(const Vec2& origin, float angle, int32_t passOn, bool skipDrawables) override;
    void scale(const Vec2& origin, float sx, float sy, int32_t passOn,
               bool skipDrawables) override;
    bool collides(GameObject& other) override;
    bool collideAndResolve(GameObject& other, Vec2& push) override;
    void drawGeometry() override;
    void updateCornerOffsets(const Vec2& offset) override;

    // The mean of the points; (0, 0) without points.
    void recomputeCenter();
    // After a vertex edit: border and body anew from the current points.
    void rebuildDrawables();
    // The border follows width: none at 0 or less, else a strip of that
    // width with the border texture, ahead of the body, which stays as it is.
    void setLineWidth(float width);

    // The points that pair tests use: the own ones, or a shifted copy after
    // a rewind.
    const std::vector<Vec2>& collisionPoints() const;
    bool ownsCollisionPoints() const { return shiftedPoints_.has_value(); }

    std::vector<Vec2> points;
    float LineWidth = 0.0f;  // border width; 0 for none
    uint32_t RendImg = 0;    // body texture
    uint32_t borderTextureId = 0;

protected:
    Poly(const Poly& other);

private:
    void addDrawables();
    std::unique_ptr<ImageGeometry> borderDrawable() const;

    std::optional<std::vector<Vec2>> shiftedPoints_;
};
