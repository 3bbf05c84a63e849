#include "libs/zorir/BasicButton.h"

#include "libs/zorir/BasicButtonGroup.h"
#include "libs/zorir/ButtonMouseListener.h"
#include "libs/zorir/LookInForce.h"
#include "libs/zorir/Message.h"
#include "libs/zorir/core/AppearanceLoader.h"

namespace Zorir {

BasicButton::BasicButton(Window* parent, const std::string& text, BasicButtonGroup* group)
    : Window(parent, text), mouseListener_(std::make_unique<ButtonMouseListener>(*this)), group_(group)
{
    addMessageListener(mouseListener_.get());
    if (group_) group_->add(this);
    pressed_.connect(this, &BasicButton::toggleOnPress);
}

BasicButton::~BasicButton()
{
    removeMessageListener(mouseListener_.get());
    if (group_) group_->remove(this);
}

void BasicButton::onCaptureLost()
{
    const bool held = state_ == Pressed;
    pressCount_ = 0;
    state_ = Normal;
    if (held) released_.emit();
}

void BasicButton::toggle()
{
    if (toggleButton_) setToggled(!toggledOn_);
}

void BasicButton::toggleOnPress()
{
    if (!repeatingPress_) toggle();
}

void BasicButton::setToggled(bool on)
{
    if (!toggleButton_ || on == toggledOn_) return;
    if (on) {
        toggledOn_ = true;
        sendSelection(MessageType::Selected);
        if (group_) group_->switchOthersOff(this);
    } else {
        // A group keeps the button that is on until another one comes on.
        if (group_ && !group_->anotherIsOn(this)) return;
        toggledOn_ = false;
        sendSelection(MessageType::Deselected);
    }
    toggled_.emit(on);
}

void BasicButton::sendSelection(uint32_t type)
{
    process(SelectionMessage(type, group_ ? group_->indexOf(this) : 0));
}

int32_t BasicButton::appearanceState() const
{
    if (!toggleButton_) return state_;
    if (state_ == RollOver) return toggledOn_ ? 3 : 2;
    return toggledOn_ ? 1 : 0;
}

ButtonDesc* BasicButton::descriptionInForce() const
{
    return drawing(lookInForce(description_, &PropertyScheme::buttonDesc));
}

ButtonDesc* BasicButton::drawing(ButtonDesc* look) const
{
    if (look) look->setButton(const_cast<BasicButton*>(this));
    return look;
}

Vector2 BasicButton::preferredSize() const
{
    ButtonDesc* look = descriptionInForce();
    const Vector2 text = look ? look->textSize() : Vector2(8.0f, 8.0f);
    return text + Vector2(8.0f, 8.0f);
}

void BasicButton::loadAppearance(const std::string& fileName, const std::string& descriptionName)
{
    Core::loadAppearance(description_, fileName, descriptionName);
}

void BasicButton::drawLook() const
{
    if (ButtonDesc* look = descriptionInForce()) look->draw(rectangle());
}

}  // namespace Zorir
