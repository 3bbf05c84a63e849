#pragma once

#include "libs/zorir/ButtonDesc.h"
#include "libs/zorir/Signal.h"
#include "libs/zorir/Window.h"

#include <cstdint>
#include <memory>

namespace Zorir {

class BasicButtonGroup;
class ButtonMouseListener;

// A button's behaviour: normal, pressed and roll-over states driven by the
// left mouse button, the mouse capture while a press lasts, optional toggling
// (alone or exclusive within a group) and four signals. Concrete buttons
// draw it.
class BasicButton : public Window {
public:
    enum State : int32_t { Normal = 0, Pressed = 1, RollOver = 2 };

    // Joins the group when one is given. A toggle button flips on its own
    // press before anything connected to `pressed` later runs.
    BasicButton(Window* parent, const std::string& text, BasicButtonGroup* group = nullptr);
    ~BasicButton() override;

    Signal0& pressed() { return pressed_; }
    Signal0& released() { return released_; }
    Signal0& clicked() { return clicked_; }
    Signal1<bool>& toggled() { return toggled_; }

    // Flips a toggle button; nothing for a push button.
    void toggle();
    // Only toggle buttons react. In a group, switching one on switches the
    // others off, and the one that is on cannot be switched off alone.
    void setToggled(bool on);
    bool isToggledOn() const { return toggledOn_; }
    void setToggleButton(bool toggleButton) { toggleButton_ = toggleButton; }
    bool isToggleButton() const { return toggleButton_; }
    // Stays pressed when the pointer leaves while held (there is no way back).
    void setKeepPressedOnLeave() { keepPressedOnLeave_ = true; }

    State state() const { return state_; }
    int32_t pressCount() const { return pressCount_; }
    // True while pressed is emitted again for a button still held (the
    // pointer came back over it): the press itself was already told.
    bool isRepeatingPress() const { return repeatingPress_; }
    BasicButtonGroup* group() const { return group_; }

    // Which look draws the button: 0 released, 1 pressed, 2 roll-over,
    // 3 roll-over while toggled on.
    int32_t appearanceState() const;
    // The button's own look, else the scheme's; it is told which button it draws.
    virtual ButtonDesc* descriptionInForce() const;

    Vector2 preferredSize() const override;
    void loadAppearance(const std::string& fileName, const std::string& descriptionName) override;

    ButtonDesc* description() const { return description_.get(); }

protected:
    // A press that can no longer be released ends here, as if the pointer had
    // left the button, so that what the press started (an arrow's repeat)
    // stops and the next press starts afresh.
    void onCaptureLost() override;

    // Draws the look in force over the button.
    void drawLook() const;
    // Tells the look (when there is one) that it draws this button.
    ButtonDesc* drawing(ButtonDesc* look) const;

private:
    friend class ButtonMouseListener;

    // Connected to the button's own pressed signal. A press repeated because
    // the held pointer came back does not flip the button again.
    void toggleOnPress();
    void sendSelection(uint32_t type);

    Signal0 pressed_;
    Signal0 released_;
    Signal0 clicked_;
    Signal1<bool> toggled_;
    std::unique_ptr<ButtonMouseListener> mouseListener_;
    State state_ = Normal;
    int32_t pressCount_ = 0;
    bool keepPressedOnLeave_ = false;
    bool toggleButton_ = false;
    bool toggledOn_ = false;
    bool repeatingPress_ = false;
    BasicButtonGroup* group_;
    std::unique_ptr<ButtonDesc> description_;
};

}  // namespace Zorir
