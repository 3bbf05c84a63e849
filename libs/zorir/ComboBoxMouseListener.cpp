#include "libs/zorir/ComboBoxMouseListener.h"

#include "libs/zorir/ComboBox.h"
#include "libs/zorir/Message.h"

namespace Zorir {

bool ComboBoxMouseListener::onClick(const MouseClickMessage& message)
{
    if (message.button() != MouseButton::Left) return false;
    if (message.event() == ClickEvent::Press) {
        if (comboBox_.isListShown()) {
            comboBox_.closeUp();
        } else {
            comboBox_.dropDown();
        }
    }
    return true;
}

void ComboBoxMouseListener::setCurrentItem(int index)
{
    comboBox_.setCurrentItem(index);
}

void ComboBoxMouseListener::closeUp()
{
    comboBox_.closeUp();
}

}  // namespace Zorir
