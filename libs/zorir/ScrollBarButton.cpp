#include "libs/zorir/ScrollBarButton.h"

namespace Zorir {

ScrollBarButton::ScrollBarButton(Window* parent, Direction direction)
    : Button(parent, "", nullptr), direction_(direction)
{
}

void ScrollBarButton::draw()
{
    // The look's arrows count from 1 in the same order.
    if (ButtonDesc* look = descriptionInForce()) look->arrowDirection = static_cast<ButtonDesc::Arrow>(direction_ + 1);
    Button::draw();
}

}  // namespace Zorir
