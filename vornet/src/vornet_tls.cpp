#include "vornet_tls.h"

#include <cstdlib>

#include "vornet_assert.h"

namespace Vornet_Private {

namespace {

// Frees the block when its thread ends.
struct ThreadSlot {
    tlsdat* block = nullptr;
    ~ThreadSlot() { std::free(block); }
};

thread_local ThreadSlot slot;

}  // namespace

tlsdat* getTlsData()
{
    if (slot.block) return slot.block;
    slot.block = static_cast<tlsdat*>(std::calloc(1, sizeof(tlsdat)));
    if (slot.block) (void)VNET_CHECK(slot.block->replicator_building == false, "fresh per-thread block");
    return slot.block;
}

bool hasTlsData()
{
    return slot.block != nullptr;
}

}  // namespace Vornet_Private
