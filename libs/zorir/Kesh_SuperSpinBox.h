#pragma once

#include "libs/zorir/BasicSpinBox.h"

#include <cstdint>

namespace Zorir {

// The editor's number field: built like the spin box, but its field hands
// every change of its text straight back, so the value follows the typing
// without Return.
class Kesh_SuperSpinBox : public BasicSpinBox {
public:
    Kesh_SuperSpinBox(Window* parent, int32_t value);
};

}  // namespace Zorir
