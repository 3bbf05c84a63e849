#pragma once

#include "libs/zorir/SpinBoxButton.h"

namespace Zorir {

// An arrow button of the editor's live spin box; drawn as the spin box's.
class Kesh_SuperSpinBoxButton : public SpinBoxButton {
public:
    using SpinBoxButton::SpinBoxButton;
};

}  // namespace Zorir
