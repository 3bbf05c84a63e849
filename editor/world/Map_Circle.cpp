#include "editor/world/Map_Circle.h"

std::unique_ptr<GameObject> Map_Circle::clone() const
{
    return std::unique_ptr<GameObject>(new Map_Circle(*this));
}
