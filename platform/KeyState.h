#pragma once

#include <cstdint>
#include <memory>

namespace platform {

// Where the state of the keyboard comes from: the X server in the program,
// a fake in tests.
class KeyStateSource {
public:
    virtual ~KeyStateSource() = default;
    // Whether the key with this virtual-key code is held down right now.
    virtual bool isDown(int virtualKey) = 0;
};

// The state of one key in the manner of a key-state query: the high bit
// (0x8000, so the value is negative) is set while the key is held.
int16_t getKeyState(int virtualKey);

// Convenience for the usual "high bit set" test.
bool isKeyDown(int virtualKey);

// Replaces the source (tests); null restores the X server's.
void setKeyStateSource(std::unique_ptr<KeyStateSource> source);

}  // namespace platform
