#pragma once

#include "platform/KeyState.h"

#include <vector>

typedef struct _XDisplay Display;

namespace platform {

// Polls the real key state of the X server with XQueryKeymap. It keeps a
// connection of its own: the key map is the server's, whichever client asks.
class X11KeyState : public KeyStateSource {
public:
    X11KeyState();
    ~X11KeyState() override;
    X11KeyState(const X11KeyState&) = delete;
    X11KeyState& operator=(const X11KeyState&) = delete;

    bool isDown(int virtualKey) override;

    // The X keysyms that stand for a virtual-key code (empty when unknown).
    static std::vector<unsigned long> keysymsFor(int virtualKey);

private:
    Display* display_ = nullptr;
};

}  // namespace platform
