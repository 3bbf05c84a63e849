#pragma once

#include "libs/zorir/EditField.h"

#include <string>

// The text part of the editor's live spin box: every change of its text,
// typed or set, becomes the spin box's value at once. Its parent is always
// the Zorir::Kesh_SuperSpinBox that owns it.
class Kesh_EditField : public Zorir::EditField {
public:
    Kesh_EditField(Zorir::Window* parent, const std::string& text);
    ~Kesh_EditField() override;

protected:
    void onTextChanged() override;
};
