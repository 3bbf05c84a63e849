#include "libs/zorir/Kesh_EditField.h"

#include "libs/zorir/Kesh_SuperSpinBox.h"
#include "libs/zorir/NumberText.h"

#include <cstdint>
#include <iostream>

namespace {

// Numbers from here up are told but not taken: the editor's values stay below.
constexpr int32_t largestApplied = 29999;

}  // namespace

Kesh_EditField::Kesh_EditField(Zorir::Window* parent, const std::string& text) : Zorir::EditField(parent, text) {}

Kesh_EditField::~Kesh_EditField() = default;

void Kesh_EditField::onTextChanged()
{
    Zorir::EditField::onTextChanged();
    auto* spinBox = dynamic_cast<Zorir::Kesh_SuperSpinBox*>(parent());
    if (!spinBox) return;
    // While the user retypes ("", a lone "-" on the way to "-5") there is no
    // number yet: the value stays until there is one.
    int32_t number = spinBox->value();
    if (!Zorir::fromString(text(), number) || number == spinBox->value()) return;
    std::cout << "TEXT CHANGED " << number << std::endl;
    if (number <= largestApplied) spinBox->setValue(number);
}
