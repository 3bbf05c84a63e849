#pragma once

#include "editor/world/Vec2.h"

// The editor's 2D view: the world point at the centre of the window, how
// much of the world the window shows and how window pixels map to world
// units. World y grows upwards, window y downwards. Every change of the
// width keeps viewHeight = viewWidth / aspect.
class ViewCamera {
public:
    // Bounds of the drag zoom, in world units across the window.
    static constexpr float kMinViewWidth = 10.0f;
    static constexpr float kMaxViewWidth = 50000.0f;

    ViewCamera();
    ViewCamera(float width, float aspect, float x, float y);

    // The world point under window pixel (mx, my) of a window of the given size.
    Vec2 windowToWorld(int mx, int my, int windowWidth, int windowHeight) const;

    // Whether any of the box low..high lies in the view.
    bool sees(const Vec2& low, const Vec2& high) const;

    // Projection and look-at on the projection matrix; identity model-view.
    void applyViewTransform() const;

    // The window changed size: the same width of the world, a new height.
    void resize(int windowWidth, int windowHeight);
    void pan(const Vec2& delta);
    // Sets the width, clamped to the drag-zoom bounds.
    void setZoom(float width);
    // One tick of the Ctrl + right-button drag: dragging right zooms in. p is
    // the world point under the pointer before the change; anchor follows it.
    void zoomStep(const Vec2& p, Vec2& anchor);
    // Scales the height by factor and derives the width (keyboard zoom),
    // within the same bounds as the drag zoom.
    void scaleHeight(float factor);

    Vec2 position;
    Vec2 previousPosition;
    Vec2 target;
    Vec2 up{0.0f, 1.0f};
    float viewWidth = 1280.0f;
    float viewHeight = 800.0f;
    float aspect = 1.6f;

private:
    // The starting pose, kept from construction.
    struct Pose {
        Vec2 position;
        Vec2 up;
        float viewWidth;
        float aspect;
    };
    Pose start_;
};
