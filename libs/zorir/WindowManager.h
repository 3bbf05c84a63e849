#pragma once

#include "libs/zorir/Dock.h"
#include "libs/zorir/Signal.h"
#include "libs/zorir/Vector2.h"

#include <cstdint>
#include <list>
#include <string>
#include <vector>

namespace Zorir {

class Message;
class MouseClickMessage;
class PropertyScheme;
class Timer;
class Window;

// The toolkit's process-wide hub. The host feeds it mouse, keys and the screen
// size; it keeps the top-level windows in z order, routes each message
// (capture, pop-up, window under the pointer, then every top-level window),
// moves the focus, recognises double clicks, polls the timers, draws all
// windows, and holds the clipboard, the default font and the modifier queries.
class WindowManager {
public:
    using ModifierQuery = bool (*)();

    // Created on first use and never destroyed, so nothing that runs while
    // the process ends can find it gone.
    static WindowManager& instance();

    virtual ~WindowManager();

    // Stores the default font and the host's modifier queries (in the order
    // shift, alt, ctrl) and creates the property scheme.
    void initialize(const std::string& defaultFontFileName, ModifierQuery shiftFunc, ModifierQuery altFunc,
                    ModifierQuery ctrlFunc);
    void deletePropertyScheme();
    PropertyScheme* propertyScheme() const { return propertyScheme_; }
    // The font that text looks use when they name none.
    static const std::string& defaultFontFileName();

    bool isShiftDown() const;
    bool isCtrlDown() const;

    const std::string& clipboardText() const { return clipboard_; }
    void setClipboardText(const std::string& text);
    Signal1<const std::string&>& clipboardChanged() { return clipboardChanged_; }

    void screenResized(int width, int height);
    const Vector2& screenSize() const { return screenSize_; }

    // Top-level windows; the manager never owns them.
    void addWindow(Window* window);
    void removeWindow(Window* window);
    void removeAllWindows();
    bool isTopLevel(const Window* window) const;
    int32_t zValue(const Window* window) const;
    void bringToFront(Window* window);
    void setPopupWindow(Window* window) { popupWindow_ = window; }
    Window* popupWindow() const { return popupWindow_; }

    void captureMouse(Window* window);
    void releaseMouse();
    Window* windowCapture() const { return windowCapture_; }

    Window* focusWindow() const { return focusWindow_; }
    // The old focus window hears focusLost, and so does every window around
    // it that the new one lies outside of; then the new one hears focusGained.
    void setFocus(Window* window);

    const Vector2& mousePosition() const { return mousePosition_; }
    Window* windowUnderMouse() const { return windowUnderMouse_; }
    void updateWindowUnderMouse();

    // Host input, in window pixels; each returns whether a window handled it.
    bool onLeftButtonDown(int x, int y);
    bool onMiddleButtonDown(int x, int y);
    bool onRightButtonDown(int x, int y);
    bool onLeftButtonUp(int x, int y);
    bool onMiddleButtonUp(int x, int y);
    bool onRightButtonUp(int x, int y);
    bool onMouseMove(int x, int y);
    bool onKeyPressed(uint8_t character);
    bool onSpecialKeyPressed(uint16_t key);

    // Once per frame: polls the timers, then draws every top-level window,
    // highest z last, and the pop-up above them all.
    void draw();

    // Kept by the timers as they start and stop.
    void addTimer(Timer* timer);
    void removeTimer(Timer* timer);

    // A window that is hidden or disabled gives up the capture (its holder
    // hears captureLost), the pop-up (which is hidden) and the focus, for
    // itself and everything inside it.
    void windowUnavailable(Window* window);
    // A window being destroyed leaves no trace here at all.
    void windowDestroyed(Window* window);

private:
    WindowManager() = default;
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;

    bool buttonDown(uint32_t button, int x, int y);
    bool buttonUp(uint32_t button, int x, int y);
    void storeMousePosition(int x, int y);
    bool isDoubleClick() const;
    void moveFocusOnPress();
    void focusLeft(Window* old, const Window* next);
    bool dispatchClick(const MouseClickMessage& message);
    bool dispatch(const Message& message);
    void pollTimers();
    void sortDocks();
    int32_t highestZValue() const;
    static bool holds(Window* window, const Window* held);

    Signal1<const std::string&> clipboardChanged_;
    std::list<Dock> docks_;
    std::vector<Timer*> timers_;
    Vector2 screenSize_;
    Vector2 mousePosition_;
    Vector2 lastPressPosition_;
    float lastPressTime_ = 0.0f;
    int32_t lastPressButton_ = -1;
    Window* windowUnderMouse_ = nullptr;
    Window* focusWindow_ = nullptr;
    Window* windowCapture_ = nullptr;
    Window* popupWindow_ = nullptr;
    PropertyScheme* propertyScheme_ = nullptr;
    std::string clipboard_;
    ModifierQuery shiftFunc_ = nullptr;
    ModifierQuery altFunc_ = nullptr;
    ModifierQuery ctrlFunc_ = nullptr;
};

}  // namespace Zorir
