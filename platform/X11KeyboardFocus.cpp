#include "platform/X11KeyboardFocus.h"

#include <X11/Xlib.h>

namespace platform {

namespace {

// The windows asked about belong to other clients, which may destroy them
// at any time; such an error must not end the program. Errors of other
// connections go to whoever handled them before.
Display* quietDisplay = nullptr;
bool quietErrorSeen = false;
XErrorHandler earlierHandler = nullptr;

int noteError(Display* display, XErrorEvent* error)
{
    if (display == quietDisplay) {
        quietErrorSeen = true;
        return 0;
    }
    return earlierHandler ? earlierHandler(display, error) : 0;
}

// The parent of window; 0 at the root or when it cannot be told.
::Window parentOf(Display* display, ::Window window)
{
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count)) return 0;
    if (children) XFree(children);
    return parent == root ? 0 : parent;
}

}  // namespace

bool X11KeyboardFocus::windowHasKeyboard() const
{
    if (!display_ || window_ == 0) return false;
    quietDisplay = display_;
    quietErrorSeen = false;
    earlierHandler = XSetErrorHandler(noteError);
    // Every request asked has a reply, so its error has come in by now.
    const bool answer = askServer();
    XSetErrorHandler(earlierHandler);
    quietDisplay = nullptr;
    return answer && !quietErrorSeen;
}

bool X11KeyboardFocus::askServer() const
{
    ::Window focus = 0;
    int revertTo = 0;
    XGetInputFocus(display_, &focus, &revertTo);
    if (focus == None) return false;
    if (focus != PointerRoot && isInside(focus)) return true;
    // Keys go to the window under the pointer when it lies inside the focus
    // window; PointerRoot makes the focus follow the pointer over the screen.
    const ::Window under = windowUnderPointer();
    if (under == 0 || !isInside(under)) return false;
    return focus == PointerRoot || isAncestor(focus, under);
}

bool X11KeyboardFocus::isInside(unsigned long window) const
{
    return window == window_ || isAncestor(window_, window);
}

bool X11KeyboardFocus::isAncestor(unsigned long ancestor, unsigned long window) const
{
    for (::Window up = parentOf(display_, window); up != 0; up = parentOf(display_, up)) {
        if (up == ancestor) return true;
    }
    return ancestor == DefaultRootWindow(display_);
}

unsigned long X11KeyboardFocus::windowUnderPointer() const
{
    ::Window at = DefaultRootWindow(display_);
    for (;;) {
        ::Window root = 0, child = 0;
        int rootX = 0, rootY = 0, x = 0, y = 0;
        unsigned int mask = 0;
        if (!XQueryPointer(display_, at, &root, &child, &rootX, &rootY, &x, &y, &mask)) return 0;
        if (child == None) return at;
        at = child;
    }
}

}  // namespace platform
