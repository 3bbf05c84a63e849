#include "libs/zorir/SpinBoxButton.h"

namespace Zorir {

SpinBoxButton::SpinBoxButton(Window* parent, Direction direction) : Button(parent, "", nullptr), direction_(direction) {}

void SpinBoxButton::draw()
{
    if (ButtonDesc* look = descriptionInForce()) {
        look->arrowDirection = direction_ == Up ? ButtonDesc::UpArrow : ButtonDesc::DownArrow;
    }
    Button::draw();
}

}  // namespace Zorir
