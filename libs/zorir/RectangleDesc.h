#pragma once

#include "libs/zorir/Color.h"
#include "libs/zorir/RenderDesc.h"

#include <cstdint>

namespace Zorir {

// A rectangle's outline: plain in the first colour, or a bevel that looks
// dropped (bottom and right edges in the first colour) or raised (the same
// with the colours exchanged).
class RectangleDesc : public RenderDesc {
public:
    enum Style : int32_t { Normal = 0, Dropped = 1, Raised = 2 };
    static constexpr const char* styleNames[] = {"normal", "dropped", "raised"};

    explicit RectangleDesc(Style style_ = Normal) : style(style_) {}

    void draw(const Rectangle& rectangle) override;

    template <class Archive>
    void serialize(Archive& archive);

    Style style;
    Color color1{1.0f, 1.0f, 1.0f, 0.5f};
    Color color2{0.0f, 0.0f, 0.0f, 0.5f};
    float lineWidth = 1.0f;
};

}  // namespace Zorir
