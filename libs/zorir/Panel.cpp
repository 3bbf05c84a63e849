#include "libs/zorir/Panel.h"

#include "libs/zorir/FlowLayouter.h"
#include "libs/zorir/LookInForce.h"
#include "libs/zorir/core/AppearanceLoader.h"

namespace Zorir {

Panel::Panel(const Rectangle& rectangle, Window* parent, const std::string& text)
    : Window(parent, text), layouter_(std::make_unique<FlowLayouter>(FlowLayouter::Left))
{
    setRectangle(rectangle);
}

Panel::~Panel() = default;

bool Panel::process(const Message& message)
{
    if (isVisible() && isEnabled()) {
        for (Window* child : children_) {
            if (child->process(message)) return true;
        }
    }
    return Window::process(message);
}

Window* Panel::windowAt(const Vector2& point)
{
    if (!Window::windowAt(point)) return nullptr;
    for (Window* child : children_) {
        if (Window* hit = child->windowAt(point)) return hit;
    }
    return this;
}

bool Panel::containsWindow(const Window* window) const
{
    if (Window::containsWindow(window)) return true;
    for (const Window* child : children_) {
        if (child->containsWindow(window)) return true;
    }
    return false;
}

void Panel::loadAppearance(const std::string& fileName, const std::string& descriptionName)
{
    Core::loadAppearance(description_, fileName, descriptionName);
}

void Panel::draw()
{
    if (PanelDesc* look = lookInForce(description_, &PropertyScheme::panelDesc)) look->draw(rectangle());
    for (Window* child : children_) child->drawIfVisible();
}

void Panel::setLayouter(BaseLayouter* layouter)
{
    if (layouter) layouter_.reset(layouter);
}

void Panel::addChildWindow(Window* window, const LayoutInfo& info)
{
    children_.push_back(window);
    layouter_->addWindow(window, info);
}

void Panel::onResize()
{
    layouter_->arrange(*this);
}

void Panel::onMove()
{
    layouter_->arrange(*this);
}

}  // namespace Zorir
