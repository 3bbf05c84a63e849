#include "libs/zorir/Kesh_SuperSpinBox.h"

#include "libs/zorir/Kesh_EditField.h"
#include "libs/zorir/Kesh_SuperSpinBoxButton.h"
#include "libs/zorir/NumberText.h"

namespace Zorir {

Kesh_SuperSpinBox::Kesh_SuperSpinBox(Window* parent, int32_t value) : BasicSpinBox(parent)
{
    assemble(std::make_unique<Kesh_SuperSpinBoxButton>(this, SpinBoxButton::Up),
             std::make_unique<Kesh_SuperSpinBoxButton>(this, SpinBoxButton::Down),
             std::make_unique<Kesh_EditField>(this, toString(value)), value);
}

}  // namespace Zorir
