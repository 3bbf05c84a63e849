#include "libs/zorir/ScrollBarMouseListener.h"

#include "libs/zorir/Message.h"
#include "libs/zorir/ScrollBar.h"

namespace Zorir {

bool ScrollBarMouseListener::onClick(const MouseClickMessage& message)
{
    if (message.event() != ClickEvent::Release) return false;
    const float t = bar_.thickness();
    const float p = bar_.along(message.position()) - bar_.barStart() - t;
    if (p < 0.0f || p > bar_.trackLength()) return true;
    const float s = bar_.sliderPosition() - t;
    if (p < s) {
        bar_.setValue(bar_.value() - bar_.pageStep());
    } else if (p > s + bar_.sliderLength()) {
        bar_.setValue(bar_.value() + bar_.pageStep());
    }
    return true;
}

}  // namespace Zorir
