#pragma once

#include "libs/zorir/Vector2.h"

#include <cstdint>

namespace Zorir {

// Type codes of the messages the window manager and widgets send.
namespace MessageType {
enum : uint32_t {
    MouseMove = 0,
    MouseClick = 1,
    MouseEnter = 2,
    MouseLeave = 3,
    Character = 4,   // only the character is meaningful
    SpecialKey = 5,  // only the key code is meaningful
    OtherKey = 6,
    SlideableValue = 9,
    Selected = 11,
    Deselected = 12,
};
}  // namespace MessageType

namespace MouseButton {
enum : uint32_t { Left = 0, Middle = 1, Right = 2 };
}

namespace ClickEvent {
enum : uint32_t { Press = 0, Release = 1, DoubleClick = 2 };
}

// Messages live on their sender's stack and are handed on by pointer; no
// receiver keeps one.
class Message {
public:
    explicit Message(uint32_t type) : type_(type) {}
    virtual ~Message() = default;

    uint32_t type() const { return type_; }

private:
    uint32_t type_;
};

class MouseMessage : public Message {
public:
    MouseMessage(uint32_t type, const Vector2& position) : Message(type), position_(position) {}

    const Vector2& position() const { return position_; }

private:
    Vector2 position_;
};

class MouseClickMessage : public MouseMessage {
public:
    MouseClickMessage(const Vector2& position, uint32_t button, uint32_t event)
        : MouseMessage(MessageType::MouseClick, position), button_(button), event_(event)
    {
    }

    uint32_t button() const { return button_; }
    uint32_t event() const { return event_; }

private:
    uint32_t button_;
    uint32_t event_;
};

class KeyMessage : public Message {
public:
    KeyMessage(uint32_t type, uint8_t character, uint16_t key) : Message(type), character_(character), key_(key) {}

    uint8_t character() const { return character_; }
    uint16_t key() const { return key_; }

private:
    uint8_t character_;
    uint16_t key_;
};

class SlideableMessage : public Message {
public:
    explicit SlideableMessage(int32_t value) : Message(MessageType::SlideableValue), value_(value) {}

    int32_t value() const { return value_; }

private:
    int32_t value_;
};

class SelectionMessage : public Message {
public:
    SelectionMessage(uint32_t type, int32_t index) : Message(type), index_(index) {}

    int32_t index() const { return index_; }

private:
    int32_t index_;
};

}  // namespace Zorir
