#pragma once

#include "libs/zorir/MessageListener.h"
#include "libs/zorir/Vector2.h"

namespace Zorir {

class MouseClickMessage;
class MouseMessage;

// Routes mouse messages to its hooks and turns the stream of moves into enter
// and leave messages for its window. The hooks return true when handled.
class MouseListener : public MessageListener {
public:
    bool handleMessage(const Message& message, Window& window) override;

    virtual bool onClick(const MouseClickMessage& message);
    virtual bool onEnter(const MouseMessage& message);
    virtual bool onLeave(const MouseMessage& message);
    virtual bool onMove(const MouseMessage& message);

private:
    bool handleMove(const MouseMessage& message, Window& window, bool mayReceive);

    // Far outside any window, so the first move inside produces an enter.
    Vector2 lastPosition_{-1000000.0f, -1000000.0f};
};

}  // namespace Zorir
