#pragma once

#include "libs/zorir/BasicButton.h"
#include "libs/zorir/CheckBoxDesc.h"

#include <memory>

namespace Zorir {

// A toggle button drawn with a check mark left of its text.
class CheckBox : public BasicButton {
public:
    CheckBox(Window* parent, const std::string& text, BasicButtonGroup* group = nullptr);
    ~CheckBox() override;

    void check() { setToggled(true); }
    void uncheck() { setToggled(false); }
    void flip();

    // Its own CheckBoxDesc, else the scheme's.
    ButtonDesc* descriptionInForce() const override;
    // Room for the square mark (as wide as the text is high) beside the text.
    Vector2 preferredSize() const override;
    void loadAppearance(const std::string& fileName, const std::string& descriptionName) override;
    void draw() override;

    CheckBoxDesc* checkBoxDescription() const { return checkBoxDescription_.get(); }

private:
    std::unique_ptr<CheckBoxDesc> checkBoxDescription_;
};

}  // namespace Zorir
