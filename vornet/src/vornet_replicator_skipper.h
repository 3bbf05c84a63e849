#pragma once

#include <typeinfo>

#include "vornet/vornet_replicator.h"

namespace Vornet_Private {

// Replicator state flag of a skipper that cannot pass its data by; a bit
// the public flags leave free.
constexpr uint8_t kReplicatorUnreadable = 0x40;

// Stands in a node's table for a replicator of the application's once the
// node's handle is gone: it reads, as the replicator would with store
// false, exactly the bits of one value, and keeps nothing of the
// replicator. What it reads may depend on the replicator's set-up, which it
// reads at every use while the set-up lasts. A skipper without a skip
// function marks a replicator whose data cannot be passed by.
class DataSkipper : public VNet_ReplicatorBasic {
public:
    using Skip = void (*)(VNet_BitStream& stream, unsigned parameter);
    // The skip function's parameter as a set-up says it.
    using SetupParameter = unsigned (*)(const VNet_ReplicatorSetup& setup);

    // Without fromSetup the parameter is fixed.
    DataSkipper(const VNet_Replicator& of, Skip skip, unsigned parameter, SetupParameter fromSetup = nullptr);
    ~DataSkipper() override;
    DataSkipper(const DataSkipper&) = delete;
    DataSkipper& operator=(const DataSkipper&) = delete;

    void* peekData() override { return nullptr; }
    void clearPeekData() override {}
    void Process(eVNet_NodeRole, unsigned) override {}
    bool checkState() override { return false; }
    void packData(VNet_BitStream*) override {}
    void unpackData(VNet_BitStream* stream, bool store, unsigned time) override;

    // The class of the replicator it stands for, for messages; empty but
    // for one that cannot pass its data by.
    const char* replicatorClass() const { return m_className ? m_className : ""; }
    // The set-up is going: each skipper reading it keeps the parameter it
    // says now.
    static void setupGone(VNet_ReplicatorSetup& setup);

private:
    unsigned parameter() const;
    void stopReading();

    Skip m_skip;
    unsigned m_parameter;
    SetupParameter m_fromSetup;
    // The replicator's set-up while it lasts, and the next skipper reading
    // it.
    VNet_ReplicatorSetup* m_source = nullptr;
    DataSkipper* m_nextReader = nullptr;
    char* m_className = nullptr;
};

// A skipper for replicators of exactly the class Served: a class derived
// from it may write other bits, so only a skipper of its own serves it.
template <class Served>
VNet_ReplicatorBasic* skipperFor(const Served& of, DataSkipper::Skip skip, unsigned parameter,
                                 DataSkipper::SetupParameter fromSetup = nullptr)
{
    if (typeid(of) != typeid(Served)) return nullptr;
    return new DataSkipper(of, skip, parameter, fromSetup);
}

// Skip functions of the library's replicators, each the store-false read
// of its value.
void skipBoolValue(VNet_BitStream& stream, unsigned);
void skipBufferValue(VNet_BitStream& stream, unsigned bytes);
void skipStringValue(VNet_BitStream& stream, unsigned);
void skipWideStringValue(VNet_BitStream& stream, unsigned);

}  // namespace Vornet_Private
