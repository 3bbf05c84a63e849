#include "libs/zorir/ScrollBarSlider.h"

#include "libs/zorir/Message.h"
#include "libs/zorir/ScrollBar.h"
#include "libs/zorir/WindowManager.h"

#include <algorithm>
#include <cmath>

namespace Zorir {

ScrollBarSlider::ScrollBarSlider(ScrollBar& bar) : Button(&bar, "", nullptr), bar_(bar)
{
    setKeepPressedOnLeave();
    addMessageListener(this);
    pressed().connect(this, &ScrollBarSlider::startDrag);
    released().connect(this, &ScrollBarSlider::endDrag);
}

ScrollBarSlider::~ScrollBarSlider()
{
    removeMessageListener(this);
}

void ScrollBarSlider::startDrag()
{
    lastPosition_ = WindowManager::instance().mousePosition();
    dragOffset_ = 0.0f;
}

void ScrollBarSlider::endDrag()
{
    lastPosition_ = Vector2(-1.0f, -1.0f);
    dragOffset_ = 0.0f;
    bar_.placeSlider();
}

bool ScrollBarSlider::onMove(const MouseMessage& message)
{
    if (state() != Pressed || lastPosition_.x < 0.0f) return false;
    const float ppv = bar_.pixelsPerValue();
    // With no room to move, a drag changes nothing.
    if (ppv > 0.0f) {
        const float t = bar_.thickness();
        const float first = bar_.barStart() + t;
        const float last = first + bar_.trackLength() - bar_.sliderLength();
        const float moved = bar_.along(message.position()) - bar_.along(lastPosition_);
        const float start = bar_.barStart() + bar_.sliderPosition() + dragOffset_ + moved;
        const int32_t before = bar_.value();
        const long steps = std::lround((start - first) / ppv);
        bar_.setValue(static_cast<int32_t>(bar_.minimum() + std::clamp<long>(steps, 0, bar_.range())));
        // Past either end of the track the slider stops where the value puts it.
        dragOffset_ = start < first || start > last ? 0.0f : start - (bar_.barStart() + bar_.sliderPosition());
        bar_.placeSlider();
        if (bar_.value() != before) bar_.sliderMoved().emit(bar_.value());
    }
    lastPosition_ = message.position();
    return true;
}

}  // namespace Zorir
