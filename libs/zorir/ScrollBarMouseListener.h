#pragma once

#include "libs/zorir/MouseListener.h"

namespace Zorir {

class ScrollBar;

// Pages the scroll bar when its track is clicked before or after the slider.
class ScrollBarMouseListener : public MouseListener {
public:
    explicit ScrollBarMouseListener(ScrollBar& bar) : bar_(bar) {}

    bool onClick(const MouseClickMessage& message) override;

private:
    ScrollBar& bar_;
};

}  // namespace Zorir
