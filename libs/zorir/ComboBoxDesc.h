#pragma once

#include "libs/zorir/RenderDesc.h"
#include "libs/zorir/TextDesc.h"

#include <memory>

namespace Zorir {

class ComboBox;

// A combo box's look: background, border, the current text and a drop-down
// arrow at the right end.
class ComboBoxDesc : public RenderDesc {
public:
    ComboBoxDesc();

    void draw(const Rectangle& rectangle) override;

    template <class Archive>
    void serialize(Archive& archive);

    std::unique_ptr<RenderDesc> background;
    std::unique_ptr<RenderDesc> border;
    std::unique_ptr<TextDesc> textDesc;
    // The combo box being drawn; set before each draw.
    ComboBox* owner = nullptr;
};

}  // namespace Zorir
