#pragma once

#include "libs/zorir/BaseLayouter.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Zorir {

// Lines the windows up in rows that wrap at the panel's width, each row
// aligned left, right or centred. A window too large for the panel is shrunk
// to fit, and every row takes at least one window.
class FlowLayouter : public BaseLayouter {
public:
    enum Alignment : uint32_t { Left = 0, Right = 1, Centred = 2 };

    explicit FlowLayouter(Alignment alignment) : alignment_(alignment) {}

    using BaseLayouter::addWindow;
    void addWindow(Window* window) override;
    // Removes every entry of the window.
    void removeWindow(Window* window) override;
    void arrange(Panel& panel) override;

private:
    // Shrinks the windows of the row that starts at `first` to the panel and
    // returns the end of the row and its width (the x after its last gap).
    size_t fillRow(size_t first, float panelWidth, float panelHeight, float& rowEnd);
    float rowStart(float panelWidth, float rowEnd) const;

    Alignment alignment_;
    float horizontalGap_ = 4.0f;
    float verticalGap_ = 4.0f;
    std::vector<Window*> windows_;
};

}  // namespace Zorir
