#include "vornet/vornet_replicator_bool.h"

#include "vornet_log.h"
#include "vornet_replicator_skipper.h"

using namespace Vornet_Private;

namespace {

// The set-up a loose-argument constructor builds for itself; null (logged)
// when memory fails, which leaves the replicator uninitialised.
VNet_ReplicatorSetup* ownedSetup(unsigned char flags, unsigned char rules, unsigned char interceptId, short minDelay,
                                 short maxDelay)
{
    auto* setup = new VNet_ReplicatorSetup(uint8_t(flags | VNET_REPFLAG_OWNEDSETUP), rules, interceptId, minDelay,
                                           maxDelay);
    if (!setup) logRaw("VNet_Replicate_Boolp(): out of memory");
    return setup;
}

}  // namespace

VNet_Replicate_Bool::VNet_Replicate_Bool(bool value, VNet_ReplicatorSetup* setup)
    : VNet_ReplicatorBasic(setup), m_value(value), m_lastSeen(value)
{
    if (m_setup) m_flags |= VNET_REPLICATOR_INITIALIZED;
}

VNet_Replicate_Bool::VNet_Replicate_Bool(bool value, unsigned char flags, unsigned char rules,
                                         unsigned char interceptId, short minDelay, short maxDelay)
    : VNet_Replicate_Bool(value, ownedSetup(flags, rules, interceptId, minDelay, maxDelay))
{
}

void* VNet_Replicate_Bool::peekData()
{
    VNet_BitStream* stream = getPeekStream();
    return stream && stream->getBool() ? reinterpret_cast<void*>(1) : nullptr;
}

bool VNet_Replicate_Bool::checkState()
{
    const bool changed = m_value != m_lastSeen;
    m_lastSeen = m_value;
    return changed;
}

void VNet_Replicate_Bool::packData(VNet_BitStream* stream)
{
    stream->addBool(m_value);
}

void VNet_Replicate_Bool::unpackData(VNet_BitStream* stream, bool store, unsigned)
{
    const bool value = stream->getBool();
    if (store) m_value = value;
}

VNet_Replicate_Boolp::VNet_Replicate_Boolp(bool* data, VNet_ReplicatorSetup* setup)
    : VNet_ReplicatorBasic(setup), m_data(data), m_lastSeen(data ? *data : false)
{
    if (m_setup && m_data) m_flags |= VNET_REPLICATOR_INITIALIZED;
}

VNet_Replicate_Boolp::VNet_Replicate_Boolp(bool* data, unsigned char flags, unsigned char rules,
                                           unsigned char interceptId, short minDelay, short maxDelay)
    : VNet_Replicate_Boolp(data, ownedSetup(flags, rules, interceptId, minDelay, maxDelay))
{
}

void* VNet_Replicate_Boolp::peekData()
{
    VNet_BitStream* stream = getPeekStream();
    return stream && stream->getBool() ? reinterpret_cast<void*>(1) : nullptr;
}

bool VNet_Replicate_Boolp::checkState()
{
    const bool changed = *m_data != m_lastSeen;
    m_lastSeen = *m_data;
    return changed;
}

void VNet_Replicate_Boolp::packData(VNet_BitStream* stream)
{
    stream->addBool(*m_data);
}

void VNet_Replicate_Boolp::unpackData(VNet_BitStream* stream, bool store, unsigned)
{
    const bool value = stream->getBool();
    if (store) *m_data = value;
}

VNet_ReplicatorBasic* VNet_Replicate_Bool::createSkipper() const
{
    return Vornet_Private::skipperFor(*this, Vornet_Private::skipBoolValue, 0);
}

VNet_ReplicatorBasic* VNet_Replicate_Boolp::createSkipper() const
{
    return Vornet_Private::skipperFor(*this, Vornet_Private::skipBoolValue, 0);
}
