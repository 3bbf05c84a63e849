#pragma once

#include "editor/world/Circle.h"

// A circle as placed in a map (also the marker of a spawn point).
class Map_Circle : public Circle {
public:
    using Circle::Circle;

    std::unique_ptr<GameObject> clone() const override;

private:
    Map_Circle(const Map_Circle& other) = default;
};
