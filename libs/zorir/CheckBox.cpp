#include "libs/zorir/CheckBox.h"

#include "libs/zorir/LookInForce.h"
#include "libs/zorir/core/AppearanceLoader.h"

namespace Zorir {

CheckBox::CheckBox(Window* parent, const std::string& text, BasicButtonGroup* group)
    : BasicButton(parent, text, group)
{
    setToggleButton(true);
}

CheckBox::~CheckBox() = default;

void CheckBox::flip()
{
    if (isToggledOn()) {
        uncheck();
    } else {
        check();
    }
}

ButtonDesc* CheckBox::descriptionInForce() const
{
    return drawing(lookInForce(checkBoxDescription_, &PropertyScheme::checkBoxDesc));
}

Vector2 CheckBox::preferredSize() const
{
    ButtonDesc* look = descriptionInForce();
    const Vector2 text = look ? look->textSize() : Vector2(8.0f, 8.0f);
    return {text.x + text.y + 8.0f, text.y + 8.0f};
}

void CheckBox::loadAppearance(const std::string& fileName, const std::string& descriptionName)
{
    Core::loadAppearance(checkBoxDescription_, fileName, descriptionName);
}

void CheckBox::draw()
{
    drawLook();
}

}  // namespace Zorir
