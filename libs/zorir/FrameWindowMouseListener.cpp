#include "libs/zorir/FrameWindowMouseListener.h"

#include "libs/zorir/FrameWindow.h"
#include "libs/zorir/Message.h"
#include "libs/zorir/WindowManager.h"

namespace Zorir {

bool FrameWindowMouseListener::onClick(const MouseClickMessage& message)
{
    if (message.button() != MouseButton::Left) return false;
    switch (message.event()) {
    case ClickEvent::Press:
        press(message.position());
        return true;
    case ClickEvent::Release:
        release();
        return true;
    default:
        return false;
    }
}

void FrameWindowMouseListener::press(const Vector2& position)
{
    WindowManager& manager = WindowManager::instance();
    if (frame_.isDraggable()) {
        if (manager.windowCapture() != &frame_) manager.captureMouse(&frame_);
        ++frame_.dragPressCount_;
        // The drag counts from here, not from wherever the pointer was last
        // seen, so the frame does not jump at the first move.
        lastPosition_ = position;
    }
    manager.bringToFront(frame_.root());
}

void FrameWindowMouseListener::release()
{
    if (!frame_.isDraggable()) return;
    WindowManager& manager = WindowManager::instance();
    if (frame_.dragPressCount_ == 1 && manager.windowCapture() == &frame_) manager.releaseMouse();
    if (frame_.dragPressCount_ >= 1) --frame_.dragPressCount_;
}

bool FrameWindowMouseListener::onMove(const MouseMessage& message)
{
    if (!frame_.isDraggable()) return false;
    const Vector2& position = message.position();
    if (WindowManager::instance().windowCapture() == &frame_) {
        const Vector2 displacement(position.x - lastPosition_.x, position.y - lastPosition_.y);
        frame_.setPosition(frame_.position() + displacement);
    }
    lastPosition_ = position;
    return true;
}

}  // namespace Zorir
