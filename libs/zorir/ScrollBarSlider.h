#pragma once

#include "libs/zorir/Button.h"
#include "libs/zorir/MouseListener.h"

namespace Zorir {

class ScrollBar;

// The draggable part of a scroll bar. It stays pressed while the pointer
// leaves it and moves the bar's value as it is dragged; the drag offset is
// how far the pointer has taken it from where the value puts it.
class ScrollBarSlider : public Button, public MouseListener {
public:
    explicit ScrollBarSlider(ScrollBar& bar);
    ~ScrollBarSlider() override;

    float dragOffset() const { return dragOffset_; }
    void resetDragOffset() { dragOffset_ = 0.0f; }

    bool onMove(const MouseMessage& message) override;

protected:
    // The window's own move hook keeps its meaning beside the listener's.
    using Button::onMove;

private:
    void startDrag();
    void endDrag();

    ScrollBar& bar_;
    Vector2 lastPosition_{-1.0f, -1.0f};
    float dragOffset_ = 0.0f;
};

}  // namespace Zorir
