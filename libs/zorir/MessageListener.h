#pragma once

namespace Zorir {

class Message;
class Window;

// Offered every message of the window it is added to. A listener does not own
// its window and the window does not own it: the widget that made it deletes it.
class MessageListener {
public:
    virtual ~MessageListener() = default;

    // True when the message was handled.
    virtual bool handleMessage(const Message& message, Window& window) = 0;
};

}  // namespace Zorir
