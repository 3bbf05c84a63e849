#pragma once

#include "libs/zorir/Button.h"

#include <cstdint>

namespace Zorir {

// An arrow button at one end of a scroll bar.
class ScrollBarButton : public Button {
public:
    enum Direction : int32_t { Up = 0, Down = 1, Left = 2, Right = 3 };

    ScrollBarButton(Window* parent, Direction direction);

    Direction direction() const { return direction_; }

    void draw() override;

private:
    Direction direction_;
};

}  // namespace Zorir
