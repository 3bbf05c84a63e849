#pragma once

#include "libs/zorir/Vector2.h"

namespace Zorir {

// An axis-aligned rectangle in screen pixels: top-left corner and size.
// The corner constructors normalise, so width and height are never negative.
struct Rectangle {
    float x = 0.0f;
    float y = 0.0f;
    float width = 0.0f;
    float height = 0.0f;

    Rectangle() = default;
    Rectangle(const Vector2& corner1, const Vector2& corner2);
    Rectangle(float x1, float y1, float x2, float y2);

    // Both edges count as inside.
    bool contains(const Vector2& point) const;

    Vector2 topLeft() const { return {x, y}; }
    Vector2 topRight() const { return {x + width, y}; }
    Vector2 bottomLeft() const { return {x, y + height}; }
    Vector2 bottomRight() const { return {x + width, y + height}; }
    Vector2 center() const { return {x + 0.5f * width, y + 0.5f * height}; }

    void expand(float distance);
    void expandHorizontally(float distance);
    // Each value to the nearest whole pixel, halves rounding up.
    void round();

    bool operator==(const Rectangle& other) const = default;
};

}  // namespace Zorir
