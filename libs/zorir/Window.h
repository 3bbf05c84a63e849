#pragma once

#include "libs/zorir/Rectangle.h"
#include "libs/zorir/Signal.h"
#include "libs/zorir/SlotHolder.h"
#include "libs/zorir/Vector2.h"

#include <list>
#include <string>

namespace Zorir {

class Message;
class MessageListener;

// The base of every widget: text, size, position, visibility, the enabled
// flag, the parent and the message listeners. Positions are absolute screen
// pixels. Concrete widgets supply their preferred size, look and drawing.
class Window : public SlotHolder {
public:
    Window(Window* parent, const std::string& text);
    ~Window() override;

    virtual bool hasFocus() const;
    virtual Vector2 preferredSize() const = 0;
    // Offers the message to the listeners in order until one handles it;
    // a hidden or disabled window handles nothing.
    virtual bool process(const Message& message);
    // This window when visible and under the point; containers answer with
    // their deepest child.
    virtual Window* windowAt(const Vector2& point);
    virtual bool containsWindow(const Window* window) const;
    virtual void loadAppearance(const std::string& fileName, const std::string& descriptionName) = 0;
    virtual void draw() = 0;

    const std::string& text() const { return text_; }
    void setText(const std::string& text);

    // The size set with setSize, else the preferred size.
    Vector2 size() const;
    void setSize(const Vector2& size);
    const Vector2& position() const { return position_; }
    void setPosition(const Vector2& position);
    void setRectangle(const Rectangle& rectangle);
    Rectangle rectangle() const;

    void show();
    void hide();
    bool isVisible() const { return visible_; }
    // A disabled window gives up the mouse capture, the focus and the pop-up.
    void setEnabled(bool enabled);
    bool isEnabled() const { return enabled_; }

    void focusGained() { onFocusGained(); }
    void focusLost() { onFocusLost(); }
    // The window manager took the mouse capture away from this window, which
    // was hidden or disabled (or lies inside one that was) while it held it.
    void captureLost() { onCaptureLost(); }

    Window* parent() const { return parent_; }
    // The outermost ancestor, or this window itself.
    Window* root();

    void addMessageListener(MessageListener* listener);
    void removeMessageListener(MessageListener* listener);

    // Draws the window, then greys it over while it is disabled.
    void drawIfVisible();

    // A signal every window carries for its users; the toolkit does not emit it.
    Signal0& signal() { return signal_; }

protected:
    virtual void onResize() {}
    virtual void onMove() {}
    virtual void onTextChanged() {}
    virtual void onShow() {}
    virtual void onHide() {}
    virtual void onFocusGained() {}
    virtual void onFocusLost() {}
    virtual void onCaptureLost() {}

private:
    Signal0 signal_;
    Window* parent_;
    std::list<MessageListener*> listeners_;
    std::string text_;
    Vector2 size_;
    Vector2 position_;
    bool visible_ = true;
    bool enabled_ = true;
    bool sizeSet_ = false;
};

}  // namespace Zorir
