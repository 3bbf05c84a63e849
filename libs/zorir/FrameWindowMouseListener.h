#pragma once

#include "libs/zorir/MouseListener.h"
#include "libs/zorir/Vector2.h"

namespace Zorir {

class FrameWindow;

// Brings its frame window to the front on a left press and drags a
// draggable one while the left button is held.
class FrameWindowMouseListener : public MouseListener {
public:
    explicit FrameWindowMouseListener(FrameWindow& frame) : frame_(frame) {}

    bool onClick(const MouseClickMessage& message) override;
    bool onMove(const MouseMessage& message) override;

private:
    void press(const Vector2& position);
    void release();

    FrameWindow& frame_;
    Vector2 lastPosition_;
};

}  // namespace Zorir
