#include "libs/zorir/ScrollBar.h"

#include "libs/zorir/AutoRepeat.h"
#include "libs/zorir/LookInForce.h"
#include "libs/zorir/Renderer.h"
#include "libs/zorir/ScrollBarMouseListener.h"
#include "libs/zorir/core/AppearanceLoader.h"
#include "libs/zorir/core/StandardException.h"

#include <algorithm>

namespace Zorir {

namespace {

constexpr float defaultThickness = 16.0f;
constexpr float preferredLength = 150.0f;

}  // namespace

ScrollBar::ScrollBar(Window* parent, int32_t orientation, const Vector2& position, float length)
    : Slideable(parent), orientation_(orientation)
{
    slider_ = std::make_unique<ScrollBarSlider>(*this);
    incrementButton_ = std::make_unique<ScrollBarButton>(this, isVertical() ? ScrollBarButton::Down : ScrollBarButton::Right);
    decrementButton_ = std::make_unique<ScrollBarButton>(this, isVertical() ? ScrollBarButton::Up : ScrollBarButton::Left);
    incrementButton_->pressed().connect(this, &ScrollBar::increment);
    incrementButton_->released().connect(this, &ScrollBar::stopIncrement);
    decrementButton_->pressed().connect(this, &ScrollBar::decrement);
    decrementButton_->released().connect(this, &ScrollBar::stopDecrement);
    incrementTimer_.expired().connect(this, &ScrollBar::increment);
    decrementTimer_.expired().connect(this, &ScrollBar::decrement);
    slider_->pressed().connect(this, &ScrollBar::emitSliderPressed);
    slider_->released().connect(this, &ScrollBar::emitSliderReleased);
    const float t = thickness();
    setSize(isVertical() ? Vector2(t, length) : Vector2(length, t));
    setPosition(position);
    mouseListener_ = std::make_unique<ScrollBarMouseListener>(*this);
    addMessageListener(mouseListener_.get());
}

ScrollBar::~ScrollBar()
{
    removeMessageListener(mouseListener_.get());
}

void ScrollBar::setPageSize(int32_t pageSize)
{
    pageSize_ = pageSize;
    arrange();
}

void ScrollBar::increment()
{
    stepValue(step());
    armAutoRepeat(incrementTimer_);
}

void ScrollBar::decrement()
{
    stepValue(-int64_t{step()});
    armAutoRepeat(decrementTimer_);
}

void ScrollBar::setValue(int32_t value)
{
    Slideable::setValue(value);
    placeSlider();
}

ScrollBarDesc* ScrollBar::descriptionInForce() const
{
    return lookInForce(description_, &PropertyScheme::scrollBarDesc);
}

float ScrollBar::thickness() const
{
    const ScrollBarDesc* look = descriptionInForce();
    return look ? look->width : defaultThickness;
}

float ScrollBar::barStart() const
{
    return isVertical() ? position().y : position().x;
}

float ScrollBar::along(const Vector2& point) const
{
    return isVertical() ? point.y : point.x;
}

float ScrollBar::trackLength() const
{
    const Vector2 extent = size();
    return (isVertical() ? extent.y : extent.x) - 2.0f * thickness();
}

float ScrollBar::sliderLength() const
{
    const float track = std::max(0.0f, trackLength());
    const int32_t span = range();
    if (span <= 0) return track;
    // Worked out anew each time, so that the slider shrinks again when the
    // content grows.
    const float share = static_cast<float>(pageSize_) / static_cast<float>(span) * track;
    return std::clamp(share, std::min(thickness(), track), track);
}

float ScrollBar::sliderPosition() const
{
    const int32_t span = range();
    const float fraction = span > 0 ? static_cast<float>(value() - minimum()) / static_cast<float>(span) : 0.0f;
    return thickness() + fraction * (trackLength() - sliderLength());
}

float ScrollBar::pixelsPerValue() const
{
    const int32_t span = range();
    return span > 0 ? (trackLength() - sliderLength()) / static_cast<float>(span) : 0.0f;
}

bool ScrollBar::hasFocus() const
{
    return Window::hasFocus() || incrementButton_->hasFocus() || decrementButton_->hasFocus() || slider_->hasFocus();
}

Vector2 ScrollBar::preferredSize() const
{
    const float t = thickness();
    return isVertical() ? Vector2(t, preferredLength) : Vector2(preferredLength, t);
}

bool ScrollBar::process(const Message& message)
{
    if (!isVisible() || !isEnabled()) return Window::process(message);
    // Every part hears every message, whatever the others answered.
    bool handled = incrementButton_->process(message);
    handled = decrementButton_->process(message) || handled;
    handled = slider_->process(message) || handled;
    return handled || Window::process(message);
}

bool ScrollBar::containsWindow(const Window* window) const
{
    return Window::containsWindow(window) || window == incrementButton_.get() || window == decrementButton_.get() ||
           window == slider_.get();
}

void ScrollBar::loadAppearance(const std::string& fileName, const std::string& descriptionName)
{
    Core::loadAppearance(description_, fileName, descriptionName);
    arrange();
}

void ScrollBar::arrange()
{
    if (!incrementButton_) return;
    const float span = static_cast<float>(range());
    if (static_cast<float>(pageSize_) > span) pageSize_ = range();
    const float t = thickness();
    const Vector2 at = position(), extent = size();
    const Vector2 end = isVertical() ? Vector2(at.x, at.y + extent.y - t) : Vector2(at.x + extent.x - t, at.y);
    incrementButton_->setSize({t, t});
    incrementButton_->setPosition(end);
    decrementButton_->setSize({t, t});
    decrementButton_->setPosition(at);
    placeSlider();
}

void ScrollBar::placeSlider()
{
    if (!slider_) return;
    const float t = thickness(), length = sliderLength();
    const float offset = sliderPosition() + slider_->dragOffset();
    const Vector2 at = position();
    slider_->setSize(isVertical() ? Vector2(t, length) : Vector2(length, t));
    slider_->setPosition(isVertical() ? Vector2(at.x, at.y + offset) : Vector2(at.x + offset, at.y));
}

void ScrollBar::draw()
{
    if (ScrollBarDesc* look = descriptionInForce()) look->draw(rectangle());
    disableClipping();
    setColor(Color(1, 1, 1, 1));
    ZORIR_ASSERT((maximum() > minimum()));
    placeSlider();
    incrementButton_->drawIfVisible();
    decrementButton_->drawIfVisible();
    slider_->drawIfVisible();
}

}  // namespace Zorir
