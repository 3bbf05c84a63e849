#include "libs/zorir/EditField.h"

#include "libs/zorir/EditFieldMouseListener.h"
#include "libs/zorir/LookInForce.h"
#include "libs/zorir/TextRenderer.h"
#include "libs/zorir/WindowManager.h"
#include "libs/zorir/core/AppearanceLoader.h"

#include <algorithm>

namespace Zorir {

namespace {

// Control characters and the host's special-key codes the field acts on.
namespace Key {
enum : uint8_t { SelectAll = 1, Copy = 3, Backspace = 8, Return = 13, Paste = 22, Cut = 24, Delete = 127 };
}
namespace Special {
enum : uint16_t { Left = 100, Right = 102, Home = 106, End = 107 };
}

const Vector2 padding(8.0f, 8.0f);

}  // namespace

EditField::EditField(Window* parent, const std::string& text)
    : Window(parent, text),
      cursor_(static_cast<int32_t>(text.size())),
      mouseListener_(std::make_unique<EditFieldMouseListener>(*this))
{
    addMessageListener(mouseListener_.get());
    addMessageListener(this);
}

EditField::~EditField()
{
    removeMessageListener(mouseListener_.get());
    removeMessageListener(this);
}

void EditField::onTextChanged()
{
    // The text may be set from anywhere (a spin box showing its value, a
    // panel showing another selection): nothing may point past its end.
    const int32_t end = length();
    cursor_ = std::clamp(cursor_, 0, end);
    for (int32_t* index : {&selectionStart_, &selectionEnd_, &anchor_}) {
        if (*index > end) *index = end;
    }
    scrollToCursor();
}

void EditField::setCursor(int32_t index)
{
    cursor_ = std::clamp(index, 0, length());
    scrollToCursor();
}

void EditField::scrollToCursor()
{
    const float left = position().x + margin();
    const float right = position().x + size().x - margin();
    // Scrolled no further than the end of the text needs, so that a text
    // replaced by a shorter one does not stay out of sight left of the field.
    const float furthest = std::min(0.0f, right - left - textWidth(text()));
    scrollOffset_ = std::clamp(scrollOffset_, furthest, 0.0f);
    const float x = cursorX();
    if (x < left) {
        scrollOffset_ += left - x;
    } else if (x > right) {
        scrollOffset_ -= x - right;
    }
}

void EditField::setSelection(int32_t start, int32_t end)
{
    selectionStart_ = start;
    selectionEnd_ = end;
}

void EditField::clearSelection()
{
    setSelection(0, 0);
    anchor_ = -1;
}

void EditField::selectAll()
{
    setSelection(0, length());
}

bool EditField::hasSelection() const
{
    return selectionStart_ >= 0 && selectionStart_ < selectionEnd_ && selectionEnd_ >= 1 &&
           selectionStart_ < length() && selectionEnd_ <= length();
}

std::string EditField::selectedText() const
{
    if (!hasSelection()) return std::string();
    return text().substr(selectionStart_, selectionEnd_ - selectionStart_);
}

EditFieldDesc* EditField::descriptionInForce() const
{
    return lookInForce(description_, &PropertyScheme::editFieldDesc);
}

float EditField::margin() const
{
    const EditFieldDesc* look = descriptionInForce();
    return look && look->textDesc ? look->textDesc->margin : 0.0f;
}

float EditField::textWidth(const std::string& measured) const
{
    EditFieldDesc* look = descriptionInForce();
    if (!look || !look->textDesc) return 0.0f;
    look->textDesc->text = measured;
    return look->textDesc->textWidth();
}

float EditField::cursorX() const
{
    return position().x + margin() + textWidth(text().substr(0, cursor_)) + scrollOffset_;
}

int32_t EditField::characterIndexAt(float x) const
{
    if (x <= 0.0f) return 0;
    const EditFieldDesc* look = descriptionInForce();
    TextRenderer* font = look && look->textDesc ? look->textDesc->font() : nullptr;
    if (!font) return length();
    const int index = font->fittingCharacters(text(), x);
    return index < 0 ? length() : index;
}

int32_t EditField::previousWordStart(int32_t position) const
{
    std::string before = text().substr(0, std::clamp(position, 0, length()));
    const std::size_t lastLetter = before.find_last_not_of(' ');
    if (lastLetter != std::string::npos) before.erase(lastLetter);
    const std::size_t lastSpace = before.rfind(' ');
    return lastSpace == std::string::npos ? 0 : static_cast<int32_t>(lastSpace) + 1;
}

int32_t EditField::nextWordStart(int32_t position) const
{
    const std::string& s = text();
    std::size_t i = static_cast<std::size_t>(std::clamp(position, 0, length()));
    // On a space the jump ends at the next word; inside a word, at the one after.
    while (i < s.size() && s[i] != ' ') ++i;
    while (i < s.size() && s[i] == ' ') ++i;
    return static_cast<int32_t>(i);
}

Vector2 EditField::preferredSize() const
{
    EditFieldDesc* look = descriptionInForce();
    if (!look || !look->textDesc) return padding;
    look->textDesc->text = text();
    return look->textDesc->textExtent() + padding;
}

void EditField::loadAppearance(const std::string& fileName, const std::string& descriptionName)
{
    Core::loadAppearance(description_, fileName, descriptionName);
}

void EditField::draw()
{
    EditFieldDesc* look = descriptionInForce();
    if (!look) return;
    look->owner = this;
    look->draw(rectangle());
}

void EditField::edited()
{
    textChanged_.emit(text());
}

void EditField::insertAtCursor(const std::string& inserted)
{
    if (hasSelection()) deleteSelection();
    const int32_t at = cursor_;
    setText(text().substr(0, at) + inserted + text().substr(at));
    setCursor(at + static_cast<int32_t>(inserted.size()));
}

void EditField::deleteSelection()
{
    const int32_t start = selectionStart_;
    setText(text().substr(0, start) + text().substr(selectionEnd_));
    setCursor(start);
    clearSelection();
}

void EditField::eraseAt(int32_t index)
{
    setText(text().substr(0, index) + text().substr(index + 1));
}

bool EditField::onCharacter(uint8_t character)
{
    WindowManager& manager = WindowManager::instance();
    switch (character) {
    case Key::Delete:
        if (hasSelection()) {
            deleteSelection();
        } else if (cursor_ < length()) {
            eraseAt(cursor_);
        }
        clearSelection();
        edited();
        return true;
    case Key::Backspace:
        if (hasSelection()) {
            deleteSelection();
        } else if (cursor_ > 0) {
            const int32_t at = cursor_ - 1;
            eraseAt(at);
            setCursor(at);
        }
        clearSelection();
        edited();
        return true;
    case Key::Return:
        returnPressed_.emit();
        return true;
    case Key::SelectAll:
        setCursor(length());
        anchor_ = 0;
        selectAll();
        return true;
    case Key::Copy:
        if (!selectedText().empty()) manager.setClipboardText(selectedText());
        return true;
    case Key::Cut:
        if (!hasSelection()) return true;
        manager.setClipboardText(selectedText());
        deleteSelection();
        edited();
        return true;
    case Key::Paste:
        insertAtCursor(manager.clipboardText());
        edited();
        return true;
    default:
        if (character < 32) return false;
        insertAtCursor(std::string(1, static_cast<char>(character)));
        edited();
        return true;
    }
}

bool EditField::onSpecialKey(uint16_t key)
{
    WindowManager& manager = WindowManager::instance();
    switch (key) {
    case Special::Left:
    case Special::Right: {
        int32_t step = key == Special::Left ? -1 : 1;
        if (manager.isCtrlDown()) {
            step = (key == Special::Left ? previousWordStart(cursor_) : nextWordStart(cursor_)) - cursor_;
        }
        if (manager.isShiftDown()) {
            extendSelection(step);
        } else {
            moveHorizontally(step);
        }
        return true;
    }
    case Special::Home:
        if (manager.isShiftDown()) {
            selectFromAnchor(0, cursor_);
        } else {
            clearSelection();
        }
        setCursor(0);
        return true;
    case Special::End:
        if (manager.isShiftDown()) {
            selectFromAnchor(cursor_, length());
        } else {
            clearSelection();
        }
        setCursor(length());
        return true;
    default:
        return false;
    }
}

void EditField::moveHorizontally(int32_t step)
{
    clearSelection();
    if (inText(cursor_ + step)) setCursor(cursor_ + step);
}

void EditField::extendSelection(int32_t step)
{
    if (anchor_ == -1) anchor_ = cursor_;
    if (inText(cursor_ + step)) setCursor(cursor_ + step);
    setSelection(std::min(anchor_, cursor_), std::max(anchor_, cursor_));
}

void EditField::selectFromAnchor(int32_t from, int32_t to)
{
    anchor_ = cursor_;
    setSelection(from, to);
}

}  // namespace Zorir
