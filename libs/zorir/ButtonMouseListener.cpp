#include "libs/zorir/ButtonMouseListener.h"

#include "libs/zorir/BasicButton.h"
#include "libs/zorir/Message.h"
#include "libs/zorir/WindowManager.h"

namespace Zorir {

bool ButtonMouseListener::onClick(const MouseClickMessage& message)
{
    if (message.button() != MouseButton::Left) return false;
    if (message.event() == ClickEvent::Release) {
        release(message);
    } else {
        press();
    }
    return true;
}

void ButtonMouseListener::press()
{
    WindowManager& manager = WindowManager::instance();
    if (manager.windowCapture() != &button_) manager.captureMouse(&button_);
    ++button_.pressCount_;
    button_.state_ = BasicButton::Pressed;
    button_.pressed_.emit();
}

void ButtonMouseListener::release(const MouseClickMessage& message)
{
    if (button_.windowAt(message.position()) == &button_) {
        button_.state_ = BasicButton::RollOver;
        button_.released_.emit();
        button_.clicked_.emit();
    } else {
        button_.state_ = BasicButton::Normal;
    }
    WindowManager& manager = WindowManager::instance();
    // The capture may be gone already (the button was hidden meanwhile).
    if (button_.pressCount_ == 1 && manager.windowCapture() == &button_) manager.releaseMouse();
    if (button_.pressCount_ >= 1) --button_.pressCount_;
}

bool ButtonMouseListener::onEnter(const MouseMessage&)
{
    if (button_.state_ != BasicButton::Pressed) button_.state_ = BasicButton::RollOver;
    if (button_.pressCount_ >= 1) {
        // Held and back over the button: pressed again, which repeat buttons
        // rely on, but a toggle button does not flip again.
        button_.state_ = BasicButton::Pressed;
        button_.repeatingPress_ = true;
        button_.pressed_.emit();
        button_.repeatingPress_ = false;
    }
    return true;
}

bool ButtonMouseListener::onLeave(const MouseMessage&)
{
    if (button_.state_ == BasicButton::Pressed) {
        if (button_.keepPressedOnLeave_) return true;
        button_.released_.emit();
    }
    button_.state_ = BasicButton::Normal;
    return true;
}

bool ButtonMouseListener::onMove(const MouseMessage&)
{
    return button_.state_ == BasicButton::RollOver;
}

}  // namespace Zorir
