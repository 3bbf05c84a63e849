#pragma once

#include "libs/zorir/Color.h"
#include "libs/zorir/RectangleDesc.h"
#include "libs/zorir/RenderDesc.h"
#include "libs/zorir/TextDesc.h"

#include <memory>

namespace Zorir {

class BasicButton;

// The look of a button in one state: background, border and the owner's
// text (moved right of the check mark for a check box).
class ButtonStateDesc : public RenderDesc {
public:
    ButtonStateDesc();
    ButtonStateDesc(const Color& backgroundColor, RectangleDesc::Style borderStyle);

    void draw(const Rectangle& rectangle) override;

    template <class Archive>
    void serialize(Archive& archive);

    std::unique_ptr<RenderDesc> background;
    std::unique_ptr<RenderDesc> border;
    std::unique_ptr<TextDesc> textDesc;
    // The button being drawn; set before each draw.
    BasicButton* owner = nullptr;
};

}  // namespace Zorir
