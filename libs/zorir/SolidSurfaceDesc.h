#pragma once

#include "libs/zorir/Color.h"
#include "libs/zorir/RenderDesc.h"

namespace Zorir {

// A rectangle filled with one colour.
class SolidSurfaceDesc : public RenderDesc {
public:
    SolidSurfaceDesc() = default;
    explicit SolidSurfaceDesc(const Color& color_) : color(color_) {}

    void draw(const Rectangle& rectangle) override;

    template <class Archive>
    void serialize(Archive& archive);

    Color color{0.35f, 0.35f, 0.35f, 0.5f};
};

}  // namespace Zorir
