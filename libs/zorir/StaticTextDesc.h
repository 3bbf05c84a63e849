#pragma once

#include "libs/zorir/RenderDesc.h"
#include "libs/zorir/TextDesc.h"

#include <memory>

namespace Zorir {

class Window;

// A label's look: background and border, then the owner's text word-wrapped
// and clipped to the rectangle.
class StaticTextDesc : public RenderDesc {
public:
    StaticTextDesc();

    void draw(const Rectangle& rectangle) override;

    template <class Archive>
    void serialize(Archive& archive);

    // The label being drawn; set before each draw.
    Window* owner = nullptr;
    std::unique_ptr<RenderDesc> background;
    std::unique_ptr<RenderDesc> border;
    std::unique_ptr<TextDesc> textDesc;
};

}  // namespace Zorir
