#include "editor/app/menus/ButtonPress.h"

#include "libs/zorir/BasicButton.h"

ButtonPress::ButtonPress(Zorir::BasicButton& button, std::function<void()> handler)
    : button_(button), handler_(std::move(handler))
{
    button_.pressed().connect(this, &ButtonPress::onPress);
}

void ButtonPress::onPress()
{
    if (!button_.isRepeatingPress()) handler_();
}
