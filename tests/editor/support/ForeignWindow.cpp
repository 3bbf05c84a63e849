#include "tests/editor/support/ForeignWindow.h"

#include <X11/Xlib.h>

#include <chrono>
#include <thread>

namespace quillow::test {

namespace {

constexpr int kAttempts = 250;
constexpr auto kPause = std::chrono::milliseconds(20);

}  // namespace

ForeignWindow::ForeignWindow(const std::string& display) : display_(XOpenDisplay(display.c_str()))
{
    if (!display_) return;
    const ::Window root = DefaultRootWindow(display_);
    window_ = XCreateSimpleWindow(display_, root, 1100, 850, 120, 100, 0, 0, 0);
    XSelectInput(display_, window_, StructureNotifyMask);
    XStoreName(display_, window_, "other program");
    XMapWindow(display_, window_);
    XFlush(display_);
}

ForeignWindow::~ForeignWindow()
{
    if (!display_) return;
    XDestroyWindow(display_, window_);
    XCloseDisplay(display_);
}

bool ForeignWindow::waitUntilMapped()
{
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(display_, window_, &attributes) && attributes.map_state == IsViewable) return true;
        std::this_thread::sleep_for(kPause);
    }
    return false;
}

bool ForeignWindow::focusOn(unsigned long window)
{
    XSetInputFocus(display_, window, RevertToParent, CurrentTime);
    ::Window focus = 0;
    int revertTo = 0;
    XGetInputFocus(display_, &focus, &revertTo);
    return focus == window;
}

bool ForeignWindow::takeFocus()
{
    return display_ && waitUntilMapped() && focusOn(window_);
}

bool ForeignWindow::giveFocusTo(unsigned long window)
{
    return display_ && window != 0 && focusOn(window);
}

}  // namespace quillow::test
