#pragma once

#include "editor/app/selections/Selection.h"

#include <cstddef>

// One vertex selected, of an object or of a drawable. The vertex is kept as
// an index into its owner's point storage and looked up at each use, so a
// point list that grew or shrank never leaves the selection pointing into
// freed memory; an index past the end makes every operation do nothing.
class VertexSelection : public Selection {
public:
    // The picked point; null when the owner no longer has it.
    virtual Vec2* vertex() const = 0;
    size_t index() const { return index_; }

    // The centre of the owner when it was picked or last edited.
    Vec2 getCenter() const override { return center; }
    Vec2 getAnchor() const override;
    // Within reach of the pointer's circle, with a margin that keeps the
    // same size on screen at every zoom.
    bool isUnderCursor() override;
    const void* target() const override { return vertex(); }

    Vec2 center;
    Vec2 texCenter;

protected:
    VertexSelection(SelectionScene& scene, SelectionKind kind, uint16_t geometryCode,
                    size_t index);

    void setIndex(size_t index) { index_ = index; }

private:
    size_t index_;
};
