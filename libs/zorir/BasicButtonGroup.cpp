#include "libs/zorir/BasicButtonGroup.h"

#include "libs/zorir/BasicButton.h"
#include "libs/zorir/core/StandardException.h"

#include <algorithm>

namespace Zorir {

void BasicButtonGroup::add(BasicButton* button)
{
    buttons_.push_back(button);
}

void BasicButtonGroup::remove(BasicButton* button)
{
    std::erase(buttons_, button);
}

int32_t BasicButtonGroup::indexOf(const BasicButton* button) const
{
    const auto found = std::find(buttons_.begin(), buttons_.end(), button);
    if (found == buttons_.end()) {
        throw Core::StandardException("A group does not contain the button which was to be retrieved", __FILE__,
                                      __LINE__);
    }
    return static_cast<int32_t>(found - buttons_.begin());
}

bool BasicButtonGroup::anotherIsOn(const BasicButton* button) const
{
    return std::any_of(buttons_.begin(), buttons_.end(),
                       [button](const BasicButton* other) { return other != button && other->isToggledOn(); });
}

void BasicButtonGroup::switchOthersOff(const BasicButton* button)
{
    // A handler of a button going off may change the group: walk a copy.
    const std::vector<BasicButton*> buttons = buttons_;
    for (BasicButton* other : buttons) {
        if (other != button) other->setToggled(false);
    }
}

}  // namespace Zorir
