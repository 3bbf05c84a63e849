#include "libs/zorir/Window.h"

#include "libs/zorir/Color.h"
#include "libs/zorir/MessageListener.h"
#include "libs/zorir/Renderer.h"
#include "libs/zorir/WindowManager.h"

#include <algorithm>

namespace Zorir {

Window::Window(Window* parent, const std::string& text) : parent_(parent), text_(text) {}

Window::~Window()
{
    // The window manager must not keep pointing at a window that is gone,
    // even when its owner forgot to remove it.
    WindowManager::instance().windowDestroyed(this);
}

bool Window::hasFocus() const
{
    return WindowManager::instance().focusWindow() == this;
}

bool Window::process(const Message& message)
{
    if (!visible_ || !enabled_) return false;
    // A listener may remove itself or another while it handles the message.
    const std::list<MessageListener*> listeners = listeners_;
    for (MessageListener* listener : listeners) {
        if (std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end()) continue;
        if (listener->handleMessage(message, *this)) return true;
    }
    return false;
}

Window* Window::windowAt(const Vector2& point)
{
    return visible_ && rectangle().contains(point) ? this : nullptr;
}

bool Window::containsWindow(const Window* window) const
{
    return window == this;
}

void Window::setText(const std::string& text)
{
    text_ = text;
    onTextChanged();
}

Vector2 Window::size() const
{
    return sizeSet_ ? size_ : preferredSize();
}

void Window::setSize(const Vector2& size)
{
    size_ = size;
    // Set first, so that the hook sees the new size rather than the
    // preferred one (a panel arranges its children from it).
    sizeSet_ = true;
    onResize();
}

void Window::setPosition(const Vector2& position)
{
    position_ = position;
    onMove();
}

void Window::setRectangle(const Rectangle& rectangle)
{
    setSize({rectangle.width, rectangle.height});
    setPosition({rectangle.x, rectangle.y});
}

Rectangle Window::rectangle() const
{
    return Rectangle(position_, position_ + size());
}

void Window::show()
{
    visible_ = true;
    WindowManager::instance().updateWindowUnderMouse();
    onShow();
}

void Window::hide()
{
    visible_ = false;
    WindowManager& manager = WindowManager::instance();
    manager.windowUnavailable(this);
    manager.updateWindowUnderMouse();
    onHide();
}

void Window::setEnabled(bool enabled)
{
    enabled_ = enabled;
    if (!enabled) WindowManager::instance().windowUnavailable(this);
}

Window* Window::root()
{
    Window* window = this;
    while (window->parent_) window = window->parent_;
    return window;
}

void Window::addMessageListener(MessageListener* listener)
{
    listeners_.push_back(listener);
}

void Window::removeMessageListener(MessageListener* listener)
{
    const auto found = std::find(listeners_.begin(), listeners_.end(), listener);
    if (found != listeners_.end()) listeners_.erase(found);
}

void Window::drawIfVisible()
{
    if (!visible_) return;
    draw();
    if (enabled_) return;
    const Rectangle area = rectangle();
    setColor(Color(0.5f, 0.5f, 0.5f, 0.6f));
    drawRectangle(area.topLeft(), area.bottomRight(), true);
}

}  // namespace Zorir
