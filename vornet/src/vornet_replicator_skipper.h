#pragma once

#include "vornet/vornet_replicator.h"

namespace Vornet_Private {

// Replicator state flag of a skipper that cannot pass its data by; a bit
// the public flags leave free.
constexpr uint8_t kReplicatorUnreadable = 0x40;

// Stands in a node's table for a replicator of the application's once the
// node's handle is gone: it reads, as the replicator would with store
// false, exactly the bits of one value, and keeps nothing of the
// replicator. A skipper without a skip function marks a replicator whose
// data cannot be passed by.
class DataSkipper : public VNet_ReplicatorBasic {
public:
    using Skip = void (*)(VNet_BitStream& stream, unsigned parameter);

    DataSkipper(const VNet_Replicator& of, Skip skip, unsigned parameter);

    void* peekData() override { return nullptr; }
    void clearPeekData() override {}
    void Process(eVNet_NodeRole, unsigned) override {}
    bool checkState() override { return false; }
    void packData(VNet_BitStream*) override {}
    void unpackData(VNet_BitStream* stream, bool store, unsigned time) override;

private:
    Skip m_skip;
    unsigned m_parameter;
};

// Skip functions of the library's replicators, each the store-false read
// of its value.
void skipBoolValue(VNet_BitStream& stream, unsigned);
void skipBufferValue(VNet_BitStream& stream, unsigned bytes);
void skipStringValue(VNet_BitStream& stream, unsigned);
void skipWideStringValue(VNet_BitStream& stream, unsigned);

}  // namespace Vornet_Private
