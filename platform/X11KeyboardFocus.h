#pragma once

typedef struct _XDisplay Display;

namespace platform {

// Whether the X server would hand a key typed now to one window: the window
// (or a window inside it) has the keyboard focus, or the focus lies on an
// ancestor of it, the whole screen included, and the pointer rests on it.
class X11KeyboardFocus {
public:
    X11KeyboardFocus(Display* display, unsigned long window) : display_(display), window_(window) {}

    // A window that goes away while it is asked about counts as not ours.
    bool windowHasKeyboard() const;

private:
    bool askServer() const;
    // Whether window is the followed window or lies inside it.
    bool isInside(unsigned long window) const;
    bool isAncestor(unsigned long ancestor, unsigned long window) const;
    // The deepest window under the pointer; 0 when the pointer is on another screen.
    unsigned long windowUnderPointer() const;

    Display* display_;
    unsigned long window_;
};

}  // namespace platform
