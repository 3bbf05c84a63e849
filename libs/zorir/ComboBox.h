#pragma once

#include "libs/zorir/ComboBoxDesc.h"
#include "libs/zorir/ListBox.h"
#include "libs/zorir/Signal.h"
#include "libs/zorir/Window.h"

#include <cstdint>
#include <memory>
#include <string>

namespace Zorir {

class ComboBoxMouseListener;

// Shows one text; a left press drops a list of choices down below it as the
// window manager's pop-up, and choosing a line takes its text and closes the
// list.
class ComboBox : public Window {
public:
    ComboBox(Window* parent, const Rectangle& rectangle);
    ~ComboBox() override;

    Signal1<const std::string&>& currentTextChanged() { return currentTextChanged_; }
    Signal0& droppedDown() { return droppedDown_; }
    Signal0& closedUp() { return closedUp_; }

    void addString(const std::string& text);
    // A text not yet in the list is added as its last line; either way it is
    // selected and shown.
    void setCurrentText(const std::string& text);
    // Nothing for an index outside the list.
    void setCurrentItem(int32_t index);
    void dropDown();
    void closeUp();
    bool isListShown() const { return list_->isVisible(); }
    ListBox& list() const { return *list_; }

    Vector2 preferredSize() const override;
    // The open list counts as the box's own: hiding or disabling the box
    // closes it with the box.
    bool containsWindow(const Window* window) const override;
    void loadAppearance(const std::string& fileName, const std::string& descriptionName) override;
    void draw() override;

    ComboBoxDesc* description() const { return description_.get(); }

protected:
    void onFocusLost() override;

private:
    ComboBoxDesc* descriptionInForce() const;
    void placeList();
    // Hides the list; when it is the open pop-up, clicks under where it was
    // reach their windows again.
    void hideList();

    Signal1<const std::string&> currentTextChanged_;
    Signal0 droppedDown_;
    Signal0 closedUp_;
    std::unique_ptr<ListBox> list_;
    std::unique_ptr<ComboBoxMouseListener> mouseListener_;
    std::unique_ptr<ComboBoxDesc> description_;
};

}  // namespace Zorir
