#pragma once

#include "editor/world/ImageGeometry.h"
#include "editor/world/Vec2.h"

#include <cstdint>
#include <memory>

class SelectionScene;

// What a selection holds; also tells the select tool's selections (object
// level) from the image tool's.
enum SelectionKind : uint16_t {
    kSelectObject = 0,
    kSelectObjectVertex = 1,
    kSelectImageVertex = 2,
    kSelectImageGeometry = 3,
};

// One selected item of the editor: a whole object, a vertex of one, a
// drawable of one or a vertex of a drawable. It owns a pink highlight that
// marks it in the view. The tools move, turn and scale through the
// operations below; the texture operations act on texture coordinates and
// only the image kinds give them a body.
class Selection {
public:
    Selection(SelectionScene& scene, SelectionKind kind, uint16_t geometryCode);
    virtual ~Selection();
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

    virtual Vec2 getPosition() const { return {}; }
    virtual void setPosition(const Vec2&) {}
    virtual Vec2 getCenter() const { return {}; }
    // The point that grid snapping puts on a grid point.
    virtual Vec2 getAnchor() const { return {}; }
    virtual void translate(const Vec2&, bool /*moveTexture*/) {}
    virtual void rotate(const Vec2& /*about*/, float /*angle*/, bool /*moveTexture*/) {}
    virtual void scale(const Vec2& /*about*/, float /*sx*/, float /*sy*/, bool /*moveTexture*/) {}
    virtual void translateTexture(const Vec2&) {}
    virtual void rotateTexture(const Vec2& /*about*/, float /*angle*/) {}
    virtual void scaleTexture(const Vec2& /*about*/, float /*sx*/, float /*sy*/) {}
    virtual bool isUnderCursor() { return false; }
    virtual void refreshHighlight() = 0;
    virtual void finishEdit();

    // The thing selected (object, drawable or vertex storage); a pick
    // compares it to tell whether that thing is selected already. Null once
    // a vertex is gone.
    virtual const void* target() const = 0;

    SelectionKind kind() const { return kind_; }
    // The select tool's kinds; the image tool works on the others.
    bool objectLevel() const { return kind_ == kSelectObject || kind_ == kSelectObjectVertex; }
    bool isVertex() const { return kind_ == kSelectObjectVertex || kind_ == kSelectImageVertex; }
    // Shape code of the object concerned, taken when it was selected.
    uint16_t geometryCode() const { return geometryCode_; }

    // The marker follows a drag without being rebuilt; none is built for a
    // drawable without points, so each of these does nothing then.
    const ImageGeometry* highlight() const { return highlight_.get(); }
    void translateHighlight(const Vec2& delta);
    void rotateHighlight(const Vec2& about, float angle);
    void scaleHighlight(const Vec2& about, float sx, float sy);
    // The draw pass: every kind but the image vertex takes the common
    // border width of the view first (the image vertex keeps its own).
    void drawHighlight();

protected:
    SelectionScene& scene() const { return scene_; }
    // A pink frame of the given border width inside the box low..high.
    void buildHighlight(const Vec2& low, const Vec2& high, float borderSize);
    // A square frame around a vertex that keeps its size on screen.
    void buildVertexHighlight(const Vec2& vertex, float borderSize);

private:
    SelectionScene& scene_;
    // The highlight draws at this layer through its layer reference.
    uint16_t highlightLayer_ = 0;
    std::unique_ptr<ImageGeometry> highlight_;
    const SelectionKind kind_;
    const uint16_t geometryCode_;
};
