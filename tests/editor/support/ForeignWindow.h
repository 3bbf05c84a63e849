#pragma once

// A window of another X client beside the editor, as a terminal is: it can
// take the keyboard focus, as a window manager gives it on a click, and hand
// it on to another window. The window lies right of the editor's, so the
// pointer can rest on the editor meanwhile.
//
//   ForeignWindow other(editor.display());
//   ASSERT_TRUE(other.takeFocus());
//   editor.keyDown("d");                    // typed into the other window
//   ASSERT_TRUE(other.giveFocusTo(editor.window()));

#include <string>

typedef struct _XDisplay Display;

namespace quillow::test {

class ForeignWindow {
public:
    explicit ForeignWindow(const std::string& display);
    ~ForeignWindow();
    ForeignWindow(const ForeignWindow&) = delete;
    ForeignWindow& operator=(const ForeignWindow&) = delete;

    // False when the window could not be shown or the focus did not move.
    bool takeFocus();
    bool giveFocusTo(unsigned long window);

private:
    bool waitUntilMapped();
    bool focusOn(unsigned long window);

    Display* display_ = nullptr;
    unsigned long window_ = 0;
};

}  // namespace quillow::test
