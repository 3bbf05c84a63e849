#include "editor/world/Map_Aabb.h"

std::unique_ptr<GameObject> Map_Aabb::clone() const
{
    return std::unique_ptr<GameObject>(new Map_Aabb(*this));
}
