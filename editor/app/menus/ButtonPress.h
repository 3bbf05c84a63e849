#pragma once

#include "libs/zorir/SlotHolder.h"

#include <functional>

namespace Zorir {
class BasicButton;
}

// Runs a menu's handler on a button's press, once per click: the toolkit
// presses a held button again each time the pointer comes back over it,
// which would paste or mirror a second time.
class ButtonPress : public Zorir::SlotHolder {
public:
    ButtonPress(Zorir::BasicButton& button, std::function<void()> handler);

private:
    void onPress();

    Zorir::BasicButton& button_;
    std::function<void()> handler_;
};
