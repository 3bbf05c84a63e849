#pragma once

namespace Zorir {

// A point or a size in screen pixels (origin top left, y down).
struct Vector2 {
    float x = 0.0f;
    float y = 0.0f;

    Vector2() = default;
    Vector2(float x_, float y_) : x(x_), y(y_) {}

    Vector2 operator+(const Vector2& other) const { return {x + other.x, y + other.y}; }
    bool operator==(const Vector2& other) const = default;
};

}  // namespace Zorir
