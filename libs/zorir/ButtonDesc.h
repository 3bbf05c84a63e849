#pragma once

#include "libs/zorir/ButtonStateDesc.h"
#include "libs/zorir/RenderDesc.h"
#include "libs/zorir/Vector2.h"

#include <cstdint>

namespace Zorir {

class BasicButton;

// A button's look: one state look for each of pressed, released, roll-over
// and roll-over while toggled on, and an optional arrow that the spin box
// and scroll bar buttons ask for before each draw.
class ButtonDesc : public RenderDesc {
public:
    enum Arrow : int32_t { NoArrow = 0, UpArrow = 1, DownArrow = 2, LeftArrow = 3, RightArrow = 4 };

    ButtonDesc();

    // Draws the button set with setButton over its own rectangle (the given
    // one when there is none), clipped to it; an arrow asked for is drawn
    // once and the request cleared.
    void draw(const Rectangle& rectangle) override;

    template <class Archive>
    void serialize(Archive& archive);

    // The button's text extent in the released look plus 4 pixels on every
    // side. A failed assertion when no button is set.
    Vector2 textSize();

    // By BasicButton::appearanceState: 0 released, 1 pressed, 2 roll-over,
    // 3 roll-over while on.
    ButtonStateDesc& look(int32_t appearanceState);

    void setButton(BasicButton* button) { button_ = button; }
    BasicButton* button() const { return button_; }

    ButtonStateDesc pressedLook{Color(0.2f, 0.2f, 0.4f, 1.0f), RectangleDesc::Dropped};
    ButtonStateDesc releasedLook{Color(0.35f, 0.35f, 0.35f, 0.5f), RectangleDesc::Raised};
    ButtonStateDesc rollOverLook{Color(0.35f, 0.35f, 0.5f, 1.0f), RectangleDesc::Raised};
    ButtonStateDesc rollOverOnLook{Color(0.25f, 0.25f, 0.45f, 1.0f), RectangleDesc::Dropped};
    Arrow arrowDirection = NoArrow;

private:
    void drawArrow(const Rectangle& rectangle, const Color& color);

    BasicButton* button_ = nullptr;
};

}  // namespace Zorir
