#pragma once

#include "libs/zorir/RenderDesc.h"

#include <memory>

namespace Zorir {

// A scroll bar's track, and its thickness, which is also the side of its
// arrow buttons.
class ScrollBarDesc : public RenderDesc {
public:
    ScrollBarDesc();

    void draw(const Rectangle& rectangle) override;

    template <class Archive>
    void serialize(Archive& archive);

    std::unique_ptr<RenderDesc> background;
    std::unique_ptr<RenderDesc> border;
    float width = 16.0f;
};

}  // namespace Zorir
