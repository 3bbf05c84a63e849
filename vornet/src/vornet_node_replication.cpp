// A node's replicators: their set-up, change tests, the replicator section
// of a packet, the marking of lost data, and the priorities by which
// dependencies are announced first.
#include "vornet/vornet.h"
#include "vornet/vornet_replicator.h"
#include "vornet/vornet_replicator_bool.h"
#include "vornet/vornet_replicator_interpolate.h"
#include "vornet/vornet_replicator_numeric.h"
#include "vornet/vornet_replicator_string.h"

#include "vornet_assert.h"
#include "vornet_connection.h"
#include "vornet_control_private.h"
#include "vornet_log.h"
#include "vornet_node_private.h"
#include "vornet_replicator_skipper.h"
#include "vornet_tls.h"

using namespace Vornet_Private;

namespace {

// Every per-connection bit set has one bit per replicator index.
constexpr uint16_t kMaxReplicators = BitArray::bitCount;
constexpr uint16_t kGrowth = 10;

bool isBasic(const VNet_Replicator* r)
{
    return r && (r->getFlags() & VNET_REPLICATOR_BASIC);
}

// The add calls work only while the set-up is open; missing flags or rules
// are reported and the replicator is added anyway.
bool acceptsAddCall(VNet_Node_Private& node, unsigned char flags, unsigned char rules)
{
    if (!(node.flags & NodeSetupOpen)) return false;
    if (!flags || !rules) node.log(LogError, nullptr, "Replication flags or rules missing");
    return true;
}

uint8_t setupFlags(const VNet_Replicator* r)
{
    return r->getSetup() ? r->getSetup()->getFlags() : 0;
}

}  // namespace

unsigned readPosition(const VNet_BitStream* stream)
{
    VNet_BitStream::BitPos at;
    stream->saveReadState(at);
    return at.pos * 8u + at.bit;
}

// ---------------------------------------------------------------------------
// Set-up

bool VNet_Node_Private::beginSetup(uint16_t expected)
{
    if (!VNET_CHECK(!isRegistered(), "No replication setup after node registration allowed") || isRegistered()) {
        log(LogError, "beginReplicationSetup()", "No replication setup after node registration allowed");
        return false;
    }
    tlsdat* tls = getTlsData();
    if (!tls || tls->replicator_building) {
        log(LogError, "beginReplicationSetup()", "began setup while previous one didn't end");
        return false;
    }
    if (expected > kMaxReplicators) {
        log(LogError, "beginReplicationSetup()", "at most %d replicators per node - %d asked for",
            int(kMaxReplicators), int(expected));
        expected = kMaxReplicators;
    }
    clearReplicators();
    if (expected) {
        replicators = allocateArray<VNet_Replicator*>(expected);
        if (!replicators) {
            log(LogError, "beginReplicationSetup()", "out of memory allocating %d bytes",
                int(expected * sizeof(VNet_Replicator*)));
            return false;
        }
        for (uint16_t i = 0; i < expected; ++i) replicators[i] = nullptr;
    }
    replicators_size = expected;
    tls->replicator_building = true;
    flags |= NodeSetupOpen;
    return true;
}

bool VNet_Node_Private::endSetup()
{
    if (flags & NodeSetupOpen) {
        if (tlsdat* tls = getTlsData()) tls->replicator_building = false;
    }
    flags &= ~NodeSetupOpen;
    for (uint16_t i = 0; i < replicators_size; ++i) {
        if (replicators[i]) replicators[i]->m_id = i;
    }
    return true;
}

void VNet_Node_Private::clearReplicators()
{
    // Read nothing of a replicator the application owns: it may be gone
    // together with the handle.
    for (uint16_t i = 0; i < replicators_size; ++i) {
        VNet_Replicator* r = replicators[i];
        if (r && !isForeign(r)) delete r;
    }
    for (auto* n = foreignReplicators.first(); n; n = n->next) delete n->payload.skipper;
    foreignReplicators.clear();
    release(replicators);
    replicators = nullptr;
    replicators_size = replicatorCount = replicator_normal_count = 0;
    flags &= ~(NodeHasAdvanced | NodeTimed);
}

bool VNet_Node_Private::isForeign(const VNet_Replicator* replicator) const
{
    for (auto* n = foreignReplicators.first(); n; n = n->next) {
        if (n->payload.replicator == replicator) return true;
    }
    return false;
}

void VNet_Node_Private::forgetForeignReplicators(bool basic)
{
    for (uint16_t i = 0; i < replicators_size; ++i) {
        for (auto* n = foreignReplicators.first(); n; n = n->next) {
            if (n->payload.replicator != replicators[i] || (n->payload.skipper != nullptr) != basic) continue;
            replicators[i] = n->payload.skipper;
            if (replicators[i]) {
                replicators[i]->m_flags |= VNET_REPLICATOR_NODEOWNED;
                replicators[i]->m_id = i;
            }
            foreignReplicators.remove(n);
            break;
        }
    }
}

void VNet_Node_Private::addOwnedReplicator(VNet_Replicator* replicator, const char* context)
{
    if (!replicator) {
        log(LogError, context, "out of memory");
        return;
    }
    addReplicator(replicator, true);
    // A refused replicator is not the node's to keep.
    bool kept = false;
    for (uint16_t i = 0; i < replicators_size && !kept; ++i) kept = replicators[i] == replicator;
    if (!kept) delete replicator;
}

void VNet_Node_Private::addReplicator(VNet_Replicator* replicator, bool owns)
{
    if (!(flags & NodeSetupOpen) || !replicator) return;
    if (!(replicator->getFlags() & VNET_REPLICATOR_INITIALIZED) || !replicator->getSetup()) {
        (void)VNET_CHECK(false, "Replicator not initialized properly");
        log(LogError, "addReplicator", "Replicator not initialized (->Init() not called");
        return;
    }
    const uint8_t setup = setupFlags(replicator);
    if ((setup & VNET_REPFLAG_STARTCLEAN) && (setup & VNET_REPFLAG_ONLYONCE)) {
        log(LogError, "addReplicator", "VNET_REPFLAG_STARTCLEAN and VNET_REPFLAG_ONLYONCE cannot be used together");
        return;
    }
    if (replicatorCount >= kMaxReplicators) {
        log(LogError, "addReplicator", "no more than %d replicators per node - replicator refused",
            int(kMaxReplicators));
        return;
    }
    if (owns) {
        replicator->m_flags |= VNET_REPLICATOR_NODEOWNED;
    } else {
        VNet_ReplicatorBasic* skipper = nullptr;
        if (replicator->getFlags() & VNET_REPLICATOR_BASIC) {
            skipper = static_cast<VNet_ReplicatorBasic*>(replicator)->createSkipper();
            // Data that nothing can pass by ends the reading of its packet.
            if (!skipper) skipper = new DataSkipper(*replicator, nullptr, 0);
            if (!skipper) {
                log(LogError, "addReplicator", "out of memory");
                return;
            }
        }
        if (!foreignReplicators.append({replicator, skipper})) {
            delete skipper;
            log(LogError, "addReplicator", "out of memory");
            return;
        }
    }
    insertReplicator(replicator, (setup & VNET_REPFLAG_SPARSE) != 0);
    if (replicator->getFlags() & VNET_REPLICATOR_ADVANCED) {
        flags |= NodeHasAdvanced;
        static_cast<VNet_ReplicatorAdvanced*>(replicator)->setNode(handle);
    }
}

void VNet_Node_Private::insertReplicator(VNet_Replicator* replicator, bool sparse)
{
    if (replicatorCount == replicators_size) {
        if (checkingBuild)
            log(LogWarning, "addReplicator()",
                "performance warning: adding more replicators than indicated, reallocation needed");
        uint32_t grown = uint32_t(replicators_size) + kGrowth;
        if (grown > kMaxReplicators) grown = kMaxReplicators;
        auto** table = allocateArray<VNet_Replicator*>(grown);
        if (!table) {
            log(LogError, "addReplicator()", "out of memory");
            return;
        }
        const uint16_t sparseCount = uint16_t(replicatorCount - replicator_normal_count);
        for (uint32_t i = 0; i < grown; ++i) table[i] = nullptr;
        for (uint16_t i = 0; i < replicator_normal_count; ++i) table[i] = replicators[i];
        for (uint16_t i = 0; i < sparseCount; ++i)
            table[grown - 1 - i] = replicators[replicators_size - 1 - i];
        release(replicators);
        replicators = table;
        replicators_size = uint16_t(grown);
    }
    const VNet_ReplicatorSetup* setup = replicator->getSetup();
    if (setup->getMinDelay() != -1 || setup->getMaxDelay() != -1) flags |= NodeTimed;
    uint16_t index;
    if (sparse) {
        index = uint16_t(replicators_size - 1 - (replicatorCount - replicator_normal_count));
    } else {
        index = replicator_normal_count++;
    }
    replicators[index] = replicator;
    replicator->m_id = index;
    ++replicatorCount;
}

void VNet_Node::addReplicationBool(bool* data, unsigned char flags, unsigned char rules, short minDelay,
                                   short maxDelay)
{
    if (!acceptsAddCall(*m_priv, flags, rules)) return;
    m_priv->addOwnedReplicator(
        new VNet_Replicate_Boolp(data, flags, rules, m_priv->interceptId, minDelay, maxDelay), "addReplicationBool()");
}

void VNet_Node::addReplicationInt(int* data, unsigned char bits, bool isSigned, unsigned char flags,
                                  unsigned char rules, short minDelay, short maxDelay)
{
    if (!acceptsAddCall(*m_priv, flags, rules)) return;
    const unsigned char id = m_priv->interceptId;
    VNet_Replicator* replicator =
        isSigned ? static_cast<VNet_Replicator*>(
                       new VNet_Replicate_Numeric<int*, 1>(data, bits, flags, rules, id, minDelay, maxDelay))
                 : new VNet_Replicate_Numeric<unsigned int*, 1>(reinterpret_cast<unsigned int*>(data), bits, flags,
                                                                rules, id, minDelay, maxDelay);
    m_priv->addOwnedReplicator(replicator, "addReplicationInt()");
}

void VNet_Node::addReplicationFloat(float* data, unsigned char mantissaBits, unsigned char flags, unsigned char rules,
                                    short minDelay, short maxDelay)
{
    if (!acceptsAddCall(*m_priv, flags, rules)) return;
    m_priv->addOwnedReplicator(new VNet_Replicate_Numeric<float*, 1>(data, mantissaBits, flags, rules,
                                                                     m_priv->interceptId, minDelay, maxDelay),
                               "addReplicationFloat()");
}

void VNet_Node::addInterpolationInt(int* data, unsigned char bits, bool isSigned, unsigned char flags,
                                    unsigned char rules, int errorThreshold, int* reference, short minDelay,
                                    short maxDelay, float factor)
{
    if (!acceptsAddCall(*m_priv, flags, rules)) return;
    const unsigned char id = m_priv->interceptId;
    VNet_Replicator* replicator =
        isSigned ? static_cast<VNet_Replicator*>(new VNet_Interpolate<int*, 1>(
                       data, bits, flags, rules, errorThreshold, reference, id, minDelay, maxDelay, factor))
                 : new VNet_Interpolate<unsigned int*, 1>(
                       reinterpret_cast<unsigned int*>(data), bits, flags, rules,
                       static_cast<unsigned int>(errorThreshold), reinterpret_cast<unsigned int*>(reference), id,
                       minDelay, maxDelay, factor);
    m_priv->addOwnedReplicator(replicator, "addInterpolationInt()");
}

void VNet_Node::addInterpolationFloat(float* data, unsigned char mantissaBits, unsigned char flags,
                                      unsigned char rules, float errorThreshold, float* reference, short minDelay,
                                      short maxDelay, float factor)
{
    if (!acceptsAddCall(*m_priv, flags, rules)) return;
    m_priv->addOwnedReplicator(new VNet_Interpolate<float*, 1>(data, mantissaBits, flags, rules, errorThreshold,
                                                               reference, m_priv->interceptId, minDelay, maxDelay,
                                                               factor),
                               "addInterpolationFloat()");
}

void VNet_Node::addReplicationString(char* data, unsigned short maxLength, unsigned char flags, unsigned char rules,
                                     short minDelay, short maxDelay)
{
    if (!acceptsAddCall(*m_priv, flags, rules)) return;
    m_priv->addOwnedReplicator(
        new VNet_Replicate_Stringp(data, maxLength, flags, rules, m_priv->interceptId, minDelay, maxDelay),
        "addReplicationString()");
}

void VNet_Node::addReplicationStringW(wchar_t* data, unsigned short maxLength, unsigned char flags,
                                      unsigned char rules, short minDelay, short maxDelay)
{
    if (!acceptsAddCall(*m_priv, flags, rules)) return;
    m_priv->addOwnedReplicator(
        new VNet_Replicate_StringWp(data, maxLength, flags, rules, m_priv->interceptId, minDelay, maxDelay),
        "addReplicationStringW()");
}

// ---------------------------------------------------------------------------
// Change tests

void VNet_Node_Private::markDirty(NodeConnState* state, uint16_t index)
{
    state->dirty.set(index);
    state->flags |= index > replicator_normal_count ? StateSparseDirty : StateNormalDirty;
}

void VNet_Node_Private::markDirty(uint16_t index)
{
    forEachLinked([&](NodeConnState* s) { markDirty(s, index); });
}

void VNet_Node_Private::checkChanges()
{
    for (uint16_t i = 0; i < replicators_size; ++i) {
        VNet_Replicator* r = replicators[i];
        if (!isBasic(r) || (setupFlags(r) & VNET_REPFLAG_ONLYONCE)) continue;
        if (!static_cast<VNet_ReplicatorBasic*>(r)->checkState()) continue;
        r->m_flags |= VNET_REPLICATOR_CHANGED;
        markDirty(i);
    }
}

void VNet_Node_Private::markFirstUpdate(NodeConnState* state)
{
    state->flags &= ~StateFirstUpdate;
    for (uint16_t i = 0; i < replicators_size; ++i) {
        VNet_Replicator* r = replicators[i];
        if (isBasic(r) && (setupFlags(r) & VNET_REPFLAG_STARTCLEAN) && (r->getFlags() & VNET_REPLICATOR_CHANGED))
            markDirty(state, i);
    }
}

bool VNet_Node_Private::replicationRule(const VNet_Replicator* r, eVNet_NodeRole remoteRole) const
{
    const uint8_t rules = r->getSetup() ? r->getSetup()->getRules() : 0;
    if (role == eVNet_RoleAuthority) {
        return (remoteRole == eVNet_RoleProxy && (rules & VNET_RULE_AUTHORITY_TO_PROXY)) ||
               (remoteRole == eVNet_RoleOwner && (rules & VNET_RULE_AUTHORITY_TO_OWNER));
    }
    return role == eVNet_RoleOwner && remoteRole == eVNet_RoleAuthority && (rules & VNET_RULE_OWNER_TO_AUTHORITY);
}

namespace {

// Whether data the peer in that role sent may be stored by a node in this
// role: the mirror of the sending rule.
bool receiveRule(const VNet_Replicator* r, eVNet_NodeRole localRole, eVNet_NodeRole remoteRole)
{
    const uint8_t rules = r->getSetup() ? r->getSetup()->getRules() : 0;
    if (remoteRole == eVNet_RoleAuthority) {
        return (localRole == eVNet_RoleProxy && (rules & VNET_RULE_AUTHORITY_TO_PROXY)) ||
               (localRole == eVNet_RoleOwner && (rules & VNET_RULE_AUTHORITY_TO_OWNER));
    }
    return remoteRole == eVNet_RoleOwner && localRole == eVNet_RoleAuthority &&
           (rules & VNET_RULE_OWNER_TO_AUTHORITY);
}

}  // namespace

// ---------------------------------------------------------------------------
// The replicator section

bool VNet_Node_Private::packReplicators(NodeConnState* state, VNet_BitStream* stream, const EntryRoom& room,
                                        BitArray& sent, unsigned* bits)
{
    const unsigned boolBits = 1 + VNet_BitStream::getTagOverheadBool();
    const uint32_t now = Vornet::getTime();
    if (replicators_size == 0) {
        state->flags &= ~StateDirty;
        return false;
    }
    if (state->flags & StateFirstUpdate) markFirstUpdate(state);
    // At the head of a packet what waited for room goes before the rest of
    // the node, which waits for the next packet: whatever else keeps
    // changing, the wait ends there.
    const bool waitedFirst = room.leads && state->waitsForRoom();
    bool any = false;
    bool heldBack = false;
    for (uint16_t i = 0; i < replicators_size; ++i) {
        VNet_Replicator* r = replicators[i];
        if (!isBasic(r)) continue;
        const bool rule = replicationRule(r, state->remoteRole);
        bool send = rule && state->dirty.get(i);
        if (rule && state->lastSend) {
            const uint32_t elapsed = now - (*state->lastSend)[i];
            const int16_t minDelay = r->getSetup()->getMinDelay();
            const int16_t maxDelay = r->getSetup()->getMaxDelay();
            if (send && minDelay != -1 && elapsed < uint32_t(uint16_t(minDelay))) {
                send = false;
                heldBack = true;
            }
            if (!send && maxDelay != -1 && elapsed > uint32_t(uint16_t(maxDelay))) send = true;
        }
        const bool waited = state->waitedForRoom(i);
        // Leading a packet, every value that waited has its turn now; one
        // that no longer goes waits no more.
        if (room.leads) state->stopWaiting(i);
        if (send && waitedFirst && !waited) {
            markDirty(state, i);
            heldBack = true;
            send = false;
        }
        if (send && replicationInterceptor && handle && (setupFlags(r) & VNET_REPFLAG_INTERCEPT))
            send = replicationInterceptor->outPreUpdateItem(handle, state->connectionId, state->remoteRole, r);
        VNet_BitStream::BitPos unsent;
        stream->saveWriteState(unsent);
        stream->addBool(send);
        if (send) {
            const unsigned before = stream->getBitCount();
            static_cast<VNet_ReplicatorBasic*>(r)->packData(stream);
            stream->addBool(true);
            // The flags of the replicators after it and the sparse marker
            // must still fit.
            if (stream->getBitCount() + (replicators_size - i) * boolBits > room.limitBits) {
                stream->restoreWriteState(unsent);
                stream->addBool(false);
                send = false;
                if (room.lone && !any) {
                    refuseOversized(state, i);
                } else {
                    // Still due: a later packet takes it, at the latest
                    // the first one its node leads.
                    markDirty(state, i);
                    state->keepForRoom(i);
                    heldBack = true;
                }
            }
            if (send) {
                state->stopWaiting(i);
                sent.set(i);
                state->dirty.reset(i);
                if (bits) *bits += stream->getBitCount() - before;
                if (state->lastSend) (*state->lastSend)[i] = now;
                any = true;
            }
        }
        if (i == replicator_normal_count) {
            const bool more = (state->flags & StateSparseDirty) != 0;
            stream->addBool(more);
            if (!more) break;
            state->flags &= ~StateSparseDirty;
        }
    }
    if (any) {
        auto* copy = new BitArray(sent);
        if (copy && !state->inFlight.append(copy)) delete copy;
    }
    if (!heldBack) state->flags &= ~StateDirty;
    return any;
}

void VNet_Node_Private::refuseOversized(NodeConnState* state, uint16_t index)
{
    state->dirty.reset(index);
    state->stopWaiting(index);
    const char* name = control ? control->classDict->getClassName(classId) : nullptr;
    log(LogError, nullptr,
        "VNet_Node: replicator %u of node [%u] (class <%s>) is larger than a packet - its value is not sent",
        unsigned(index), unsigned(networkId), name ? name : "");
}

bool VNet_Node_Private::unpackReplicators(NodeConnState* state, VNet_BitStream* stream, bool store, unsigned* bits,
                                          uint32_t estimatedTime, int32_t* unreadable)
{
    tlsdat* tls = getTlsData();
    if (tls) tls->peekStream = stream;
    bool intact = true;
    for (uint16_t i = 0; i < replicators_size && intact; ++i) {
        VNet_Replicator* r = replicators[i];
        if (!isBasic(r)) continue;
        if (stream->getBool()) {
            if (!handle && (r->getFlags() & kReplicatorUnreadable)) {
                // Nothing knows where its data ends; the connection decides
                // what becomes of the packet.
                if (unreadable) *unreadable = i;
                intact = false;
                break;
            }
            auto* basic = static_cast<VNet_ReplicatorBasic*>(r);
            const unsigned before = readPosition(stream);
            bool keep = handle && store && receiveRule(r, role, state->remoteRole);
            if (keep && replicationInterceptor && (setupFlags(r) & VNET_REPFLAG_INTERCEPT) && tls) {
                tls->peekPosSaved = false;
                keep = replicationInterceptor->inPreUpdateItem(handle, state->connectionId, state->remoteRole, r,
                                                              estimatedTime);
                if (tls->peekValue) {
                    r->clearPeekData();
                    tls->peekValue = nullptr;
                }
                if (tls->peekPosSaved) stream->restoreReadState(tls->peekReadPos);
                tls->peekPosSaved = false;
            }
            basic->unpackData(stream, keep, estimatedTime);
            if (bits) *bits += readPosition(stream) - before;
            if (keep && role == eVNet_RoleAuthority && basic->checkState()) {
                r->m_flags |= VNET_REPLICATOR_CHANGED;
                markDirty(i);
            }
            stream->getBool();
        }
        if (stream->endOfStream()) intact = false;
        if (intact && i == replicator_normal_count && !stream->getBool()) break;
    }
    lastUpdateReceived = Vornet::getTime();
    if (tls) tls->peekStream = nullptr;
    return intact && !stream->endOfStream();
}

const char* VNet_Node_Private::replicatorClass(uint16_t index) const
{
    const VNet_Replicator* r = index < replicators_size ? replicators[index] : nullptr;
    const auto* skipper = dynamic_cast<const DataSkipper*>(r);
    return skipper ? skipper->replicatorClass() : "";
}

void VNet_Node_Private::replicatorsDelivered(uint32_t connectionId)
{
    NodeConnState* state = linkedState(connectionId);
    if (!state || !state->inFlight.first()) return;
    delete state->inFlight.first()->payload;
    state->inFlight.remove(state->inFlight.first());
}

void VNet_Node_Private::replicatorsLost(uint32_t connectionId, const BitArray& set)
{
    NodeConnState* state = linkedState(connectionId);
    if (!state) {
        log(LogWarning, nullptr, "VNet_Node(): handle lost data, connection unknown: %d", int(connectionId));
        return;
    }
    if (state->inFlight.first()) {
        delete state->inFlight.first()->payload;
        state->inFlight.remove(state->inFlight.first());
    }
    for (uint16_t i = 0; i < replicators_size; ++i) {
        if (!set.get(i) || state->dirty.get(i)) continue;
        bool carried = false;
        for (auto* n = state->inFlight.first(); n && !carried; n = n->next) carried = n->payload->get(i);
        if (carried) continue;
        markDirty(state, i);
        if (state->lastSend) (*state->lastSend)[i] = 0;
    }
}

void VNet_Node_Private::replicatorsUnsent(uint32_t connectionId, const BitArray& set)
{
    NodeConnState* state = linkedState(connectionId);
    if (!state) return;
    // Its record is the newest one in flight. The packets before it carry
    // older values, so none of them makes the set's values arrive: every
    // one is due again, however many of those packets are still on the way.
    if (auto* newest = state->inFlight.last()) {
        delete newest->payload;
        state->inFlight.remove(newest);
    }
    for (uint16_t i = 0; i < replicators_size; ++i) {
        if (!set.get(i)) continue;
        markDirty(state, i);
        if (state->lastSend) (*state->lastSend)[i] = 0;
    }
}

void VNet_Node_Private::processReplicators(unsigned elapsed)
{
    for (uint16_t i = 0; i < replicators_size; ++i) {
        VNet_Replicator* r = replicators[i];
        if (r && r->callProcess()) r->Process(role, elapsed);
    }
}

unsigned* VNet_Node_Private::lastSendTime(uint32_t connectionId, uint16_t index)
{
    NodeConnState* state = linkedState(connectionId);
    if (!state || !state->lastSend || (state->flags & StateRemoveAfterDelete)) return nullptr;
    if (!VNET_ASSERT(index < state->lastSend->getCount(), "getId() < conn->item_last_updated->getSize()"))
        return nullptr;
    return reinterpret_cast<unsigned*>(&(*state->lastSend)[index]);
}

// ---------------------------------------------------------------------------
// Priorities and dependencies

uint32_t VNet_Node_Private::priority(const NodeConnState* state, uint32_t now, bool withoutBase) const
{
    if (!state) return 0;
    if ((flags & NodePrivate) && role == eVNet_RoleAuthority && state->remoteRole != eVNet_RoleOwner) return 0;
    if ((flags & NodeMustSync) && !(state->flags & StateSynced)) return (now - state->lastUpdateTime) * 1000u;
    if (!(state->flags & (StateDirty | StateRoleDue)) && !hasEventFor(state) && !(flags & (NodeHasAdvanced | NodeTimed)))
        return withoutBase ? 0 : state->accumulatedPriority;
    const uint32_t elapsed = now - state->lastUpdateTime;
    const uint32_t base = withoutBase ? 0 : state->accumulatedPriority * elapsed;
    // A relevance below 0 is kept as the application gave it, but rates
    // like 0: a negative product has no unsigned value.
    const float relevance = state->relevance > 0.0f ? state->relevance : 0.0f;
    return base + uint32_t(float(uint32_t(int32_t(updatePriority) * elapsed)) * relevance);
}

bool VNet_Node_Private::dependsOnTransitively(const VNet_Node_Private* node) const
{
    for (auto* n = dependencies.first(); n; n = n->next) {
        if (n->payload == node || n->payload->dependsOnTransitively(node)) return true;
    }
    return false;
}

bool VNet_Node_Private::addDependency(VNet_Node_Private* other)
{
    if (other == this || other->dependsOnTransitively(this)) {
        log(LogError, nullptr, "VNet_Node::dependsOn(): node %d cannot depend on node %d - that would close a cycle",
            int(networkId), int(other->networkId));
        return false;
    }
    if (checkingBuild && dependencies.find(other))
        log(LogError, nullptr, "VNet_Node::dependsOn(nodeid: %d -> nid: %d): this dependency exists already",
            int(networkId), int(other->networkId));
    if (!dependencies.append(other)) return false;
    if (!other->dependants.append(this)) {
        dependencies.remove(dependencies.last());
        return false;
    }
    flags |= NodeHasDependencies;
    other->flags |= NodeHasDependencies;
    recomputeAllPriorities();
    return true;
}

void VNet_Node_Private::removeDependency(VNet_Node_Private* other)
{
    if (!dependencies.find(other)) return;
    dependencies.removeValue(other);
    other->dependants.removeValue(this);
    if (!dependencies.count() && !dependants.count()) flags &= ~NodeHasDependencies;
    if (!other->dependencies.count() && !other->dependants.count()) other->flags &= ~NodeHasDependencies;
    other->forEachLinked([](NodeConnState* s) { s->accumulatedPriority = 0; });
    other->recomputeAllPriorities();
}

void VNet_Node_Private::recomputeAllPriorities()
{
    forEachLinked([&](NodeConnState* s) { recomputePriorities(s->connectionId, 0); });
}

bool VNet_Node_Private::recomputePriorities(uint32_t connectionId, uint32_t value)
{
    NodeConnState* state = linkedState(connectionId);
    if (!state || (state->flags & StateKnown)) return false;
    if (dependants.count() && value == 0 && state->accumulatedPriority == 0) {
        bool tookPart = false;
        for (auto* n = dependants.first(); n; n = n->next)
            tookPart = n->payload->recomputePriorities(connectionId, 0) || tookPart;
        if (tookPart) return true;
    }
    if (value > state->accumulatedPriority) state->accumulatedPriority = value;
    if (value == 0) value = state->accumulatedPriority;
    if (!(flags & NodeHasDependencies)) return true;
    const uint32_t p = priority(state, state->lastUpdateTime + 1, true) + value + 1;
    for (auto* n = dependencies.first(); n; n = n->next) n->payload->recomputePriorities(connectionId, p);
    return true;
}

bool VNet_Node_Private::dependenciesKnown(uint32_t connectionId) const
{
    for (auto* n = dependencies.first(); n; n = n->next) {
        const NodeConnState* s = n->payload->linkedState(connectionId);
        if (!s) return false;
        const bool known = (s->flags & StateKnown) ||
                           ((s->flags & StateAnnounceWritten) && (s->flags & StateHandled));
        if (!known) return false;
    }
    return true;
}

namespace {

// The first linked connection to the authority, or on the authority to
// the owner.
VNet_Connection* rateConnection(const VNet_Node_Private* node)
{
    uint32_t found = 0;
    node->forEachLinked([&](NodeConnState* s) {
        if (found) return;
        if (s->remoteRole == eVNet_RoleAuthority ||
            (node->role == eVNet_RoleAuthority && s->remoteRole == eVNet_RoleOwner))
            found = s->connectionId;
    });
    return found && node->control ? node->control->findConnectionById(found) : nullptr;
}

}  // namespace

int VNet_Node::getEstimatedTimeUntilPossibleUpdate() const
{
    VNet_Connection* connection = rateConnection(m_priv);
    if (!connection || connection->stats().packetsReceivedLastSecond == 0) return -1;
    const VNet_ConnStats& stats = connection->stats();
    const int64_t due = int64_t(stats.lastReceiveTime) + 1000 / stats.packetsReceivedLastSecond;
    const int64_t left = due - int64_t(Vornet::getTime());
    return left < 0 ? 0 : int(left);
}

unsigned int VNet_Node::getCurrentUpdateRate() const
{
    VNet_Connection* connection = rateConnection(m_priv);
    return connection ? connection->stats().packetsSentLastSecond : 0;
}
