#include "libs/zorir/ListWindow.h"

#include "libs/zorir/ListWindowMouseListener.h"
#include "libs/zorir/Message.h"
#include "libs/zorir/TextRenderer.h"
#include "libs/zorir/core/StandardException.h"

#include <algorithm>
#include <cmath>

namespace Zorir {

ListWindow::ListWindow(Window* parent, const Rectangle& rectangle)
    : Window(parent, ""),
      scrollBar_(std::make_unique<ScrollBar>(this, ScrollBar::Vertical, Vector2(rectangle.x, rectangle.y), rectangle.height)),
      mouseListener_(std::make_unique<ListWindowMouseListener>(*this))
{
    addMessageListener(mouseListener_.get());
}

ListWindow::~ListWindow()
{
    removeMessageListener(mouseListener_.get());
}

void ListWindow::setSelectedIndex(int32_t index)
{
    const int32_t old = selectedIndex_;
    if (index >= 0 && index < numberOfLines()) {
        if (index == old) return;
        process(SelectionMessage(MessageType::Deselected, old));
        process(SelectionMessage(MessageType::Selected, index));
        selectedIndex_ = index;
    } else {
        process(SelectionMessage(MessageType::Deselected, old));
        selectedIndex_ = -1;
    }
}

float ListWindow::linePitch() const
{
    return std::floor(lineHeight() * lineSpacing_);
}

int32_t ListWindow::lineAt(const Vector2& p) const
{
    ZORIR_ASSERT(linePitch() > 0.0f);
    ZORIR_ASSERT(p.y >= 0.0f);
    return firstVisibleLine() + static_cast<int32_t>(p.y / linePitch());
}

int32_t ListWindow::firstVisibleLine() const
{
    const float pitch = linePitch();
    if (pitch <= 0.0f) return 0;
    const float first = (static_cast<float>(scrollBar_->value()) - 0.5f * pitch) / pitch + 0.5f;
    return std::max(0, static_cast<int32_t>(first));
}

Rectangle ListWindow::linesArea() const
{
    const Rectangle all = rectangle();
    return Rectangle(all.x, all.y, all.x + std::max(0.0f, all.width - scrollBar_->thickness()), all.y + all.height);
}

float ListWindow::lineHeightIn(const ListWindowDesc* look)
{
    TextRenderer* font = look && look->textDesc ? look->textDesc->font() : nullptr;
    return font ? font->lineHeight() : 0.0f;
}

void ListWindow::drawWith(ListWindowDesc* look)
{
    if (look) {
        look->owner = this;
        look->draw(rectangle());
    }
    scrollBar_->drawIfVisible();
}

void ListWindow::linesChanged()
{
    const float pitch = linePitch();
    const int32_t lines = numberOfLines();
    const float content = lines > 0 ? pitch * static_cast<float>(lines - 1) + 0.5f * pitch : 0.5f * pitch;
    // A range of at least one keeps the bar valid for an empty list or a
    // font that could not be opened.
    const int32_t maximum = std::max(static_cast<int32_t>(content), scrollBar_->minimum() + 1);
    scrollBar_->setMaximum(maximum);
    const int32_t page = static_cast<int32_t>(std::min(content, size().y));
    scrollBar_->setPageSize(std::max(page, 1));
    scrollBar_->setStep(std::max(static_cast<int32_t>(pitch), 1));
    scrollBar_->setPageStep(std::max(page - static_cast<int32_t>(pitch), 1));
    if (selectedIndex_ >= lines) setSelectedIndex(-1);
    if (highlightedIndex_ >= lines) highlightedIndex_ = -1;
}

void ListWindow::lineRemoved(int32_t index)
{
    // The selection stays on the line it was on, or goes with it.
    if (index == selectedIndex_) {
        setSelectedIndex(-1);
    } else if (index < selectedIndex_) {
        --selectedIndex_;
    }
    if (index == highlightedIndex_) {
        highlightedIndex_ = -1;
    } else if (index < highlightedIndex_) {
        --highlightedIndex_;
    }
    linesChanged();
}

bool ListWindow::hasFocus() const
{
    return Window::hasFocus() || scrollBar_->hasFocus();
}

bool ListWindow::process(const Message& message)
{
    if (!isVisible() || !isEnabled()) return Window::process(message);
    if (scrollBar_->process(message)) {
        highlightedIndex_ = -1;
        return true;
    }
    return Window::process(message);
}

Window* ListWindow::windowAt(const Vector2& point)
{
    if (!Window::windowAt(point)) return nullptr;
    if (Window* hit = scrollBar_->windowAt(point)) return hit;
    return this;
}

bool ListWindow::containsWindow(const Window* window) const
{
    return Window::containsWindow(window) || scrollBar_->containsWindow(window);
}

void ListWindow::arrange()
{
    const Rectangle all = rectangle();
    const float t = scrollBar_->thickness();
    scrollBar_->setSize({t, all.height});
    scrollBar_->setPosition({all.x + all.width - t, all.y});
    linesChanged();
}

}  // namespace Zorir
