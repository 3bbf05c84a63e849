#include "libs/zorir/SpinBox.h"

#include "libs/zorir/NumberText.h"

namespace Zorir {

SpinBox::SpinBox(Window* parent, int32_t value) : BasicSpinBox(parent)
{
    assemble(std::make_unique<SpinBoxButton>(this, SpinBoxButton::Up),
             std::make_unique<SpinBoxButton>(this, SpinBoxButton::Down),
             std::make_unique<EditField>(this, toString(value)), value);
}

}  // namespace Zorir
