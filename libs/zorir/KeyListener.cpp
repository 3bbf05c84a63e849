#include "libs/zorir/KeyListener.h"

#include "libs/zorir/Message.h"
#include "libs/zorir/Window.h"

namespace Zorir {

bool KeyListener::handleMessage(const Message& message, Window& window)
{
    if (!window.hasFocus()) return false;
    switch (message.type()) {
    case MessageType::Character:
        onCharacter(static_cast<const KeyMessage&>(message).character());
        break;
    case MessageType::SpecialKey:
        onSpecialKey(static_cast<const KeyMessage&>(message).key());
        break;
    case MessageType::OtherKey:
        onOtherKey(static_cast<const KeyMessage&>(message).key());
        break;
    default:
        break;
    }
    return false;
}

bool KeyListener::onCharacter(uint8_t) { return false; }
bool KeyListener::onSpecialKey(uint16_t) { return false; }
bool KeyListener::onOtherKey(uint16_t) { return false; }

}  // namespace Zorir
