#pragma once

#include "platform/KeyState.h"
#include "platform/X11KeyboardFocus.h"

#include <array>
#include <vector>

namespace platform {

// The keys of one X window: the server's key map, read once per refresh,
// while that window would get the keys typed; nothing is down while another
// window has the keyboard focus. It keeps a connection of its own.
class X11KeyState : public KeyStateSource {
public:
    // window 0: no window to follow, so no key is ever down.
    explicit X11KeyState(unsigned long window);
    ~X11KeyState() override;
    X11KeyState(const X11KeyState&) = delete;
    X11KeyState& operator=(const X11KeyState&) = delete;

    void refresh() override;
    bool isDown(int virtualKey) override;

    // The X keysyms that stand for a virtual-key code (empty when unknown).
    static std::vector<unsigned long> keysymsFor(int virtualKey);

private:
    Display* display_ = nullptr;
    X11KeyboardFocus focus_;
    std::array<char, 32> keys_{};
};

}  // namespace platform
