#include "platform/X11KeyState.h"

#include "platform/KeyCodes.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace platform {

namespace {

struct KeyMapping {
    int virtualKey;
    std::vector<unsigned long> keysyms;
};

const std::vector<KeyMapping>& specialKeys()
{
    static const std::vector<KeyMapping> table = {
        {vk::kBack, {XK_BackSpace}},
        {vk::kTab, {XK_Tab}},
        {vk::kReturn, {XK_Return, XK_KP_Enter}},
        {vk::kShift, {XK_Shift_L, XK_Shift_R}},
        {vk::kControl, {XK_Control_L, XK_Control_R}},
        {vk::kMenu, {XK_Alt_L, XK_Alt_R}},
        {vk::kEscape, {XK_Escape}},
        {vk::kSpace, {XK_space}},
        {vk::kLeft, {XK_Left}},
        {vk::kUp, {XK_Up}},
        {vk::kRight, {XK_Right}},
        {vk::kDown, {XK_Down}},
        {vk::kDelete, {XK_Delete}},
        {vk::kLShift, {XK_Shift_L}},
        {vk::kRShift, {XK_Shift_R}},
        {vk::kLControl, {XK_Control_L}},
        {vk::kRControl, {XK_Control_R}},
        {vk::kLMenu, {XK_Alt_L}},
        {vk::kRMenu, {XK_Alt_R}},
        {vk::kOemPlus, {XK_equal, XK_plus, XK_KP_Add}},
        {vk::kOemComma, {XK_comma}},
        {vk::kOemMinus, {XK_minus, XK_KP_Subtract}},
        {vk::kOemPeriod, {XK_period}},
    };
    return table;
}

}  // namespace

X11KeyState::X11KeyState(unsigned long window) : display_(XOpenDisplay(nullptr)), focus_(display_, window) {}

X11KeyState::~X11KeyState()
{
    if (display_) XCloseDisplay(display_);
}

void X11KeyState::refresh()
{
    keys_.fill(0);
    if (focus_.windowHasKeyboard()) XQueryKeymap(display_, keys_.data());
}

std::vector<unsigned long> X11KeyState::keysymsFor(int virtualKey)
{
    if (virtualKey >= 'A' && virtualKey <= 'Z') {
        return {static_cast<unsigned long>(XK_a + (virtualKey - 'A'))};
    }
    if (virtualKey >= '0' && virtualKey <= '9') {
        return {static_cast<unsigned long>(XK_0 + (virtualKey - '0'))};
    }
    if (virtualKey >= vk::kF1 && virtualKey <= vk::kF12) {
        return {static_cast<unsigned long>(XK_F1 + (virtualKey - vk::kF1))};
    }
    for (const KeyMapping& mapping : specialKeys()) {
        if (mapping.virtualKey == virtualKey) return mapping.keysyms;
    }
    return {};
}

bool X11KeyState::isDown(int virtualKey)
{
    if (!display_) return false;
    for (unsigned long keysym : keysymsFor(virtualKey)) {
        const KeyCode code = XKeysymToKeycode(display_, keysym);
        if (code != 0 && (keys_[code / 8] & (1 << (code % 8)))) return true;
    }
    return false;
}

}  // namespace platform
