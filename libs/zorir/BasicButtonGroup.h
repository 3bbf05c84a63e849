#pragma once

#include <cstdint>
#include <vector>

namespace Zorir {

class BasicButton;

// Makes toggle buttons exclusive: once one is on, exactly one stays on.
// Buttons join in their constructor and leave in their destructor; the group
// owns none of them.
class BasicButtonGroup {
public:
    void add(BasicButton* button);
    // Removes every entry of the button.
    void remove(BasicButton* button);
    // The button's position in the group; throws when it is not in it.
    int32_t indexOf(const BasicButton* button) const;
    const std::vector<BasicButton*>& buttons() const { return buttons_; }

    bool anotherIsOn(const BasicButton* button) const;
    void switchOthersOff(const BasicButton* button);

private:
    std::vector<BasicButton*> buttons_;
};

}  // namespace Zorir
