#include "libs/zorir/MouseListener.h"

#include "libs/zorir/Message.h"
#include "libs/zorir/Window.h"
#include "libs/zorir/WindowManager.h"

namespace Zorir {

bool MouseListener::handleMessage(const Message& message, Window& window)
{
    if (message.type() > MessageType::MouseLeave) return false;
    const auto& mouse = static_cast<const MouseMessage&>(message);
    const Window* capture = WindowManager::instance().windowCapture();
    const bool inside = window.rectangle().contains(mouse.position());
    // With a capture, only the capturing window hears the mouse, wherever it is.
    const bool mayReceive = (capture == nullptr && inside) || capture == &window;

    switch (message.type()) {
    case MessageType::MouseMove:
        return handleMove(mouse, window, mayReceive);
    case MessageType::MouseClick:
        return mayReceive && onClick(static_cast<const MouseClickMessage&>(message));
    case MessageType::MouseEnter:
        return mayReceive && onEnter(mouse);
    default:
        // A leave reaches the window although the pointer is outside it now.
        return (capture == nullptr || capture == &window) && onLeave(mouse);
    }
}

bool MouseListener::handleMove(const MouseMessage& message, Window& window, bool mayReceive)
{
    const bool handled = mayReceive && onMove(message);
    const Rectangle rectangle = window.rectangle();
    const bool inside = rectangle.contains(message.position());
    const bool wasInside = rectangle.contains(lastPosition_);
    if (wasInside && !inside) {
        window.process(MouseMessage(MessageType::MouseLeave, message.position()));
    } else if (!wasInside && inside) {
        window.process(MouseMessage(MessageType::MouseEnter, message.position()));
    }
    lastPosition_ = message.position();
    return handled;
}

bool MouseListener::onClick(const MouseClickMessage&) { return false; }
bool MouseListener::onEnter(const MouseMessage&) { return false; }
bool MouseListener::onLeave(const MouseMessage&) { return false; }
bool MouseListener::onMove(const MouseMessage&) { return false; }

}  // namespace Zorir
