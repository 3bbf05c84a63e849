#pragma once

#include "libs/zorir/RenderDesc.h"

#include <memory>

namespace Zorir {

// A panel's look: a background and a border behind its children.
class PanelDesc : public RenderDesc {
public:
    PanelDesc();

    void draw(const Rectangle& rectangle) override;

    template <class Archive>
    void serialize(Archive& archive);

    std::unique_ptr<RenderDesc> background;
    std::unique_ptr<RenderDesc> border;
};

}  // namespace Zorir
