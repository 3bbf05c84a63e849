#include "libs/zorir/WindowManager.h"

#include "libs/zorir/CurrentTime.h"
#include "libs/zorir/Message.h"
#include "libs/zorir/PropertyScheme.h"
#include "libs/zorir/Renderer.h"
#include "libs/zorir/Timer.h"
#include "libs/zorir/Window.h"
#include "libs/zorir/core/StandardException.h"

#include <algorithm>
#include <cmath>

namespace Zorir {

namespace {

// Two presses make a double click when they come this close in time and place.
constexpr long doubleClickMilliseconds = 300;
constexpr float doubleClickDistance = 5.0f;

std::string& defaultFontFile()
{
    static std::string* fileName = new std::string;
    return *fileName;
}

}  // namespace

WindowManager& WindowManager::instance()
{
    static WindowManager* manager = new WindowManager;
    return *manager;
}

WindowManager::~WindowManager() = default;

void WindowManager::initialize(const std::string& defaultFontFileName, ModifierQuery shiftFunc,
                               ModifierQuery altFunc, ModifierQuery ctrlFunc)
{
    defaultFontFile() = defaultFontFileName;
    shiftFunc_ = shiftFunc;
    altFunc_ = altFunc;
    ctrlFunc_ = ctrlFunc;
    delete propertyScheme_;
    propertyScheme_ = new PropertyScheme;
}

void WindowManager::deletePropertyScheme()
{
    delete propertyScheme_;
    propertyScheme_ = nullptr;
}

const std::string& WindowManager::defaultFontFileName()
{
    return defaultFontFile();
}

bool WindowManager::isShiftDown() const
{
    ZORIR_ASSERT(shiftFunc_ != 0);
    return shiftFunc_();
}

bool WindowManager::isCtrlDown() const
{
    ZORIR_ASSERT(ctrlFunc_ != 0);
    return ctrlFunc_();
}

void WindowManager::setClipboardText(const std::string& text)
{
    clipboard_ = text;
    clipboardChanged_.emit(clipboard_);
}

void WindowManager::screenResized(int width, int height)
{
    screenSize_ = Vector2(static_cast<float>(width), static_cast<float>(height));
    for (const Dock& dock : docks_) {
        // Unanchored windows are set where they are, so their onMove runs.
        dock.window_->setPosition(dock.anchored_ ? dock.anchoredPosition(screenSize_) : dock.window_->position());
    }
}

void WindowManager::addWindow(Window* window)
{
    Dock dock;
    dock.window_ = window;
    dock.zValue_ = highestZValue() + 1;
    docks_.push_back(dock);
    sortDocks();
}

void WindowManager::removeWindow(Window* window)
{
    if (!isTopLevel(window)) return;
    docks_.remove_if([window](const Dock& dock) { return dock.window_ == window; });
    // Removed windows may be deleted next: nothing here may point into them.
    if (holds(window, focusWindow_)) focusWindow_ = nullptr;
    if (holds(window, windowCapture_)) windowCapture_ = nullptr;
    if (holds(window, popupWindow_)) popupWindow_ = nullptr;
    if (holds(window, windowUnderMouse_)) updateWindowUnderMouse();
}

void WindowManager::removeAllWindows()
{
    windowUnderMouse_ = nullptr;
    focusWindow_ = nullptr;
    windowCapture_ = nullptr;
    popupWindow_ = nullptr;
    docks_.clear();
}

bool WindowManager::isTopLevel(const Window* window) const
{
    return std::any_of(docks_.begin(), docks_.end(), [window](const Dock& dock) { return dock.window_ == window; });
}

int32_t WindowManager::zValue(const Window* window) const
{
    for (const Dock& dock : docks_) {
        if (dock.window_ == window) return dock.zValue_;
    }
    throw Core::StandardException("Trying to get the zValue of a window that is not a top level window", __FILE__,
                                  __LINE__);
}

void WindowManager::bringToFront(Window* window)
{
    const Window* root = window->root();
    const int32_t front = highestZValue() + 1;
    const auto entry =
        std::find_if(docks_.begin(), docks_.end(), [root](const Dock& dock) { return dock.window_ == root; });
    if (entry != docks_.end()) entry->zValue_ = front;
    sortDocks();
    // Renumber from 0 at the back so the values never grow without bound.
    int32_t z = static_cast<int32_t>(docks_.size());
    for (Dock& dock : docks_) dock.zValue_ = --z;
    updateWindowUnderMouse();
}

void WindowManager::captureMouse(Window* window)
{
    ZORIR_ASSERT(windowCapture_ == 0);
    ZORIR_ASSERT(window != 0);
    windowCapture_ = window;
}

void WindowManager::releaseMouse()
{
    ZORIR_ASSERT(windowCapture_ != 0);
    windowCapture_ = nullptr;
}

void WindowManager::setFocus(Window* window)
{
    if (window == focusWindow_) return;
    Window* old = focusWindow_;
    focusWindow_ = window;
    if (old) focusLeft(old, window);
    // The old window's handler may have moved the focus again or destroyed
    // the new window; only a window that still holds the focus hears of it.
    if (window && focusWindow_ == window) window->focusGained();
}

void WindowManager::focusLeft(Window* old, const Window* next)
{
    old->focusLost();
    // A widget made of parts hands its focus to one of them (a spin box to
    // its field); when the focus goes on from that part to anything outside
    // the widget, the widget has lost it as well and must hear so.
    for (Window* outer = old->parent(); outer && !holds(outer, next); outer = outer->parent()) outer->focusLost();
}

void WindowManager::updateWindowUnderMouse()
{
    if (popupWindow_ && popupWindow_->containsWindow(popupWindow_->windowAt(mousePosition_))) {
        windowUnderMouse_ = popupWindow_;
        return;
    }
    windowUnderMouse_ = nullptr;
    for (const Dock& dock : docks_) {
        if (!dock.window_->isVisible()) continue;
        if (Window* hit = dock.window_->windowAt(mousePosition_)) {
            windowUnderMouse_ = hit;
            return;
        }
    }
}

bool WindowManager::onLeftButtonDown(int x, int y) { return buttonDown(MouseButton::Left, x, y); }
bool WindowManager::onMiddleButtonDown(int x, int y) { return buttonDown(MouseButton::Middle, x, y); }
bool WindowManager::onRightButtonDown(int x, int y) { return buttonDown(MouseButton::Right, x, y); }
bool WindowManager::onLeftButtonUp(int x, int y) { return buttonUp(MouseButton::Left, x, y); }
bool WindowManager::onMiddleButtonUp(int x, int y) { return buttonUp(MouseButton::Middle, x, y); }
bool WindowManager::onRightButtonUp(int x, int y) { return buttonUp(MouseButton::Right, x, y); }

bool WindowManager::onMouseMove(int x, int y)
{
    storeMousePosition(x, y);
    updateWindowUnderMouse();
    const MouseMessage message(MessageType::MouseMove, mousePosition_);
    return windowCapture_ ? windowCapture_->process(message) : dispatch(message);
}

bool WindowManager::onKeyPressed(uint8_t character)
{
    return dispatch(KeyMessage(MessageType::Character, character, 0));
}

bool WindowManager::onSpecialKeyPressed(uint16_t key)
{
    return dispatch(KeyMessage(MessageType::SpecialKey, 0, key));
}

void WindowManager::draw()
{
    pollTimers();
    begin2D();
    for (auto dock = docks_.rbegin(); dock != docks_.rend(); ++dock) dock->window_->drawIfVisible();
    if (popupWindow_) popupWindow_->drawIfVisible();
    end2D();
}

void WindowManager::addTimer(Timer* timer)
{
    timers_.push_back(timer);
}

void WindowManager::removeTimer(Timer* timer)
{
    const auto found = std::find(timers_.begin(), timers_.end(), timer);
    if (found != timers_.end()) timers_.erase(found);
}

void WindowManager::windowUnavailable(Window* window)
{
    if (holds(window, windowCapture_)) {
        // No release will ever reach the holder: it ends its press itself.
        Window* holder = windowCapture_;
        windowCapture_ = nullptr;
        holder->captureLost();
    }
    if (holds(window, popupWindow_)) {
        // A pop-up belongs to the widget that opened it and goes with it.
        Window* popup = popupWindow_;
        popupWindow_ = nullptr;
        if (popup->isVisible()) popup->hide();
    }
    if (holds(window, focusWindow_)) setFocus(nullptr);
}

void WindowManager::windowDestroyed(Window* window)
{
    // Called from the window's destructor: its own overrides are gone, so only
    // plain pointer comparisons are safe. Children are destroyed one by one and
    // each clears itself.
    docks_.remove_if([window](const Dock& dock) { return dock.window_ == window; });
    for (Window** held : {&windowUnderMouse_, &focusWindow_, &windowCapture_, &popupWindow_}) {
        if (*held == window) *held = nullptr;
    }
}

bool WindowManager::buttonDown(uint32_t button, int x, int y)
{
    storeMousePosition(x, y);
    const bool doubleClick = lastPressButton_ == static_cast<int32_t>(button) && isDoubleClick();
    updateWindowUnderMouse();
    const bool handled =
        dispatchClick(MouseClickMessage(mousePosition_, button, doubleClick ? ClickEvent::DoubleClick : ClickEvent::Press));
    if (button == MouseButton::Left) moveFocusOnPress();
    if (doubleClick) {
        // A third press starts a new pair.
        lastPressButton_ = -1;
    } else {
        lastPressButton_ = static_cast<int32_t>(button);
        lastPressTime_ = currentTime();
        lastPressPosition_ = mousePosition_;
    }
    return handled;
}

bool WindowManager::buttonUp(uint32_t button, int x, int y)
{
    storeMousePosition(x, y);
    updateWindowUnderMouse();
    return dispatchClick(MouseClickMessage(mousePosition_, button, ClickEvent::Release));
}

void WindowManager::storeMousePosition(int x, int y)
{
    mousePosition_ = Vector2(static_cast<float>(x), static_cast<float>(y));
}

bool WindowManager::isDoubleClick() const
{
    // The clock ticks in whole milliseconds; rounding the difference back to
    // them undoes the float's rounding, so 0.3 s apart is never a double click.
    const long elapsed = std::lround((currentTime() - lastPressTime_) * 1000.0f);
    return elapsed < doubleClickMilliseconds &&
           std::fabs(mousePosition_.x - lastPressPosition_.x) < doubleClickDistance &&
           std::fabs(mousePosition_.y - lastPressPosition_.y) < doubleClickDistance;
}

void WindowManager::moveFocusOnPress()
{
    // A press inside the open pop-up leaves the focus with the widget that owns it.
    if (popupWindow_ && popupWindow_->rectangle().contains(mousePosition_)) return;
    if (windowUnderMouse_ != focusWindow_) setFocus(windowUnderMouse_);
}

bool WindowManager::dispatchClick(const MouseClickMessage& message)
{
    if (windowCapture_) return windowCapture_->process(message);
    if (windowUnderMouse_) return windowUnderMouse_->process(message);
    return dispatch(message);
}

bool WindowManager::dispatch(const Message& message)
{
    if (popupWindow_ && popupWindow_->isVisible()) {
        popupWindow_->process(message);
        return false;
    }
    // A handler may remove or destroy top-level windows: walk a copy and skip
    // the windows that are gone meanwhile.
    std::vector<Window*> windows;
    for (const Dock& dock : docks_) windows.push_back(dock.window_);
    for (Window* window : windows) {
        if (isTopLevel(window) && window->process(message)) return true;
    }
    return false;
}

void WindowManager::pollTimers()
{
    // A handler may stop or destroy this or any other timer.
    const std::vector<Timer*> timers = timers_;
    for (Timer* timer : timers) {
        if (std::find(timers_.begin(), timers_.end(), timer) == timers_.end()) continue;
        if (timer->hasExpired()) timer->expired().emit();
    }
}

void WindowManager::sortDocks()
{
    // list::sort is stable: windows with equal z keep their order.
    docks_.sort([](const Dock& a, const Dock& b) { return a.zValue_ > b.zValue_; });
}

int32_t WindowManager::highestZValue() const
{
    int32_t highest = 0;
    for (const Dock& dock : docks_) highest = std::max(highest, dock.zValue_);
    return highest;
}

bool WindowManager::holds(Window* window, const Window* held)
{
    return held && (held == window || window->containsWindow(held));
}

}  // namespace Zorir
