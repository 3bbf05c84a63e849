#pragma once

#include "editor/world/Poly.h"

// A polygon as placed in a map.
class Map_Poly : public Poly {
public:
    using Poly::Poly;

    std::unique_ptr<GameObject> clone() const override;

private:
    Map_Poly(const Map_Poly& other) = default;
};
