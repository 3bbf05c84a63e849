#include "vornet_replicator_skipper.h"

namespace Vornet_Private {

namespace {

// The set-up's flags and rules in a set-up of the skipper's own: the
// replicator's may belong to the application.
VNet_ReplicatorSetup* copiedSetup(const VNet_Replicator& of)
{
    const VNet_ReplicatorSetup* setup = of.getSetup();
    if (!setup) return nullptr;
    const auto flags = uint8_t((setup->getFlags() | VNET_REPFLAG_OWNEDSETUP) & ~VNET_REPFLAG_SHAREDSETUP);
    return new VNet_ReplicatorSetup(flags, setup->getRules(), setup->getInterceptID(), setup->getMinDelay(),
                                    setup->getMaxDelay());
}

}  // namespace

DataSkipper::DataSkipper(const VNet_Replicator& of, Skip skip, unsigned parameter)
    : VNet_ReplicatorBasic(copiedSetup(of)), m_skip(skip), m_parameter(parameter)
{
    if (m_setup || !of.getSetup()) m_flags |= VNET_REPLICATOR_INITIALIZED;
    if (!skip) m_flags |= kReplicatorUnreadable;
}

void skipBoolValue(VNet_BitStream& stream, unsigned)
{
    stream.getBool();
}

void skipBufferValue(VNet_BitStream& stream, unsigned bytes)
{
    stream.skipBuffer(uint16_t(bytes));
}

void skipStringValue(VNet_BitStream& stream, unsigned)
{
    stream.getStringStatic();
}

void skipWideStringValue(VNet_BitStream& stream, unsigned)
{
    stream.skipString();
}

void DataSkipper::unpackData(VNet_BitStream* stream, bool, unsigned)
{
    if (m_skip && stream) m_skip(*stream, m_parameter);
}

}  // namespace Vornet_Private
