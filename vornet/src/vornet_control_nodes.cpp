// The control's node registry: nodes enter and leave it, are found by local
// id, network id, class and tag, and are linked to the connections of their
// vornlevels; must-sync nodes form each level's sync groups.
#include "vornet/vornet.h"

#include "vornet_connection.h"
#include "vornet_control_private.h"
#include "vornet_log.h"
#include "vornet_node_private.h"

using namespace Vornet_Private;

namespace {

// The largest node id the node section's 4-bit width field can describe.
constexpr uint32_t kMaxNodeId = 0x7FFF;

// A connection's control node belongs to that connection alone.
bool belongsTo(const VNet_Node_Private* node, const VNet_Connection* connection)
{
    return !(node->flags & NodeControlNode) || node->tag == connection->getId();
}

}  // namespace

bool VNet_Control_Private::insertNode(VNet_Node_Private* node)
{
    if (!node) return false;
    const char* className = classDict ? classDict->getClassName(node->classId) : nullptr;
    if (!className) {
        controlLog(LogError, "insertNode", "Unknown classid %u - node not registered", unsigned(node->classId));
        return false;
    }
    const int32_t id = nodesById.reserveNext();
    if (id < 0 || uint32_t(id) > kMaxNodeId) {
        if (id >= 0) nodesById.remove(uint32_t(id));
        controlLog(LogError, "insertNode", "no node id left below %u - node not registered", unsigned(kMaxNodeId + 1));
        return false;
    }
    node->localId = uint32_t(id);
    auto* item = nodeList.append(node);
    if (!item) {
        nodesById.remove(node->localId);
        controlLog(LogError, "insertNode", "out of memory");
        return false;
    }
    node->controlListItem = item;
    nodesById.set(node->localId, node);
    node->control = this;
    if (node->role == eVNet_RoleAuthority) enterNetworkId(node, node->localId);
    logRaw("[%s]: inserting node of class [%s]", debugName.getBuffer() ? debugName.getBuffer() : "", className);
    for (auto* level = node->vornLevels.first(); level; level = level->next) applyNodeToLevel(node, level->payload);
    lastInsertedNodeId = node->localId;
    return true;
}

bool VNet_Control_Private::removeNode(VNet_Node_Private* node)
{
    if (!node || node->control != this) return false;
    const char* className = classDict ? classDict->getClassName(node->classId) : nullptr;
    logRaw("[%s]: deleting node with network id: %d [class: %s][local id: %d]",
           debugName.getBuffer() ? debugName.getBuffer() : "", int(node->networkId), className ? className : "",
           int(node->localId));
    const bool held = node->localId < uint32_t(nodeIdHolds.getCount()) && nodeIdHolds[int32_t(node->localId)];
    if (held)
        nodesById.vacate(node->localId);
    else
        nodesById.remove(node->localId);
    releaseNetworkId(node);
    nodeList.remove(static_cast<LIST<VNet_Node_Private*>::Node*>(node->controlListItem));
    node->controlListItem = nullptr;
    if (node->flags & NodeMustSync) {
        for (auto* level = node->vornLevels.first(); level; level = level->next) unlistNodeAtLevel(node, level->payload);
    }
    node->control = nullptr;
    if (!node->handle) delete node;
    return true;
}

void VNet_Control_Private::releaseIfOrphan(VNet_Node_Private* node)
{
    if (!node->handle && (!node->connectionStates || node->connectionStates->getUsedCount() == 0)) removeNode(node);
}

void VNet_Control_Private::releaseNetworkId(VNet_Node_Private* node)
{
    if (nodesByNetworkId.getState(node->networkId) == IdHandler<VNet_Node_Private*>::Used &&
        nodesByNetworkId.get(node->networkId) == node)
        nodesByNetworkId.remove(node->networkId);
}

void VNet_Control_Private::enterNetworkId(VNet_Node_Private* node, uint32_t networkId)
{
    if (node->networkId != networkId) releaseNetworkId(node);
    node->networkId = networkId;
    if (networkId == 0 || nodesByNetworkId.reserve(networkId) < 0) return;
    nodesByNetworkId.set(networkId, node);
}

VNet_Node_Private* VNet_Control_Private::nodeByLocalId(uint32_t localId) const
{
    if (localId == 0 || nodesById.getState(localId) != IdHandler<VNet_Node_Private*>::Used) return nullptr;
    return nodesById.get(localId);
}

VNet_Node_Private* VNet_Control_Private::nodeByNetworkId(uint32_t networkId) const
{
    if (nodesByNetworkId.getState(networkId) != IdHandler<VNet_Node_Private*>::Used) return nullptr;
    VNet_Node_Private* node = nodesByNetworkId.get(networkId);
    return node && node->networkId == networkId ? node : nullptr;
}

VNet_Node_Private* VNet_Control_Private::nodeByTag(uint32_t classId, uint32_t tag) const
{
    for (auto* n = nodeList.first(); n; n = n->next) {
        VNet_Node_Private* node = n->payload;
        if (node->registrationKind == RegisterByTag && node->classId == classId && node->tag == tag) return node;
    }
    return nullptr;
}

VNet_Node_Private* VNet_Control_Private::uniqueNode(uint32_t classId) const
{
    for (auto* n = nodeList.first(); n; n = n->next) {
        if (n->payload->registrationKind == RegisterUnique && n->payload->classId == classId) return n->payload;
    }
    return nullptr;
}

void VNet_Control_Private::holdNodeIds(const NodeRecords& records, int32_t delta)
{
    const auto hold = [&](uint32_t id) {
        if (id >= uint32_t(nodeIdHolds.getCount())) {
            if (delta < 0) return;
            nodeIdHolds.resize(int32_t(id < 32 ? 64 : id * 2));
        }
        uint32_t& count = nodeIdHolds[int32_t(id)];
        count += uint32_t(delta);
        // The last record naming a removed node's id has settled.
        if (count == 0 && nodesById.getState(id) == IdHandler<VNet_Node_Private*>::Reserved) nodesById.remove(id);
    };
    for (auto* n = records.announced.first(); n; n = n->next) hold(n->payload);
    for (auto* n = records.deleted.first(); n; n = n->next) hold(n->payload);
    for (auto* n = records.roles.first(); n; n = n->next) hold(n->payload);
    for (auto* n = records.data.first(); n; n = n->next) hold(n->payload->localId);
    for (auto* n = records.events.first(); n; n = n->next) hold(n->payload->localId);
}

// ---------------------------------------------------------------------------
// Levels

void VNet_Control_Private::applyNodeToLevel(VNet_Node_Private* node, uint8_t level)
{
    if (const ConnectionList* list = connectionTable ? connectionTable->connectionsAtLevel(int8_t(level)) : nullptr) {
        for (auto* n = list->first(); n; n = n->next) {
            if (belongsTo(node, n->payload) && !node->linkedState(n->payload->getId()))
                node->addConnection(n->payload->getId());
        }
    }
    if (node->flags & NodeMustSync) listNodeAtLevel(node, level);
}

void VNet_Control_Private::removeNodeFromLevel(VNet_Node_Private* node, uint8_t level)
{
    if (const ConnectionList* list = connectionTable ? connectionTable->connectionsAtLevel(int8_t(level)) : nullptr) {
        for (auto* n = list->first(); n; n = n->next) {
            if (node->anyState(n->payload->getId())) node->removeConnection(n->payload->getId(), false);
        }
    }
    if (node->flags & NodeMustSync) unlistNodeAtLevel(node, level);
}

void VNet_Control_Private::listNodeAtLevel(VNet_Node_Private* node, uint8_t level)
{
    if (node->role != eVNet_RoleAuthority || level >= 128) return;
    LIST<VNet_Node_Private*>*& list = syncLists[level];
    if (!list) list = new LIST<VNet_Node_Private*>;
    if (!list || list->find(node)) return;
    auto* n = list->first();
    while (n && n->payload->syncOrder < node->syncOrder) n = n->next;
    if (n)
        list->insertBefore(n, node);
    else
        list->append(node);
}

void VNet_Control_Private::unlistNodeAtLevel(VNet_Node_Private* node, uint8_t level)
{
    if (level < 128 && syncLists[level]) syncLists[level]->removeValue(node);
}

bool VNet_Control_Private::nextSyncOrder(uint8_t level, int32_t after, int32_t* order) const
{
    if (level >= 128 || !syncLists[level]) return false;
    for (auto* n = syncLists[level]->first(); n; n = n->next) {
        if (int32_t(n->payload->syncOrder) > after) {
            *order = n->payload->syncOrder;
            return true;
        }
    }
    return false;
}

uint16_t VNet_Control_Private::linkSyncGroup(VNet_Connection* connection, uint8_t level, int32_t order)
{
    if (level >= 128 || !syncLists[level]) return 0;
    const uint32_t id = connection->getId();
    uint16_t syncing = 0;
    for (auto* n = syncLists[level]->first(); n; n = n->next) {
        VNet_Node_Private* node = n->payload;
        if (int32_t(node->syncOrder) != order || !belongsTo(node, connection)) continue;
        NodeConnState* state = node->linkedState(id);
        if (!state && node->addConnection(id)) state = node->linkedState(id);
        // A private node that this peer does not own is never announced to
        // it, so it cannot sync there.
        if (!state || (state->flags & StateSynced) || !state->isLive()) continue;
        if ((node->flags & NodePrivate) && state->remoteRole != eVNet_RoleOwner) continue;
        state->flags |= StateAnnounceDue;
        ++syncing;
    }
    return syncing;
}

void VNet_Control_Private::dropForeignNodes(VNet_Connection* connection, int8_t level)
{
    const uint32_t id = connection->getId();
    for (auto* n = nodeList.first(); n;) {
        VNet_Node_Private* node = n->payload;
        n = n->next;
        if (node->role != eVNet_RoleAuthority || (level > 0 && node->hasLevel(uint8_t(level)))) continue;
        if (node->anyState(id) && !(node->anyState(id)->flags & StatePlaceholder)) node->removeConnection(id, false);
    }
}

void VNet_Control_Private::activateLevelNodes(VNet_Connection* connection)
{
    const int8_t level = connection->getLevel();
    if (level <= 0) return;
    for (auto* n = nodeList.first(); n; n = n->next) {
        VNet_Node_Private* node = n->payload;
        if (node->role == eVNet_RoleAuthority && node->hasLevel(uint8_t(level)) && belongsTo(node, connection) &&
            !node->linkedState(connection->getId()))
            node->addConnection(connection->getId());
    }
}

void VNet_Control_Private::unlinkConnection(VNet_Connection* connection)
{
    const uint32_t id = connection->getId();
    for (auto* n = nodeList.first(); n;) {
        VNet_Node_Private* node = n->payload;
        n = n->next;
        if (!node->anyState(id)) continue;
        node->removeConnection(id, true);
        releaseIfOrphan(node);
    }
}

// ---------------------------------------------------------------------------
// Processing

void VNet_Control_Private::processNodes()
{
    for (auto* n = nodeList.first(); n; n = n->next) {
        VNet_Node_Private* node = n->payload;
        // A node whose handle is gone no longer has its application's values.
        if (node->handle && node->connectionStates && node->connectionStates->getUsedCount()) node->checkChanges();
        if (node->role != eVNet_RoleAuthority || !(node->flags & NodeMustSync)) continue;
        node->forEachLinked([&](NodeConnState* s) {
            if ((s->flags & (StateAnnounceDue | StateKnown)) != (StateAnnounceDue | StateKnown)) return;
            VNet_Connection* connection = findConnectionById(s->connectionId);
            if (!connection || connection->getRequestedLevel() == VNet_Connection::kNoLevel ||
                connection->getRequestedLevel() == uint8_t(connection->getLevel()))
                return;
            s->flags &= ~StateAnnounceDue;
            node->requestSync(s->connectionId);
        });
    }
}

void VNet_Control_Private::processReplicators(unsigned elapsed)
{
    for (auto* n = nodeList.first(); n; n = n->next) {
        if (n->payload->handle) n->payload->processReplicators(elapsed);
    }
}

void VNet_Control_Private::teardownNodes()
{
    while (auto* first = nodeList.first()) {
        VNet_Node_Private* node = first->payload;
        if (node->handle) node->handle->unregisterNode();
        // Whatever still holds it goes with the control.
        if (nodeList.first() == first) {
            node->handle = nullptr;
            removeNode(node);
        }
    }
    for (auto*& list : syncLists) {
        delete list;
        list = nullptr;
    }
}
