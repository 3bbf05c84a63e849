#pragma once

#include "libs/zorir/EditFieldDesc.h"
#include "libs/zorir/KeyListener.h"
#include "libs/zorir/Signal.h"
#include "libs/zorir/Window.h"

#include <cstdint>
#include <memory>
#include <string>

namespace Zorir {

class EditFieldMouseListener;

// A single-line text entry, its own key listener: a cursor, a selection
// anchored at one end (by Shift or the mouse), word jumps with Ctrl, the
// window manager's clipboard, and horizontal scrolling that keeps the cursor
// in view. The text is the window's text; whoever changes it, the cursor,
// selection and anchor stay inside it and the cursor stays in view.
class EditField : public Window, public KeyListener {
public:
    EditField(Window* parent, const std::string& text);
    ~EditField() override;

    Signal0& returnPressed() { return returnPressed_; }
    // After each edit made by typing, with the new text.
    Signal1<const std::string&>& textChanged() { return textChanged_; }

    int32_t cursor() const { return cursor_; }
    // Moves the cursor (kept inside the text) and scrolls it into view.
    void setCursor(int32_t index);
    int32_t selectionStart() const { return selectionStart_; }
    int32_t selectionEnd() const { return selectionEnd_; }
    int32_t anchor() const { return anchor_; }
    void setSelection(int32_t start, int32_t end);
    void clearSelection();
    void selectAll();
    bool hasSelection() const;
    // Empty without a selection.
    std::string selectedText() const;

    float scrollOffset() const { return scrollOffset_; }
    // Where the cursor line is drawn, in screen pixels.
    float cursorX() const;
    // The index of the character under x, measured from the text's start:
    // 0 left of the text, the text's length right of it.
    int32_t characterIndexAt(float x) const;
    // Word boundaries; spaces are the only separators.
    int32_t previousWordStart(int32_t position) const;
    int32_t nextWordStart(int32_t position) const;

    // The field's own look, else the scheme's; null without either.
    EditFieldDesc* descriptionInForce() const;
    EditFieldDesc* description() const { return description_.get(); }

    Vector2 preferredSize() const override;
    void loadAppearance(const std::string& fileName, const std::string& descriptionName) override;
    void draw() override;

    bool onCharacter(uint8_t character) override;
    bool onSpecialKey(uint16_t key) override;

protected:
    void onTextChanged() override;
    // A field given its text before its size (a spin box showing its value
    // before the layouter places it) has scrolled for a width it no longer
    // has: a text that fits the new width shows whole, a longer one no
    // further scrolled than its end and the cursor need. Panels lay their
    // fields out again whenever they move, so an offset that still serves
    // is kept.
    void onResize() override { scrollToCursor(); }

private:
    friend class EditFieldMouseListener;

    int32_t length() const { return static_cast<int32_t>(text().size()); }
    bool inText(int32_t index) const { return index >= 0 && index <= length(); }
    float margin() const;
    float textWidth(const std::string& text) const;
    void scrollToCursor();
    void insertAtCursor(const std::string& inserted);
    void deleteSelection();
    void eraseAt(int32_t index);
    void moveHorizontally(int32_t step);
    void extendSelection(int32_t step);
    void selectFromAnchor(int32_t from, int32_t to);
    void edited();

    Signal0 returnPressed_;
    Signal1<const std::string&> textChanged_;
    int32_t cursor_;
    std::unique_ptr<EditFieldMouseListener> mouseListener_;
    int32_t selectionStart_ = -1;
    int32_t selectionEnd_ = -1;
    int32_t anchor_ = -1;
    float scrollOffset_ = 0.0f;
    std::unique_ptr<EditFieldDesc> description_;
};

}  // namespace Zorir
