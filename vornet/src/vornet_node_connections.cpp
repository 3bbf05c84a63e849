// A node's links to connections: linking and unlinking, owner and privacy,
// relevance, vornlevels and synchronisation.
#include "vornet/vornet.h"
#include "vornet/vornet_replicator.h"

#include "vornet_assert.h"
#include "vornet_connection.h"
#include "vornet_control_private.h"
#include "vornet_file_transfers.h"
#include "vornet_log.h"
#include "vornet_node_private.h"

using namespace Vornet_Private;

NodeConnState::~NodeConnState()
{
    // Closes every file of the connection; a received one left unfinished
    // is deleted.
    delete files;
    delete lastSend;
    delete roomWait;
    for (auto* n = inFlight.first(); n; n = n->next) delete n->payload;
}

NodeConnState* VNet_Node_Private::anyState(uint32_t connectionId) const
{
    if (!connectionStates || connectionStates->getState(connectionId) != IdHandler<NodeConnState*>::Used)
        return nullptr;
    return connectionStates->get(connectionId);
}

NodeConnState* VNet_Node_Private::linkedState(uint32_t connectionId) const
{
    NodeConnState* state = anyState(connectionId);
    return state && !(state->flags & StatePlaceholder) ? state : nullptr;
}

namespace {

NodeConnState* createState(IdHandler<NodeConnState*>*& table, uint32_t connectionId)
{
    if (!table) table = new IdHandler<NodeConnState*>(16);
    if (!table) return nullptr;
    auto* state = new NodeConnState;
    if (!state) return nullptr;
    if (table->reserve(connectionId) < 0) {
        delete state;
        return nullptr;
    }
    table->set(connectionId, state);
    state->connectionId = connectionId;
    return state;
}

}  // namespace

bool VNet_Node_Private::addConnection(uint32_t connectionId)
{
    NodeConnState* state = anyState(connectionId);
    if (state && !(state->flags & StatePlaceholder)) {
        log(LogNormal, nullptr, "VNet_Node_Private::addConnection(): this connection is already in use: %d!",
            int(connectionId));
        return false;
    }
    if (state) {
        if (role != eVNet_RoleAuthority && state->remoteRole != eVNet_RoleAuthority)
            log(LogError, nullptr, "VNet_Node: role conflict! setOwner() called on non-authority node?");
        state->flags &= ~StatePlaceholder;
    } else {
        state = createState(connectionStates, connectionId);
        if (!state) return false;
        state->remoteRole = role == eVNet_RoleAuthority ? eVNet_RoleProxy : eVNet_RoleAuthority;
    }
    state->flags |= 0x4031;
    state->dirty.fill();
    if (flags & NodeTimed) {
        state->lastSend = new ARRAY<uint32_t>;
        if (!state->lastSend) {
            destroyState(connectionId);
            return false;
        }
        state->lastSend->setSize(replicators_size ? replicators_size : 1);
    }
    state->relevance = defaultRelevance;
    state->lastUpdateTime = Vornet::getTime() - 100;
    if (flags & NodeHasDependencies) recomputePriorities(connectionId, 0);
    for (uint16_t i = 0; i < replicators_size; ++i) {
        VNet_Replicator* r = replicators[i];
        if (!r) continue;
        if (r->getFlags() & VNET_REPLICATOR_ADVANCED) {
            if (handle) static_cast<VNet_ReplicatorAdvanced*>(r)->onConnectionAdded(connectionId, state->remoteRole);
        } else if (r->getSetup() && (r->getSetup()->getFlags() & VNET_REPFLAG_STARTCLEAN)) {
            state->dirty.reset(i);
        }
    }
    if (flags & NodeNotifyInit) postLocalEvent(eVNet_EventInit, connectionId, state->remoteRole);
    return true;
}

bool VNet_Node_Private::removeConnection(uint32_t connectionId, bool force)
{
    NodeConnState* state = anyState(connectionId);
    if (!state) {
        logMessage(LogWarning, "[%s/%p]VNet_Node_Private::removeConnection(): this connection is not in use: %d!",
                   control && control->debugName.getBuffer() ? control->debugName.getBuffer() : "", static_cast<void*>(this), int(connectionId));
        return false;
    }
    if (!force && state->peerKnows() && !(state->flags & StatePlaceholder)) {
        state->flags |= StateWithdrawn | StateRemoveAfterDelete;
        return true;
    }
    const eVNet_NodeRole remoteRole = state->remoteRole;
    if (!(state->flags & StatePlaceholder)) {
        if ((flags & NodeNotifyRemoval) || remoteRole == eVNet_RoleAuthority)
            postLocalEvent(eVNet_EventRemoved, connectionId, remoteRole);
        for (uint16_t i = 0; handle && i < replicators_size; ++i) {
            VNet_Replicator* r = replicators[i];
            if (r && (r->getFlags() & VNET_REPLICATOR_ADVANCED))
                static_cast<VNet_ReplicatorAdvanced*>(r)->onConnectionRemoved(connectionId, remoteRole);
        }
    }
    destroyState(connectionId);
    return true;
}

void VNet_Node_Private::destroyState(uint32_t connectionId)
{
    NodeConnState* state = anyState(connectionId);
    if (!state) return;
    for (auto* n = state->outgoing.first(); n; n = n->next) releaseEventRef(n->payload->eventId);
    freeQueuedEvents(state);
    delete state;
    connectionStates->remove(connectionId);
}

void VNet_Node_Private::setOwner(uint32_t connectionId, bool owner)
{
    if (!VNET_CHECK(isAuthorityOrUndefined(), "setOwner only valid on authority node") || !isAuthorityOrUndefined())
        return;
    NodeConnState* state = anyState(connectionId);
    if (!state) {
        state = createState(connectionStates, connectionId);
        if (!state) {
            logMessage(LogError, "VNet_Node:: out of memory");
            return;
        }
        state->flags = StatePlaceholder;
    }
    const eVNet_NodeRole old = state->remoteRole;
    state->remoteRole = owner ? eVNet_RoleOwner : eVNet_RoleProxy;
    if (state->flags & StatePlaceholder) return;
    if (old != state->remoteRole) {
        if (state->peerKnows()) state->flags |= StateRoleDue;
        for (uint16_t i = 0; handle && i < replicators_size; ++i) {
            VNet_Replicator* r = replicators[i];
            if (r && (r->getFlags() & VNET_REPLICATOR_ADVANCED))
                static_cast<VNet_ReplicatorAdvanced*>(r)->onRemoteRoleChanged(connectionId, old, state->remoteRole);
        }
    }
    if (!(flags & NodePrivate)) return;
    if (old == eVNet_RoleOwner && !owner) withdraw(state);
    if (old != eVNet_RoleOwner && owner && state->relevance > 0.0f) reannounce(state);
}

void VNet_Node_Private::setPrivate(bool on)
{
    if (!isAuthorityOrUndefined() || on == ((flags & NodePrivate) != 0)) return;
    flags = on ? (flags | NodePrivate) : (flags & ~NodePrivate);
    forEachLinked([&](NodeConnState* s) {
        if (on && s->remoteRole != eVNet_RoleOwner) withdraw(s);
        if (!on && s->relevance > 0.0f) reannounce(s);
    });
}

void VNet_Node_Private::withdraw(NodeConnState* state)
{
    state->flags |= StateWithdrawn;
}

void VNet_Node_Private::reannounce(NodeConnState* state)
{
    if (!(state->flags & StateDeleteWritten) && (state->flags & StateKnown)) {
        state->flags &= ~StateWithdrawn;
        return;
    }
    state->flags &= ~StateWithdrawn;
    if (!(state->flags & StateAnnouncedBefore)) return;
    state->dirty.fill();
    state->flags = (state->flags & 0x3FCF) | 0x4030;
    state->lastUpdateTime = Vornet::getTime() - 100;
    for (auto* n = state->inFlight.first(); n; n = n->next) delete n->payload;
    state->inFlight.clear();
    state->nextOrderOut = state->nextOrderIn = 0;
    state->ordersInFlight = 0;
    if (state->lastSend) state->lastSend->fill(0);
    if (flags & NodeHasDependencies) recomputePriorities(state->connectionId, 0);
}

void VNet_Node_Private::setRelevance(uint32_t connectionId, float relevance)
{
    if (role != eVNet_RoleAuthority) {
        log(LogWarning, nullptr, "setting connection relevance on non-authority node.");
        return;
    }
    NodeConnState* state = linkedState(connectionId);
    if (!state) {
        log(LogWarning, "setConnectionSpecificRelevance",
            "connection [%d] is unknown to node. node must be registered and applied to the same vornlevel as the "
            "connection",
            int(connectionId));
        return;
    }
    const float old = state->relevance;
    if (registrationKind == RegisterDynamic && relevance == 0.0f && old > 0.0f) {
        withdraw(state);
    } else if (registrationKind == RegisterDynamic && relevance > 0.0f && old == 0.0f) {
        if (state->remoteRole == eVNet_RoleOwner || !(flags & NodePrivate)) reannounce(state);
    } else if (flags & NodeHasDependencies) {
        recomputePriorities(connectionId, 0);
    }
    state->relevance = relevance;
}

bool VNet_Node_Private::hasLevel(uint8_t level) const
{
    return vornLevels.find(level) != nullptr;
}

void VNet_Node_Private::applyForLevel(uint8_t level)
{
    if (!isAuthorityOrUndefined() || level == 0 || level > 127 || hasLevel(level)) return;
    if (!vornLevels.append(level)) return;
    if (control) control->applyNodeToLevel(this, level);
}

void VNet_Node_Private::removeFromLevel(uint8_t level)
{
    if (!isAuthorityOrUndefined() || !hasLevel(level)) return;
    if (control) control->removeNodeFromLevel(this, level);
    vornLevels.removeValue(level);
}

void VNet_Node_Private::setMustSync(bool must, uint16_t order)
{
    if (!isAuthorityOrUndefined()) return;
    if (order == 0 && !(flags & NodeControlNode)) order = 1;
    if (control && (flags & NodeMustSync)) {
        for (auto* n = vornLevels.first(); n; n = n->next) control->unlistNodeAtLevel(this, n->payload);
    }
    syncOrder = order;
    flags = must ? (flags | NodeMustSync) : (flags & ~NodeMustSync);
    if (control && must) {
        for (auto* n = vornLevels.first(); n; n = n->next) control->listNodeAtLevel(this, n->payload);
    }
}

void VNet_Node_Private::setSyncResult(uint32_t connectionId, bool success, VNet_BitStream* reason)
{
    if (role != eVNet_RoleAuthority) {
        log(LogWarning, nullptr, "setSyncResult() is only valid for authority nodes");
        destroyStream(reason);
        return;
    }
    NodeConnState* state = linkedState(connectionId);
    if (!state) {
        log(LogError, nullptr, "VNet_Node::setSyncResult(): unknown connection ID: %d", int(connectionId));
        destroyStream(reason);
        return;
    }
    if (success && (state->flags & StateSynced)) {
        const char* name = control ? control->classDict->getClassName(classId) : nullptr;
        log(LogWarning, nullptr, "VNet_Node::setSyncResult(): already successfully synced, class name: %s, node ID: %d",
            name ? name : "<not available>", int(networkId));
        destroyStream(reason);
        return;
    }
    state->flags = success ? (state->flags | StateSynced) : (state->flags & ~StateSynced);
    VNet_Connection* connection = control ? control->findConnectionById(connectionId) : nullptr;
    if (!connection) {
        log(LogError, nullptr, "VNet_Node::setSyncResult(): can't retrieve connection: %d", int(connectionId));
        destroyStream(reason);
        return;
    }
    if (reason) reason->setFlag(VNET_BS_LOCKED_FLAG, true);
    connection->syncResult(success, reason);
}

void VNet_Node_Private::requestSync(uint32_t connectionId)
{
    NodeConnState* state = linkedState(connectionId);
    if (!state) return;
    if (flags & NodeAutoSync)
        setSyncResult(connectionId, true, nullptr);
    else
        postLocalEvent(eVNet_EventSyncRequest, connectionId, state->remoteRole);
}
