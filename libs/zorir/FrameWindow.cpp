#include "libs/zorir/FrameWindow.h"

#include "libs/zorir/FrameWindowMouseListener.h"
#include "libs/zorir/LookInForce.h"
#include "libs/zorir/Renderer.h"
#include "libs/zorir/core/AppearanceLoader.h"

namespace Zorir {

FrameWindow::FrameWindow(const Rectangle& rectangle, Window* parent, const std::string& title)
    : Window(parent, title), mouseListener_(std::make_unique<FrameWindowMouseListener>(*this))
{
    setRectangle(rectangle);
    addMessageListener(mouseListener_.get());
}

FrameWindow::~FrameWindow()
{
    removeMessageListener(mouseListener_.get());
}

void FrameWindow::setClientWindow(Window* client)
{
    client_ = client;
    arrangeClientWindow();
}

FrameWindowDesc* FrameWindow::descriptionInForce() const
{
    return lookInForce(description_, &PropertyScheme::frameWindowDesc);
}

Rectangle FrameWindow::clientRectangle() const
{
    const FrameWindowDesc* look = descriptionInForce();
    return look ? look->clientRectangle(rectangle()) : rectangle();
}

void FrameWindow::arrangeClientWindow()
{
    if (client_) client_->setRectangle(clientRectangle());
}

bool FrameWindow::process(const Message& message)
{
    if (!isVisible() || !isEnabled()) return false;
    if (client_ && client_->process(message)) return true;
    return Window::process(message);
}

Window* FrameWindow::windowAt(const Vector2& point)
{
    Window* hit = Window::windowAt(point);
    if (hit != this || !client_) return hit;
    Window* inClient = client_->windowAt(point);
    return inClient ? inClient : this;
}

bool FrameWindow::containsWindow(const Window* window) const
{
    return (client_ && client_->containsWindow(window)) || Window::containsWindow(window);
}

void FrameWindow::loadAppearance(const std::string& fileName, const std::string& descriptionName)
{
    Core::loadAppearance(description_, fileName, descriptionName);
}

void FrameWindow::draw()
{
    if (FrameWindowDesc* look = descriptionInForce()) {
        look->owner = this;
        look->draw(rectangle());
    }
    if (!client_) return;
    enableClipping(clientRectangle());
    client_->drawIfVisible();
    disableClipping();
}

}  // namespace Zorir
