#include "vornet/vornet_replicator.h"

#include "vornet/vornet_node.h"

#include "vornet_assert.h"
#include "vornet_log.h"
#include "vornet_memory.h"
#include "vornet_node_private.h"
#include "vornet_replicator_skipper.h"
#include "vornet_tls.h"

using namespace Vornet_Private;

namespace {

// Only-once replicators live in the sparse part of their node.
uint8_t withSparse(uint8_t flags)
{
    return (flags & VNET_REPFLAG_ONLYONCE) ? uint8_t(flags | VNET_REPFLAG_SPARSE) : flags;
}

}  // namespace

// ---------------------------------------------------------------------------
// Set-up

VNet_ReplicatorSetup::VNet_ReplicatorSetup(unsigned char flags, unsigned char rules)
    : VNet_ReplicatorSetup(flags, rules, 0, -1, -1)
{
}

VNet_ReplicatorSetup::VNet_ReplicatorSetup(unsigned char flags, unsigned char rules, unsigned char interceptId,
                                           short minDelay, short maxDelay)
    : m_flags(withSparse(flags)), m_rules(rules), m_interceptId(interceptId), m_minDelay(minDelay),
      m_maxDelay(maxDelay)
{
}

// A copy is read by no skipper yet.
VNet_ReplicatorSetup::VNet_ReplicatorSetup(const VNet_ReplicatorSetup& other)
    : m_flags(other.m_flags), m_rules(other.m_rules), m_interceptId(other.m_interceptId),
      m_minDelay(other.m_minDelay), m_maxDelay(other.m_maxDelay)
{
}

VNet_ReplicatorSetup& VNet_ReplicatorSetup::operator=(const VNet_ReplicatorSetup& other)
{
    m_flags = other.m_flags;
    m_rules = other.m_rules;
    m_interceptId = other.m_interceptId;
    m_minDelay = other.m_minDelay;
    m_maxDelay = other.m_maxDelay;
    return *this;
}

VNet_ReplicatorSetup::~VNet_ReplicatorSetup()
{
    DataSkipper::setupGone(*this);
}

VNet_ReplicatorSetup* VNet_ReplicatorSetup::Duplicate()
{
    if (m_flags & VNET_REPFLAG_SHAREDSETUP) return this;
    auto* copy = new VNet_ReplicatorSetup(*this);
    if (!copy) logMessage(LogError, "VNet_ReplicatorSetup::Duplicate(): out of memory");
    return copy;
}

void* VNet_ReplicatorSetup::operator new(size_t bytes) noexcept
{
    return allocate(bytes);
}

void VNet_ReplicatorSetup::operator delete(void* memory) noexcept
{
    release(memory);
}

// ---------------------------------------------------------------------------
// Replicator

VNet_Replicator::VNet_Replicator(VNet_ReplicatorSetup* setup) : m_id(0xFFFF), m_flags(0), m_setup(setup)
{
}

VNet_Replicator::~VNet_Replicator()
{
    if (m_setup && (m_setup->getFlags() & VNET_REPFLAG_OWNEDSETUP)) delete m_setup;
    m_setup = nullptr;
}

void* VNet_Replicator::operator new(size_t bytes) noexcept
{
    return allocate(bytes);
}

void VNet_Replicator::operator delete(void* memory) noexcept
{
    release(memory);
}

VNet_BitStream* VNet_Replicator::getPeekStream()
{
    tlsdat* tls = getTlsData();
    if (!tls || !tls->peekStream) return nullptr;
    if (!tls->peekPosSaved) {
        tls->peekStream->saveReadState(tls->peekReadPos);
        tls->peekPosSaved = true;
    }
    return tls->peekStream;
}

void VNet_Replicator::peekDataStore(void* value)
{
    tlsdat* tls = getTlsData();
    if (!tls) return;
    if (tls->peekValue) clearPeekData();
    tls->peekValue = value;
}

void* VNet_Replicator::peekDataRetrieve()
{
    tlsdat* tls = getTlsData();
    return tls ? tls->peekValue : nullptr;
}

VNet_ReplicatorBasic::VNet_ReplicatorBasic(VNet_ReplicatorSetup* setup) : VNet_Replicator(setup)
{
    m_flags = VNET_REPLICATOR_BASIC;
}

VNet_ReplicatorBasic* VNet_ReplicatorBasic::createSkipper() const
{
    return nullptr;
}

// ---------------------------------------------------------------------------
// Advanced replicator

VNet_ReplicatorAdvanced::VNet_ReplicatorAdvanced(VNet_ReplicatorSetup* setup) : VNet_Replicator(setup), m_node(nullptr)
{
    m_flags |= VNET_REPLICATOR_ADVANCED;
}

void VNet_ReplicatorAdvanced::sendData(eVNet_SendMode mode, VNet_BitStream* stream, unsigned value)
{
    if (!stream || !m_node) {
        if (checkingBuild)
            logMessage(LogError, stream ? "VNet_Replicator::sendEvent(): _node is NULL"
                                        : "VNet_Replicator::sendEvent(): _stream is NULL");
        return;
    }
    VNet_Node_Private::of(m_node)->sendReplicatorData(stream, m_id, m_setup ? m_setup->getRules() : 0, 0, mode,
                                                      value);
}

void VNet_ReplicatorAdvanced::sendDataDirect(eVNet_SendMode mode, unsigned connectionId, VNet_BitStream* stream,
                                             unsigned value)
{
    if (!stream || !m_node) {
        if (checkingBuild)
            logMessage(LogError, stream ? "VNet_Replicator::sendEvent(): _node is NULL"
                                        : "VNet_Replicator::sendEvent(): _stream is NULL");
        return;
    }
    VNet_Node_Private::of(m_node)->sendReplicatorData(stream, m_id, 0, connectionId, mode, value);
}

unsigned* VNet_ReplicatorAdvanced::getLastUpdateTime(unsigned connectionId)
{
    if (connectionId == 0 || !m_node) return nullptr;
    return VNet_Node_Private::of(m_node)->lastSendTime(connectionId, m_id);
}
