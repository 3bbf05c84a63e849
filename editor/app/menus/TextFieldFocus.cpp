#include "editor/app/menus/TextFieldFocus.h"

#include "libs/zorir/EditField.h"

bool isTextField(const Zorir::Window* window)
{
    // Spin boxes type into an edit field of their own, so this covers them.
    return dynamic_cast<const Zorir::EditField*>(window) != nullptr;
}
