#pragma once

#include <cstdint>
#include <memory>

namespace platform {

// Where the state of the keyboard comes from: the program's window on the X
// server in the program, a fake in tests.
class KeyStateSource {
public:
    virtual ~KeyStateSource() = default;
    // Takes the state that isDown answers from until the next refresh.
    virtual void refresh() {}
    // Whether the key with this virtual-key code was held down at the last refresh.
    virtual bool isDown(int virtualKey) = 0;
};

// The state of one key in the manner of a key-state query: the high bit
// (0x8000, so the value is negative) is set while the key is held.
int16_t getKeyState(int virtualKey);

// Convenience for the usual "high bit set" test.
bool isKeyDown(int virtualKey);

// Takes one picture of the keyboard that every query answers from until the
// next one, so that a key cannot change in the middle of the work of a tick.
void refreshKeyState();

// The keys become those of the window whose OpenGL context is current: only
// while it would get the keys typed is any key down. Until this is called no
// key is down.
void followKeyboardOfCurrentWindow();

// Replaces the source (tests); null restores the X server's.
void setKeyStateSource(std::unique_ptr<KeyStateSource> source);

}  // namespace platform
