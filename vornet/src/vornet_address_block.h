#pragma once

#include <cstddef>

namespace Vornet_Private {

// Room for an address's private part inside the object that carries the
// address, so that the object and its addresses take one allocation (a
// packet carries two). The address checks that its private part fits.
struct alignas(alignof(std::max_align_t)) AddressBlock {
    unsigned char bytes[64];
};

}  // namespace Vornet_Private
