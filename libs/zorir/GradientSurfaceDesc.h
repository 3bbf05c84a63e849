#pragma once

#include "libs/zorir/Color.h"
#include "libs/zorir/RenderDesc.h"

#include <cstdint>

namespace Zorir {

// A rectangle shaded from one colour to another: left to right when
// horizontal, bottom to top when vertical.
class GradientSurfaceDesc : public RenderDesc {
public:
    enum Orientation : int32_t { Horizontal = 0, Vertical = 1 };
    static constexpr const char* orientationNames[] = {"horizontal", "vertical"};

    void draw(const Rectangle& rectangle) override;

    template <class Archive>
    void serialize(Archive& archive);

    Color color1{0.35f, 0.35f, 0.35f, 0.5f};
    Color color2{0.35f, 0.35f, 0.35f, 0.5f};
    Orientation orientation = Horizontal;
};

}  // namespace Zorir
