#pragma once

#include "libs/zorir/BasicSpinBox.h"

#include <cstdint>

namespace Zorir {

// The toolkit's number field: typed text becomes the value on Return, on an
// arrow's release or when the box loses the focus.
class SpinBox : public BasicSpinBox {
public:
    SpinBox(Window* parent, int32_t value);
};

}  // namespace Zorir
