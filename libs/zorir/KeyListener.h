#pragma once

#include "libs/zorir/MessageListener.h"

#include <cstdint>

namespace Zorir {

// Routes key messages to its hooks while its window has the focus. It always
// reports "not handled", so every top-level window is offered each key.
class KeyListener : public MessageListener {
public:
    bool handleMessage(const Message& message, Window& window) override;

    virtual bool onCharacter(uint8_t character);
    virtual bool onSpecialKey(uint16_t key);
    virtual bool onOtherKey(uint16_t key);
};

}  // namespace Zorir
