#include "editor/world/Map_Poly.h"

std::unique_ptr<GameObject> Map_Poly::clone() const
{
    return std::unique_ptr<GameObject>(new Map_Poly(*this));
}
