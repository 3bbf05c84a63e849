#include "libs/zorir/EditFieldMouseListener.h"

#include "libs/zorir/EditField.h"
#include "libs/zorir/Message.h"
#include "libs/zorir/WindowManager.h"

#include <algorithm>

namespace Zorir {

float EditFieldMouseListener::fieldX(const MouseMessage& message) const
{
    return message.position().x - field_.position().x;
}

int32_t EditFieldMouseListener::indexAt(float x) const
{
    return field_.characterIndexAt(x - field_.margin() - field_.scrollOffset_);
}

bool EditFieldMouseListener::onClick(const MouseClickMessage& message)
{
    if (message.button() != MouseButton::Left) return false;
    WindowManager& manager = WindowManager::instance();
    if (message.event() == ClickEvent::Release) {
        if (manager.windowCapture() == &field_) manager.releaseMouse();
        return true;
    }
    // A second press before the release (a double click) must not ask for
    // the capture the field already holds.
    if (manager.windowCapture() != &field_) manager.captureMouse(&field_);
    const float x = fieldX(message);
    if (x >= 0.0f && x <= field_.size().x) {
        const int32_t index = indexAt(x);
        field_.setCursor(index);
        field_.clearSelection();
        field_.anchor_ = field_.cursor_;
    }
    return true;
}

bool EditFieldMouseListener::onMove(const MouseMessage& message)
{
    if (WindowManager::instance().windowCapture() != &field_) return false;
    const float x = fieldX(message);
    // The anchor is always set by the press that took the capture; the text
    // may have been changed since, which keeps it inside.
    const int32_t anchor = std::max(field_.anchor_, 0);
    if (x >= 0.0f && x <= field_.size().x) {
        field_.setCursor(indexAt(x));
        field_.setSelection(std::min(anchor, field_.cursor_), std::max(anchor, field_.cursor_));
        return true;
    }
    // Dragged past an edge: the selection grows by a character per move.
    const bool selected = field_.hasSelection();
    const int32_t start = selected ? field_.selectionStart_ : anchor;
    const int32_t end = selected ? field_.selectionEnd_ : anchor;
    if (x > field_.size().x && end < field_.length()) {
        field_.setSelection(anchor, end + 1);
        field_.setCursor(end + 1);
    } else if (x < 0.0f && start > 0) {
        field_.setSelection(start - 1, anchor);
        field_.setCursor(start - 1);
    }
    return true;
}

}  // namespace Zorir
