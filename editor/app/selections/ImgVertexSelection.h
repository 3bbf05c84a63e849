#pragma once

#include "editor/app/selections/VertexSelection.h"

class GameObject;

// One point of a drawable together with its texture coordinate, selected
// with the image tool. Its texture coordinate moves against the drag, the
// opposite sense of a whole drawable's.
class ImgVertexSelection : public VertexSelection {
public:
    // object: the drawable's owner, whose shape code the selection keeps.
    ImgVertexSelection(SelectionScene& scene, ImageGeometry& drawable, size_t index,
                       const GameObject& object);

    ImageGeometry& owner() const { return owner_; }
    Vec2* vertex() const override;
    // The texture coordinate of the same index; null when there is none.
    Vec2* texCoord() const;

    void translate(const Vec2& delta, bool moveTexture) override;
    void rotate(const Vec2& about, float angle, bool moveTexture) override;
    void scale(const Vec2& about, float sx, float sy, bool moveTexture) override;
    void translateTexture(const Vec2& delta) override;
    void rotateTexture(const Vec2& about, float angle) override;
    void scaleTexture(const Vec2& about, float sx, float sy) override;
    void refreshHighlight() override;
    void finishEdit() override;

private:
    ImageGeometry& owner_;
};
