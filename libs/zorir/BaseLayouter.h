#pragma once

namespace Zorir {

class LayoutInfo;
class Panel;
class Window;

// Places the child windows of a panel. A layouter refers to the windows, it
// does not own them.
class BaseLayouter {
public:
    virtual ~BaseLayouter() = default;

    // Layouters that need no placement data ignore it.
    virtual void addWindow(Window* window, const LayoutInfo& info) { (void)info, addWindow(window); }
    virtual void addWindow(Window* window) = 0;
    virtual void removeWindow(Window* window) = 0;
    // Places every added window inside the panel.
    virtual void arrange(Panel& panel) = 0;
};

}  // namespace Zorir
