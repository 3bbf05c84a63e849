#include "libs/zorir/ListWindowMouseListener.h"

#include "libs/zorir/ListWindow.h"
#include "libs/zorir/Message.h"

#include <algorithm>

namespace Zorir {

bool ListWindowMouseListener::overLines(const MouseMessage& message) const
{
    return message.position().x < list_.scrollBar().position().x;
}

int32_t ListWindowMouseListener::lineUnder(const MouseMessage& message) const
{
    if (list_.linePitch() <= 0.0f) return -1;
    const Vector2 from(message.position().x - list_.position().x,
                       std::max(0.0f, message.position().y - list_.position().y));
    const int32_t line = list_.lineAt(from);
    return line < list_.numberOfLines() ? line : -1;
}

bool ListWindowMouseListener::onClick(const MouseClickMessage& message)
{
    if (message.button() == MouseButton::Middle) return false;
    if (message.button() == MouseButton::Right) {
        if (message.event() == ClickEvent::Release) list_.rightClicked_.emit();
        return true;
    }
    if (message.event() == ClickEvent::Release) {
        list_.clicked_.emit();
    } else if (message.event() == ClickEvent::Press && overLines(message)) {
        // Below the last line there is nothing to select.
        const int32_t line = lineUnder(message);
        if (line >= 0 && line != list_.selectedIndex()) {
            list_.setSelectedIndex(line);
            list_.selectionChanged_.emit(line);
        }
    }
    return true;
}

bool ListWindowMouseListener::onMove(const MouseMessage& message)
{
    if (!overLines(message)) return false;
    list_.setHighlightedIndex(lineUnder(message));
    return true;
}

bool ListWindowMouseListener::onLeave(const MouseMessage& message)
{
    if (!overLines(message)) return false;
    list_.setHighlightedIndex(-1);
    return true;
}

}  // namespace Zorir
