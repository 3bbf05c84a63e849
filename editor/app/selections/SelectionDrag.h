#pragma once

#include "editor/app/selections/SelectionLevel.h"
#include "editor/world/Vec2.h"

#include <functional>
#include <vector>

// What the property panel's mode boxes make a drag change.
struct DragModes {
    // Texture coordinates move along with the points.
    bool dragUV = false;
    // Only the texture coordinates move (the image tool's mode).
    bool editUV = false;
};

// One step of a drag on the selections of one level, shared by the select
// and image tools: turn (Ctrl), scale (Alt), move, or move so that each
// anchor lands on a grid point. Each highlight follows its selection.
class SelectionDrag {
public:
    SelectionDrag(SelectionLevel level, DragModes modes);

    // The turn of a drag step: 1/80 radian per world unit to the right.
    static float rotationAngle(const Vec2& delta);
    // The scale of a drag step: three times the step's share of the view
    // width, plus one; the same on both axes when uniform. Never zero or
    // below, so nothing collapses or turns inside out.
    static Vec2 scaleFactors(const Vec2& delta, float viewWidth, bool uniform);

    // Each selection turns about its own centre; at the object level boxes
    // do not turn.
    void rotate(const std::vector<Selection*>& moved, float angle) const;
    // At the object level everything scales about the drag's pivot; at the
    // image level each about its own centre, or, when only textures move,
    // all about the centre of the first.
    void scale(const std::vector<Selection*>& moved, const Vec2& pivot,
               const Vec2& factors) const;
    void move(const std::vector<Selection*>& moved, const Vec2& delta) const;
    // Moves each anchor by the pointer's motion since lastPoint, snapped to
    // the grid; lastPoint advances by the last selection's snapped motion
    // and so keeps the remainder of the pointer's motion.
    void snapMove(const std::vector<Selection*>& moved, const Vec2& pointer, Vec2& lastPoint,
                  const std::function<Vec2(const Vec2&)>& snap) const;

private:
    // The points, the texture coordinates, or both, as the modes say.
    template <typename Geometry, typename Texture>
    void apply(Geometry geometry, Texture texture) const;
    void shift(Selection& selection, const Vec2& delta) const;
    Vec2 scalePivot(const Selection& selection, const Selection& first, const Vec2& pivot) const;

    SelectionLevel level_;
    DragModes modes_;
};
