#include "libs/zorir/FlowLayouter.h"

#include "libs/zorir/Panel.h"

#include <algorithm>

namespace Zorir {

void FlowLayouter::addWindow(Window* window)
{
    windows_.push_back(window);
}

void FlowLayouter::removeWindow(Window* window)
{
    std::erase(windows_, window);
}

size_t FlowLayouter::fillRow(size_t first, float panelWidth, float panelHeight, float& rowEnd)
{
    const float g = horizontalGap_, v = verticalGap_;
    float x = g;
    size_t next = first;
    for (; next < windows_.size(); ++next) {
        Window& window = *windows_[next];
        Vector2 size = window.size();
        if (size.x + 2 * g > panelWidth) window.setSize(size = {std::max(0.0f, panelWidth - 2 * g), size.y});
        if (size.y + 2 * v > panelHeight) window.setSize(size = {size.x, std::max(0.0f, panelHeight - 2 * v)});
        // The first window of a row always joins it, or a window that cannot
        // fit would never be placed and the rows would never end.
        if (next != first && x + size.x + g > panelWidth) break;
        x += size.x + g;
    }
    rowEnd = x;
    return next;
}

float FlowLayouter::rowStart(float panelWidth, float rowEnd) const
{
    switch (alignment_) {
    case Right:
        return panelWidth - rowEnd + horizontalGap_;
    case Centred:
        return 0.5f * panelWidth - 0.5f * rowEnd + horizontalGap_;
    default:
        return horizontalGap_;
    }
}

void FlowLayouter::arrange(Panel& panel)
{
    const Vector2 panelSize = panel.size();
    if (horizontalGap_ >= panelSize.x) return;
    const Vector2 origin = panel.position();
    float y = verticalGap_;
    for (size_t first = 0; first < windows_.size();) {
        float rowEnd = 0.0f;
        const size_t end = fillRow(first, panelSize.x, panelSize.y, rowEnd);
        float offset = rowStart(panelSize.x, rowEnd);
        float rowHeight = 0.0f;
        for (size_t index = first; index < end; ++index) {
            Window& window = *windows_[index];
            const Vector2 size = window.size();
            window.setPosition(origin + Vector2(offset, y));
            offset += size.x + horizontalGap_;
            rowHeight = std::max(rowHeight, size.y);
        }
        y += rowHeight + verticalGap_;
        first = end;
    }
}

}  // namespace Zorir
