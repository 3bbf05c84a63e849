#pragma once

#include "editor/app/selections/Selection.h"

class GameObject;

// One drawable of an object, selected with the image tool. Its points move
// like the object's would; its texture coordinates move in texture space,
// and a texture turned by this selection slides along the drag as seen on
// screen.
class ImgGeoSelection : public Selection {
public:
    // object: the drawable's owner, whose shape code the selection keeps.
    ImgGeoSelection(SelectionScene& scene, ImageGeometry& drawable, const GameObject& object);

    ImageGeometry& drawable() const { return drawable_; }
    // The sum of every angle the texture was turned by.
    float textureAngle() const { return textureAngle_; }

    Vec2 getCenter() const override;
    Vec2 getAnchor() const override;
    void translate(const Vec2& delta, bool moveTexture) override;
    void rotate(const Vec2& about, float angle, bool moveTexture) override;
    void scale(const Vec2& about, float sx, float sy, bool moveTexture) override;
    void translateTexture(const Vec2& delta) override;
    void rotateTexture(const Vec2& about, float angle) override;
    void scaleTexture(const Vec2& about, float sx, float sy) override;
    bool isUnderCursor() override;
    void refreshHighlight() override;
    const void* target() const override { return &drawable_; }

private:
    ImageGeometry& drawable_;
    float textureAngle_ = 0.0f;
};
