#pragma once

#include "libs/zorir/BasicButton.h"

namespace Zorir {

// A push (or, when made one, toggle) button drawn with a ButtonDesc.
class Button : public BasicButton {
public:
    using BasicButton::BasicButton;

    void draw() override;
};

}  // namespace Zorir
