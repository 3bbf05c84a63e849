#pragma once

#include "libs/zorir/RenderDesc.h"

#include <memory>

namespace Zorir {

class BasicButton;

// A check box's mark: one look while the owner is on, another while off.
class CheckDesc : public RenderDesc {
public:
    CheckDesc();

    void draw(const Rectangle& rectangle) override;

    template <class Archive>
    void serialize(Archive& archive);

    // The check box being drawn; set before each draw.
    BasicButton* owner = nullptr;
    std::unique_ptr<RenderDesc> checked;
    std::unique_ptr<RenderDesc> unchecked;
};

}  // namespace Zorir
