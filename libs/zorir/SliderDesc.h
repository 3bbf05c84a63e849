#pragma once

#include "libs/zorir/Color.h"
#include "libs/zorir/RenderDesc.h"

#include <memory>

namespace Zorir {

// A slider's look. No widget draws ticks yet: their colour and width are
// kept so that schemes naming them load and write back whole.
class SliderDesc : public RenderDesc {
public:
    SliderDesc();

    void draw(const Rectangle& rectangle) override;

    template <class Archive>
    void serialize(Archive& archive);

    std::unique_ptr<RenderDesc> background;
    std::unique_ptr<RenderDesc> border;
    Color tickColor{1.0f, 1.0f, 1.0f, 0.75f};
    float tickWidth = 1.0f;
};

}  // namespace Zorir
