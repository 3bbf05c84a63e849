#include "libs/zorir/BasicSpinBox.h"

#include "libs/zorir/AutoRepeat.h"
#include "libs/zorir/NumberText.h"
#include "libs/zorir/WindowManager.h"

namespace Zorir {

BasicSpinBox::BasicSpinBox(Window* parent) : Slideable(parent) {}

BasicSpinBox::~BasicSpinBox() = default;

void BasicSpinBox::assemble(std::unique_ptr<SpinBoxButton> up, std::unique_ptr<SpinBoxButton> down,
                            std::unique_ptr<EditField> field, int32_t value)
{
    up_ = std::move(up);
    down_ = std::move(down);
    field_ = std::move(field);
    up_->pressed().connect(this, &BasicSpinBox::increment);
    up_->released().connect(this, &BasicSpinBox::stopUp);
    down_->pressed().connect(this, &BasicSpinBox::decrement);
    down_->released().connect(this, &BasicSpinBox::stopDown);
    upTimer_.expired().connect(this, &BasicSpinBox::increment);
    downTimer_.expired().connect(this, &BasicSpinBox::decrement);
    field_->returnPressed().connect(this, &BasicSpinBox::commitText);
    arrange();
    setValue(value);
}

void BasicSpinBox::increment()
{
    stepAndRepeat(step(), upTimer_);
}

void BasicSpinBox::decrement()
{
    stepAndRepeat(-step(), downTimer_);
}

void BasicSpinBox::stepAndRepeat(int32_t amount, Timer& timer)
{
    commitText();
    stepValue(amount);
    armAutoRepeat(timer);
}

void BasicSpinBox::stopUp()
{
    stop(upTimer_);
}

void BasicSpinBox::stopDown()
{
    stop(downTimer_);
}

void BasicSpinBox::stop(Timer& timer)
{
    commitText();
    field_->focusLost();
    timer.stop();
}

void BasicSpinBox::commitText()
{
    int32_t typed = value();
    if (fromString(field_->text(), typed)) {
        setValue(typed);
    } else {
        showValue();
    }
}

void BasicSpinBox::showValue()
{
    field_->setText(toString(value()));
}

void BasicSpinBox::setValue(int32_t value)
{
    Slideable::setValue(value);
    // Not before assemble has given the box its field.
    if (field_) showValue();
}

bool BasicSpinBox::process(const Message& message)
{
    if (!isVisible() || !isEnabled() || !field_) return Window::process(message);
    // Every part hears every message, whatever the others answered.
    bool handled = up_->process(message);
    handled = down_->process(message) || handled;
    handled = field_->process(message) || handled;
    return handled || Window::process(message);
}

Window* BasicSpinBox::windowAt(const Vector2& point)
{
    if (!Window::windowAt(point)) return nullptr;
    if (Window* hit = up_->windowAt(point)) return hit;
    if (Window* hit = down_->windowAt(point)) return hit;
    return this;
}

bool BasicSpinBox::containsWindow(const Window* window) const
{
    return Window::containsWindow(window) || window == up_.get() || window == down_.get() || window == field_.get();
}

void BasicSpinBox::loadAppearance(const std::string& fileName, const std::string& descriptionName)
{
    field_->loadAppearance(fileName, descriptionName);
}

void BasicSpinBox::draw()
{
    up_->drawIfVisible();
    down_->drawIfVisible();
    field_->drawIfVisible();
}

void BasicSpinBox::arrange()
{
    if (!field_) return;
    const Vector2 at = position();
    const Vector2 extent = size();
    const float side = extent.y / 2.0f;
    field_->setSize({extent.x - side, extent.y});
    field_->setPosition(at);
    up_->setSize({side, side});
    up_->setPosition({at.x + extent.x - side, at.y});
    down_->setSize({side, side});
    down_->setPosition({at.x + extent.x - side, at.y + side});
}

void BasicSpinBox::onFocusGained()
{
    WindowManager::instance().setFocus(field_.get());
}

void BasicSpinBox::onFocusLost()
{
    commitText();
    field_->focusLost();
}

}  // namespace Zorir
