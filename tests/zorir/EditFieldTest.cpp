// The edit field driven through the window manager as the host drives it:
// keys with modifiers, the clipboard, texts changed from outside, the mouse.
#include "tests/zorir/Modifiers.h"
#include "tests/zorir/TestWindow.h"

#include "libs/zorir/EditField.h"
#include "libs/zorir/PropertyScheme.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Selection = std::pair<int32_t, int32_t>;
using zorirtest::Modifiers;
using Zorir::Rectangle;

// Special keys as the host codes them.
constexpr uint16_t left = 100, right = 102, home = 106, end = 107;

// One key: a character, or a special key, with the modifiers held.
struct Key {
    uint8_t character = 0;
    uint16_t special = 0;
    bool shift = false;
    bool ctrl = false;
};

Key typed(char c) { return {static_cast<uint8_t>(c)}; }
Key ctrlKey(char letter) { return {static_cast<uint8_t>(letter - 'a' + 1)}; }
Key special(uint16_t key, bool shift = false, bool ctrl = false) { return {0, key, shift, ctrl}; }

const Key backspace{8}, del{127};
const Selection none{0, 0};

class EditFieldTest : public zorirtest::ManagerTest, public ::testing::Test {
protected:
    static void SetUpTestSuite() { Modifiers::initialize(); }

    EditFieldTest()
    {
        field_.setRectangle(Rectangle(10, 10, 250, 34));
        field_.textChanged().connect(&changes_, &Changes::changed);
        manager().addWindow(&field_);
        manager().setFocus(&field_);
        manager().setClipboardText("");
    }
    ~EditFieldTest() override
    {
        if (manager().windowCapture()) manager().releaseMouse();
        Modifiers::shift = Modifiers::ctrl = false;
    }

    void press(const Key& key)
    {
        Modifiers::shift = key.shift;
        Modifiers::ctrl = key.ctrl;
        if (key.special) {
            manager().onSpecialKeyPressed(key.special);
        } else {
            manager().onKeyPressed(key.character);
        }
        Modifiers::shift = Modifiers::ctrl = false;
    }

    Selection selection() const
    {
        return field_.hasSelection() ? Selection{field_.selectionStart(), field_.selectionEnd()} : none;
    }

    struct Changes : Zorir::SlotHolder {
        void changed(const std::string& text) { texts.push_back(text); }
        std::vector<std::string> texts;
    };

    Zorir::EditField field_{nullptr, ""};
    Changes changes_;
};

TEST_F(EditFieldTest, KeysEditTheTextCursorSelectionAndClipboard)
{
    struct Case {
        const char* name;
        std::string text;
        int32_t cursor;
        Selection selected;
        std::string clipboard;
        std::vector<Key> keys;
        std::string expectedText;
        int32_t expectedCursor;
        Selection expectedSelection;
        size_t changes;
        std::string expectedClipboard;
    } cases[] = {
        {"typing inserts at the cursor", "abc", 1, none, "", {typed('X')}, "aXbc", 2, none, 1, ""},
        {"typing replaces the selection", "abcd", 4, {0, 4}, "", {typed('z')}, "z", 1, none, 1, ""},
        {"other control characters do nothing", "abc", 1, none, "", {typed('\x02')}, "abc", 1, none, 0, ""},
        {"backspace at the start", "abc", 0, none, "", {backspace}, "abc", 0, none, 1, ""},
        {"backspace at the end", "abc", 3, none, "", {backspace}, "ab", 2, none, 1, ""},
        {"backspace deletes the selection", "abcd", 3, {1, 3}, "", {backspace}, "ad", 1, none, 1, ""},
        {"delete at the end", "abc", 3, none, "", {del}, "abc", 3, none, 1, ""},
        {"delete at the start", "abc", 0, none, "", {del}, "bc", 0, none, 1, ""},
        {"word jump right from the start", "hello world", 0, none, "", {special(right, false, true)}, "hello world",
         6, none, 0, ""},
        {"word jump right from inside a word", "hello world", 2, none, "", {special(right, false, true)},
         "hello world", 6, none, 0, ""},
        {"word jump right from a space", "hello world", 5, none, "", {special(right, false, true)}, "hello world", 6,
         none, 0, ""},
        {"word jump right in the last word", "hello world", 8, none, "", {special(right, false, true)},
         "hello world", 11, none, 0, ""},
        {"word jump left from the end", "hello world", 11, none, "", {special(left, false, true)}, "hello world", 6,
         none, 0, ""},
        {"word jump left over spaces only", "   abc", 3, none, "", {special(left, false, true)}, "   abc", 3, none, 0,
         ""},
        {"left clears the selection", "abc", 2, {0, 2}, "", {special(left)}, "abc", 1, none, 0, ""},
        {"right at the end stays", "abc", 3, none, "", {special(right)}, "abc", 3, none, 0, ""},
        {"shift home, then shift right shrinks from the left", "hello", 5, none, "",
         {special(home, true), special(right, true)}, "hello", 1, {1, 5}, 0, ""},
        {"shift end", "hello", 2, none, "", {special(end, true)}, "hello", 5, {2, 5}, 0, ""},
        {"shift left twice", "hello", 3, none, "", {special(left, true), special(left, true)}, "hello", 1, {1, 3}, 0,
         ""},
        {"home and end", "hello", 2, {1, 3}, "", {special(home)}, "hello", 0, none, 0, ""},
        {"select all", "abc", 1, none, "", {ctrlKey('a')}, "abc", 3, {0, 3}, 0, ""},
        {"copy", "abc", 3, {1, 3}, "", {ctrlKey('c')}, "abc", 3, {1, 3}, 0, "bc"},
        {"copy without a selection keeps the clipboard", "abc", 3, none, "keep", {ctrlKey('c')}, "abc", 3, none, 0,
         "keep"},
        {"cut", "abcd", 3, {1, 3}, "", {ctrlKey('x')}, "ad", 1, none, 1, "bc"},
        {"cut without a selection", "abcd", 3, none, "keep", {ctrlKey('x')}, "abcd", 3, none, 0, "keep"},
        {"paste", "ad", 1, none, "bc", {ctrlKey('v')}, "abcd", 3, none, 1, "bc"},
        {"paste over the selection", "abcd", 3, {1, 3}, "X", {ctrlKey('v')}, "aXd", 2, none, 1, "X"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        field_.setText(c.text);
        field_.setCursor(c.cursor);
        field_.clearSelection();
        field_.setSelection(c.selected.first, c.selected.second);
        manager().setClipboardText(c.clipboard);
        changes_.texts.clear();
        for (const Key& key : c.keys) press(key);
        EXPECT_EQ(field_.text(), c.expectedText);
        EXPECT_EQ(field_.cursor(), c.expectedCursor);
        EXPECT_EQ(selection(), c.expectedSelection);
        EXPECT_EQ(changes_.texts.size(), c.changes);
        if (!changes_.texts.empty()) {
            EXPECT_EQ(changes_.texts.back(), c.expectedText);
        }
        EXPECT_EQ(manager().clipboardText(), c.expectedClipboard);
    }
}

// A text shortened from outside (a spin box showing its value, a panel
// showing another selection) leaves nothing pointing past its end.
TEST_F(EditFieldTest, ATextShortenedFromOutsideIsEditedSafely)
{
    for (const Key& key : {typed('X'), backspace, del, special(right, true), ctrlKey('x'), ctrlKey('v')}) {
        field_.setText("hello world");
        field_.setCursor(11);
        press(special(home, true));
        press(special(end, true));
        ASSERT_EQ(selection(), Selection(0, 11));
        field_.setText("hi");
        EXPECT_LE(field_.cursor(), 2);
        EXPECT_LE(field_.selectionEnd(), 2);
        EXPECT_LE(field_.anchor(), 2);
        press(key);
        EXPECT_LE(field_.cursor(), static_cast<int32_t>(field_.text().size()));
    }
    field_.setText("hello");
    field_.setCursor(5);
    field_.setText("hi");
    press(typed('!'));
    EXPECT_EQ(field_.text(), "hi!");
    EXPECT_EQ(field_.cursor(), 3);
}

TEST_F(EditFieldTest, KeysReachOnlyAFieldWithTheFocus)
{
    int returns = 0;
    struct Counter : Zorir::SlotHolder {
        void count() { ++*returns; }
        int* returns;
    } counter;
    counter.returns = &returns;
    field_.returnPressed().connect(&counter, &Counter::count);
    press(typed('\r'));
    EXPECT_EQ(returns, 1);
    manager().setFocus(nullptr);
    press(typed('a'));
    press(typed('\r'));
    EXPECT_EQ(field_.text(), "");
    EXPECT_EQ(returns, 1);
}

TEST_F(EditFieldTest, ALongTextScrollsToKeepTheCursorBetweenTheMargins)
{
    field_.setRectangle(Rectangle(10, 10, 60, 34));
    const float margin = field_.descriptionInForce()->textDesc->margin;
    for (char c : std::string("a text much longer than the field")) {
        press(typed(c));
        EXPECT_GE(field_.cursorX(), 10 + margin - 0.5f);
        EXPECT_LE(field_.cursorX(), 60 - margin + 0.5f);
    }
    EXPECT_LT(field_.scrollOffset(), 0.0f);
    press(special(home));
    EXPECT_FLOAT_EQ(field_.cursorX(), 10 + margin);
}

// A text replaced from outside (a file name picked from a list after a long
// typed one): the field shows it from where the cursor is, and so the next
// character typed too.
TEST_F(EditFieldTest, EveryTextChangeKeepsTheCursorInView)
{
    field_.setRectangle(Rectangle(10, 10, 60, 34));
    const float margin = field_.descriptionInForce()->textDesc->margin;
    const std::string longer = "a text much longer than the field";
    struct Case {
        const char* name;
        std::string text;
        bool fits;
    } cases[] = {
        {"a short text", "ab", true},
        {"no text", "", true},
        {"a long text of another length", longer + " and longer still", false},
        {"a text just shorter than the typed one", longer.substr(2), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        field_.setText("");
        for (char key : longer) press(typed(key));
        ASSERT_LT(field_.scrollOffset(), 0.0f);
        field_.setText(c.text);
        for (int keys = 0; keys < 2; ++keys) {
            EXPECT_GE(field_.cursorX(), 10 + margin - 0.5f);
            EXPECT_LE(field_.cursorX(), 60 - margin + 0.5f);
            if (c.fits) {
                EXPECT_EQ(field_.scrollOffset(), 0.0f) << "the whole text in view";
            }
            press(typed('x'));
        }
    }
}

// The mouse: a press places the cursor, a drag selects, beyond the edges a
// character per move; a second press never asks for the capture twice.
TEST_F(EditFieldTest, TheMousePlacesTheCursorAndSelects)
{
    field_.setText("hello world");
    manager().onLeftButtonDown(11, 20);
    EXPECT_EQ(manager().windowCapture(), &field_);
    EXPECT_EQ(field_.cursor(), 0) << "left of the first character";
    manager().onMouseMove(249, 20);
    EXPECT_EQ(selection(), Selection(0, 11)) << "right of the last character";
    manager().onMouseMove(12, 20);
    EXPECT_EQ(selection(), none) << "back to the anchor";
    manager().onLeftButtonUp(12, 20);
    EXPECT_EQ(manager().windowCapture(), nullptr);

    // Double click: the second press arrives while the first holds the capture.
    manager().onLeftButtonDown(100, 20);
    EXPECT_NO_THROW(manager().onLeftButtonDown(100, 20));
    const int32_t at = field_.cursor();
    EXPECT_GT(at, 0);
    EXPECT_LT(at, 11);
    manager().onMouseMove(300, 20);
    manager().onMouseMove(301, 20);
    EXPECT_EQ(selection(), Selection(at, at + 2));
    manager().onMouseMove(0, 20);
    EXPECT_EQ(selection(), Selection(at - 1, at));
    manager().onLeftButtonUp(0, 20);
}

}  // namespace
