#pragma once

#include "libs/zorir/Button.h"

#include <cstdint>

namespace Zorir {

// One of a spin box's two arrow buttons: no text, an arrow up or down.
class SpinBoxButton : public Button {
public:
    enum Direction : int32_t { Up = 0, Down = 1 };

    SpinBoxButton(Window* parent, Direction direction);

    Direction direction() const { return direction_; }

    void draw() override;

private:
    Direction direction_;
};

}  // namespace Zorir
