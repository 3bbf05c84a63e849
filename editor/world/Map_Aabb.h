#pragma once

#include "editor/world/Aabb.h"

// A box as placed in a map.
class Map_Aabb : public Aabb {
public:
    using Aabb::Aabb;

    std::unique_ptr<GameObject> clone() const override;

private:
    Map_Aabb(const Map_Aabb& other) = default;
};
