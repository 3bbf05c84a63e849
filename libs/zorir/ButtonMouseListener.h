#pragma once

#include "libs/zorir/MouseListener.h"

namespace Zorir {

class BasicButton;

// Drives a button's states from the left mouse button and the pointer's
// comings and goings.
class ButtonMouseListener : public MouseListener {
public:
    explicit ButtonMouseListener(BasicButton& button) : button_(button) {}

    bool onClick(const MouseClickMessage& message) override;
    bool onEnter(const MouseMessage& message) override;
    bool onLeave(const MouseMessage& message) override;
    bool onMove(const MouseMessage& message) override;

private:
    void press();
    void release(const MouseClickMessage& message);

    BasicButton& button_;
};

}  // namespace Zorir
