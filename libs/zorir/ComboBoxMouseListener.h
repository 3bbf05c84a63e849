#pragma once

#include "libs/zorir/MouseListener.h"
#include "libs/zorir/SlotHolder.h"

namespace Zorir {

class ComboBox;

// Opens and closes the combo box's list on a left press, and takes the
// list's choices to the combo box.
class ComboBoxMouseListener : public MouseListener, public SlotHolder {
public:
    explicit ComboBoxMouseListener(ComboBox& comboBox) : comboBox_(comboBox) {}

    bool onClick(const MouseClickMessage& message) override;
    void setCurrentItem(int index);
    void closeUp();

private:
    ComboBox& comboBox_;
};

}  // namespace Zorir
