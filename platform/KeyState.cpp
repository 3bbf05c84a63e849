#include "platform/KeyState.h"

#include "platform/X11KeyState.h"

#include <GL/glx.h>

namespace platform {

namespace {

// The window the X server's source follows; 0 before the program has one.
unsigned long followedWindow = 0;

std::unique_ptr<KeyStateSource>& currentSource()
{
    static std::unique_ptr<KeyStateSource> source;
    return source;
}

KeyStateSource& source()
{
    auto& current = currentSource();
    if (!current) current = std::make_unique<X11KeyState>(followedWindow);
    return *current;
}

}  // namespace

int16_t getKeyState(int virtualKey)
{
    return source().isDown(virtualKey) ? static_cast<int16_t>(0x8000) : int16_t{0};
}

bool isKeyDown(int virtualKey)
{
    return (getKeyState(virtualKey) & 0x8000) != 0;
}

void refreshKeyState()
{
    source().refresh();
}

void followKeyboardOfCurrentWindow()
{
    followedWindow = glXGetCurrentDrawable();
    currentSource() = std::make_unique<X11KeyState>(followedWindow);
}

void setKeyStateSource(std::unique_ptr<KeyStateSource> source)
{
    currentSource() = std::move(source);
}

}  // namespace platform
