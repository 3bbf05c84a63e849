// The node side of a connection: its control node and the class exchange
// over it, and the node section of node-data packets (deletions,
// announcements, updates) with what settling such a packet means.
#include <algorithm>

#include "vornet/vornet.h"
#include "vornet/vornet_node.h"
#include "vornet/vornet_replicator.h"

#include "vornet_assert.h"
#include "vornet_connection.h"
#include "vornet_control_private.h"
#include "vornet_log.h"
#include "vornet_node_private.h"
#include "vornet_packet.h"

namespace Vornet_Private {

namespace {

// The bools that close an entry and the section, tags included.
constexpr unsigned kClosingBits = 64;

unsigned significantBits(uint32_t value)
{
    unsigned bits = 0;
    while (value >> bits) ++bits;
    return bits;
}

unsigned bytePosition(const VNet_BitStream* stream)
{
    return (stream->getBitCount() + 7) / 8;
}

}  // namespace

void NodeRecords::clear()
{
    for (auto* n = data.first(); n; n = n->next) delete n->payload;
    for (auto* n = events.first(); n; n = n->next) delete n->payload;
    data.clear();
    events.clear();
    announced.clear();
    deleted.clear();
    roles.clear();
}

// ---------------------------------------------------------------------------
// The control node

void VNet_Connection::createControlNode()
{
    m_controlNode = new VNet_Node;
    if (!m_controlNode) {
        log(LogError, "out of memory(cn)");
        return;
    }
    VNet_Node_Private* node = VNet_Node_Private::of(m_controlNode);
    node->flags |= NodeControlNode;
    for (uint8_t level = 1; level <= kMaxLevel; ++level) node->applyForLevel(level);
    node->setPrivate(true);
    node->setMustSync(true, 0);
    node->updatePriority = 32000;
}

void VNet_Connection::registerControlNode(eVNet_NodeRole role)
{
    if (!m_controlNode || m_controlNode->getControl()) return;
    if (!m_controlNode->registerNodeByTag(m_control->controlClassId, m_id, role, m_control->owner)) return;
    if (role == eVNet_RoleAuthority) m_controlNode->setOwner(m_id, true);
    log(LogVerbose, "registered connection control node");
}

void VNet_Connection::destroyControlNode()
{
    delete m_controlNode;
    m_controlNode = nullptr;
}

bool VNet_Connection::sendControlEvent(VNet_BitStream* stream)
{
    return m_controlNode->sendEventDirect(eVNet_ReliableOrdered, stream, m_id);
}

void VNet_Connection::handleControlNodeEvents()
{
    if (!m_controlNode) return;
    while (m_controlNode->checkEventWaiting()) {
        eVNet_Event kind = eVNet_EventNone;
        unsigned connection = 0;
        VNet_BitStream* stream = m_controlNode->getNextEvent(&kind, nullptr, &connection, nullptr);
        if (connection != m_id) continue;
        if (kind == eVNet_EventSyncRequest && !m_isOpener) sendClassTable();
        if (kind == eVNet_EventUser && stream && m_isOpener) readClassEntry(stream);
        if (kind == eVNet_EventUser && stream && !m_isOpener) readClassAnswer(stream);
    }
}

// Every class whose id the peer's announced width can carry, the last one
// marked.
void VNet_Connection::sendClassTable()
{
    const VNet_ClassDict* classes = m_control->classDict;
    const uint32_t count = classes->getClassCount();
    uint32_t last = 0;
    for (uint32_t id = 1; id < count; ++id) {
        if (significantBits(id) <= m_classIdWidth) last = id;
    }
    for (uint32_t id = 1; id <= last; ++id) {
        auto* entry = new VNet_BitStream(32);
        if (!entry) fatalError("VNet_Connection: out of memory");
        entry->addString(classes->getClassName(id));
        entry->addInt(id, m_classIdWidth);
        entry->addBool(id == last);
        sendControlEvent(entry);
    }
    if (last + 1 < count)
        log(LogError, "classes from id %u on do not fit the peer's %u-bit class ids - their nodes are not sent",
            unsigned(last + 1), unsigned(m_classIdWidth));
}

void VNet_Connection::readClassEntry(VNet_BitStream* stream)
{
    const char* name = stream->getStringStatic();
    const uint32_t remote = stream->getInt(m_classIdWidth);
    const bool last = stream->getBool();
    const uint32_t local = m_control->classDict->findClass(name);
    if (!local) {
        log(LogError, "unknown class [%s] requested by server", name);
        auto* answer = new VNet_BitStream(8);
        if (!answer) fatalError("VNet_Connection: out of memory");
        answer->addInt(remote, m_classIdWidth);
        sendControlEvent(answer);
    } else if (m_classIdMap) {
        m_classIdMap->set(local, remote);
    }
    if (!last) return;
    auto* done = new VNet_BitStream(8);
    if (!done) fatalError("VNet_Connection: out of memory");
    done->addInt(0, m_classIdWidth);
    sendControlEvent(done);
}

void VNet_Connection::readClassAnswer(VNet_BitStream* stream)
{
    const uint32_t id = stream->getInt(m_classIdWidth);
    if (id == 0) {
        m_controlNode->setSyncResult(m_id, true, nullptr);
        return;
    }
    const char* name = m_control->classDict->getClassName(id);
    log(LogError, "unknown class on client: %s", name ? name : "");
    m_classSyncFailed = true;
    m_controlNode->setSyncResult(m_id, false, nullptr);
}

// ---------------------------------------------------------------------------
// Writing the node section

// The rate's bytes per packet, the size the packet stream was allocated
// for; the stream's own size hint is only what it holds so far.
unsigned VNet_Connection::packetBudget() const
{
    return static_cast<unsigned>(m_sendRate.bytesPerPacket);
}

uint32_t VNet_Connection::wireId(const VNet_Node_Private* node) const
{
    if (!m_isOpener) return node->localId;
    return m_nodeIdMap ? m_nodeIdMap->forward(node->localId) : 0;
}

bool VNet_Connection::sendNodeData()
{
    VNet_Packet* packet = newPacket(KindNodeData, ModeSequenced);
    if (!packet) return false;
    writeNodes(packet->getHistory(), packet->getStream());
    return true;
}

void VNet_Connection::writeNodes(HistoryRecord* record, VNet_BitStream* stream)
{
    const unsigned limit = stream->getBitCount() + payloadLimitBits() - kClosingBits;
    NodeRecords* records = m_spareNodeRecords.take();
    int32_t updates = 0;
    int32_t deletions = 0;
    const uint32_t largest = records ? collectNodes(Vornet::getTime(), &updates, &deletions) : 0;
    const unsigned width = significantBits(largest);
    stream->addInt(width, 4);
    if (records) writeDeletions(deletions, stream, width, limit, records);
    stream->addBool(false);
    // A node that waits for room leads the next packet, where what waited
    // goes first; among such nodes, the one that has waited longest rises.
    if (updates) {
        std::stable_sort(&m_candidates[0], &m_candidates[0] + updates, [](const Candidate& a, const Candidate& b) {
            return a.waits != b.waits ? a.waits : a.priority > b.priority;
        });
    }
    const unsigned budget = packetBudget();
    const unsigned entriesStart = stream->getBitCount();
    const bool deleting = records && records->deleted.count() > 0;
    for (int32_t i = 0; i < updates && bytePosition(stream) <= budget; ++i) {
        VNet_BitStream::BitPos before;
        stream->saveWriteState(before);
        EntryRoom room;
        room.limitBits = limit;
        room.budgetBits = budget * 8;
        room.leads = stream->getBitCount() == entriesStart;
        room.lone = !deleting && room.leads;
        if (!writeUpdate(m_candidates[i], stream, width, room, records)) stream->restoreWriteState(before);
    }
    stream->addBool(false);
    if (records && records->empty()) {
        recycleNodeRecords(records);
        records = nullptr;
    }
    if (records) m_control->holdNodeIds(*records, 1);
    record->nodes = records;
}

// One walk over the registered nodes: the update candidates go to
// m_candidates, the nodes whose deletion is due to m_deletions. Returns the
// largest wire id among them.
uint32_t VNet_Connection::collectNodes(uint32_t now, int32_t* updates, int32_t* deletions)
{
    const auto keep = [](ARRAY<Candidate>& list, int32_t* count, const Candidate& entry) {
        if (*count >= list.getCount()) list.resize(*count ? *count * 2 : 64);
        list[(*count)++] = entry;
    };
    uint32_t largest = 0;
    for (auto* n = m_control->nodeList.first(); n; n = n->next) {
        VNet_Node_Private* node = n->payload;
        NodeConnState* state = node->linkedState(m_id);
        if (!state) continue;
        const uint32_t priority = node->priority(state, now, false);
        state->flags &= ~StateHandled;
        bool candidate = priority != 0 && !(state->flags & StateDeleteWritten);
        bool deleting = false;
        if (state->flags & StateWithdrawn) {
            const int32_t pending = state->outgoing.count();
            if (pending)
                logRaw("[%s/%d] trying to delete %d, but %d events pending, priority: %d",
                       m_control->debugName.getBuffer() ? m_control->debugName.getBuffer() : "", int(m_id),
                       int(node->networkId), int(pending), int(priority));
            candidate = pending && state->relevance != 0.0f && !(state->flags & StateDeleteWritten);
            deleting = !candidate && (state->flags & (StateKnown | StateAnnounceWritten));
        }
        if (!candidate && !deleting) continue;
        largest = std::max(largest, wireId(node));
        keep(candidate ? m_candidates : m_deletions, candidate ? updates : deletions,
             Candidate{node, state, priority, state->waitsForRoom()});
    }
    return largest;
}

void VNet_Connection::writeDeletions(int32_t count, VNet_BitStream* stream, unsigned width, unsigned limit,
                                     NodeRecords* records)
{
    for (int32_t i = 0; i < count; ++i) {
        VNet_Node_Private* node = m_deletions[i].node;
        NodeConnState* state = m_deletions[i].state;
        if (state->flags & StateDeleteWritten) continue;
        if (bytePosition(stream) > packetBudget() || stream->getBitCount() + 32 > limit) break;
        if (!records->deleted.append(node->localId)) break;
        state->flags |= StateDeleteWritten;
        if (node->replicationInterceptor && node->handle)
            node->replicationInterceptor->outPreDelete(node->handle, m_id, state->remoteRole);
        stream->addBool(true);
        stream->addInt(wireId(node), uint8_t(width));
    }
}

bool VNet_Connection::writeAnnouncement(VNet_Node_Private* node, NodeConnState* state, VNet_BitStream* stream,
                                        unsigned width)
{
    if ((node->flags & NodeHasDependencies) && !node->dependenciesKnown(m_id)) return false;
    if (significantBits(node->classId) > m_classIdWidth) {
        log(LogError, "class id %u of node %u does not fit the peer's %u-bit class ids - node not sent",
            unsigned(node->classId), unsigned(node->localId), unsigned(m_classIdWidth));
        node->removeConnection(m_id, true);
        return false;
    }
    state->flags |= StateAnnounceWritten | StateHandled;
    if (node->replicationInterceptor && node->handle)
        node->replicationInterceptor->outPreAnnounce(node->handle, m_id, state->remoteRole);
    stream->addBool(true);
    if (node->registrationKind == RegisterDynamic) {
        stream->addBool(true);
    } else {
        stream->addBool(false);
        stream->addBool(node->registrationKind == RegisterByTag);
        if (node->registrationKind == RegisterByTag) stream->addInt(node->tag, 32);
    }
    stream->addInt(node->classId, m_classIdWidth);
    stream->addInt(node->localId, uint8_t(width));
    stream->addBool(state->remoteRole == eVNet_RoleOwner);
    if (node->registrationKind != RegisterUnique &&
        (m_control->classDict->getClassFlags(node->classId) & VNET_CLASSFLAG_ANNOUNCEDATA)) {
        (void)VNET_CHECK(node->announceData, "VNET_CLASSFLAG_ANNOUNCEDATA set, but no data found");
        if (node->announceData) stream->addBitStream(node->announceData);
    }
    return true;
}

bool VNet_Connection::writeUpdate(const Candidate& candidate, VNet_BitStream* stream, unsigned width,
                                  const EntryRoom& room, NodeRecords* records)
{
    VNet_Node_Private* node = candidate.node;
    NodeConnState* state = candidate.state;
    bool announced = false;
    // Only the accepting side tells a peer its role in an update.
    if (m_isOpener) state->flags &= ~StateRoleDue;
    const bool roleDue = (state->flags & StateRoleDue) != 0;
    stream->addBool(true);
    if (m_isOpener) {
        if (!(state->flags & StateKnown)) return false;
        stream->addInt(wireId(node), uint8_t(width));
    } else if (state->peerKnows()) {
        if (!(state->flags & StateKnown)) return false;
        stream->addBool(false);
        stream->addInt(node->localId, uint8_t(width));
        stream->addBool(state->remoteRole == eVNet_RoleOwner);
    } else {
        if (!writeAnnouncement(node, state, stream, width)) return false;
        if (stream->getBitCount() > room.limitBits || !records->announced.append(node->localId)) {
            state->flags &= ~(StateAnnounceWritten | StateHandled);
            return false;
        }
        announced = true;
    }
    VNet_NodeReplicationInterceptor* interceptor = node->handle ? node->replicationInterceptor : nullptr;
    const bool allowed = !interceptor || interceptor->outPreUpdate(node->handle, m_id, state->remoteRole);
    const unsigned start = stream->getBitCount();
    unsigned replicatorBits = 0;
    unsigned eventBits = 0;
    stream->addBool(true);
    bool packed = false;
    // A node whose handle is gone no longer has its application's values.
    const bool packs = node->replicators_size && allowed && node->handle;
    stream->addBool(packs);
    EntryRoom entryRoom = room;
    entryRoom.lone = room.lone && !announced;
    // Leading a packet with nothing it may write, the node has nothing to
    // wait for.
    if (room.leads && !allowed)
        state->forgetRoomWaits();
    else if (room.leads && !packs)
        state->forgetReplicatorWaits();
    if (packs) {
        auto* data = new NodeRecords::Data;
        if (data) {
            data->localId = node->localId;
            data->set.clear();
            packed = node->packReplicators(state, stream, entryRoom, data->set, &replicatorBits);
        }
        if (packed && !records->data.append(data)) {
            // No record, no packet: the data goes again in the next one.
            node->replicatorsUnsent(m_id, data->set);
            if (announced) {
                records->announced.remove(records->announced.last());
                state->flags &= ~(StateAnnounceWritten | StateHandled);
            }
            delete data;
            return false;
        }
        if (!packed) delete data;
    }
    stream->addBool(true);
    bool events = false;
    entryRoom.lone = entryRoom.lone && !packed;
    if (allowed)
        events = node->writeEvents(state, stream, entryRoom, records, &eventBits);
    else
        stream->addBool(false);
    stream->addBool(true);
    // An entry rolled back is no update: the node's priority keeps growing
    // until it is the first entry of a packet, where all that can fit does.
    // So does it while something of it waits for room, however much else
    // of it goes.
    if (!announced && !packed && !events && !roleDue) return false;
    if (!state->waitsForRoom()) state->lastUpdateTime = Vornet::getTime();
    if (roleDue && records->roles.append(node->localId)) state->flags &= ~StateRoleDue;
    if (interceptor)
        interceptor->outUpdated(node->handle, m_id, state->remoteRole, replicatorBits, eventBits,
                                stream->getBitCount() - start - replicatorBits - eventBits);
    return true;
}

// ---------------------------------------------------------------------------
// Reading the node section

void VNet_Connection::disconnectFromReader()
{
    if (m_state >= StateDisconnectPending || m_state == StateDead) return;
    log(LogNormal, "disconnect requested by application");
    destroyStream(m_pendingStream);
    m_pendingStream = nullptr;
    setState(StateDisconnectPending);
}

bool VNet_Connection::readNodes(VNet_BitStream* stream, uint32_t receiveTime)
{
    m_sectionTaken = false;
    m_sectionRefused = false;
    for (auto* n = m_control->nodeList.first(); n; n = n->next) {
        VNet_Node_Private* node = n->payload;
        if (!(node->flags & NodeHasAdvanced) || !node->handle) continue;
        for (uint16_t i = 0; i < node->replicators_size; ++i) {
            VNet_Replicator* r = node->replicators[i];
            if (r && (r->getFlags() & VNET_REPLICATOR_ADVANCED))
                static_cast<VNet_ReplicatorAdvanced*>(r)->onPacketReceived(m_id);
        }
    }
    const uint32_t estimated = receiveTime - (m_stats.averagePing + 1u) / 2u;
    const unsigned width = stream->getInt(4);
    while (stream->getBool()) {
        if (!readDeletion(stream, width)) return true;
    }
    while (stream->getBool() && !stream->endOfStream()) {
        VNet_Node_Private* node = nullptr;
        NodeConnState* state = nullptr;
        if (m_isOpener && stream->getBool()) {
            m_sectionTaken = true;
            node = readAnnouncement(stream, width);
            if (!node) return true;
            state = node->linkedState(m_id);
        } else {
            const uint32_t id = stream->getInt(uint8_t(width));
            const bool owner = m_isOpener ? stream->getBool() : false;
            if (stream->endOfStream()) return true;
            const uint32_t local = !m_isOpener ? id : m_nodeIdMap ? m_nodeIdMap->backward(id) : 0;
            node = m_control->nodeByLocalId(local);
            state = node ? node->linkedState(m_id) : nullptr;
            if (!state) {
                log(LogNormal, "node not found[%d]! Disconnecting!", int(id));
                disconnectFromReader();
                return true;
            }
            if (node->role != eVNet_RoleAuthority) node->role = owner ? eVNet_RoleOwner : eVNet_RoleProxy;
        }
        if (!readUpdateBody(node, state, stream, estimated)) return !m_sectionRefused;
    }
    return true;
}

bool VNet_Connection::readUpdateBody(VNet_Node_Private* node, NodeConnState* state, VNet_BitStream* stream,
                                     uint32_t estimated)
{
    VNet_NodeReplicationInterceptor* interceptor = node->handle ? node->replicationInterceptor : nullptr;
    const bool store = !interceptor || interceptor->inPreUpdate(node->handle, m_id, state->remoteRole);
    unsigned replicatorBits = 0;
    unsigned eventBits = 0;
    // The three markers are always written as 1. A 0 means the entry is
    // read out of step with its writer (announce data read to a wrong
    // length, or a forged section), and nothing after it can be trusted.
    if (!stream->getBool()) return malformedEntry(node);
    int32_t unreadable = -1;
    if (stream->getBool() &&
        !node->unpackReplicators(state, stream, store, &replicatorBits, estimated, &unreadable)) {
        if (unreadable >= 0) unreadableData(node, uint16_t(unreadable));
        return false;
    }
    if (!stream->getBool()) return malformedEntry(node);
    // Events are handed over as they are read: a section with any is taken.
    const unsigned eventsAt = readPosition(stream);
    const bool read = node->readEvents(state, stream, estimated, &eventBits);
    if (readPosition(stream) - eventsAt > 1 + VNet_BitStream::getTagOverheadBool()) m_sectionTaken = true;
    if (!read) return false;
    if (!stream->getBool() || stream->endOfStream()) return malformedEntry(node);
    if (interceptor) interceptor->inUpdated(node->handle, m_id, state->remoteRole, replicatorBits, eventBits, 0);
    return true;
}

void VNet_Connection::unreadableData(const VNet_Node_Private* node, uint16_t index)
{
    const char* name = m_control->classDict->getClassName(node->classId);
    if (!m_sectionTaken) {
        // Nothing of the packet is kept: reported missing, its content
        // comes again, and once the peer has our deletion of the node,
        // without that node's data.
        log(LogError,
            "data of replicator %u (class %s) of node [%u] (class <%s>) cannot be passed by once its node handle "
            "is gone - the packet is refused and comes again",
            unsigned(index), node->replicatorClass(index), unsigned(node->networkId), name ? name : "");
        m_sectionRefused = true;
        return;
    }
    log(LogError,
        "data of replicator %u (class %s) of node [%u] (class <%s>) cannot be passed by once its node handle is "
        "gone, and the packet it came in has been taken in part - the entries after it cannot be read! "
        "Disconnecting!",
        unsigned(index), node->replicatorClass(index), unsigned(node->networkId), name ? name : "");
    disconnectFromReader();
}

bool VNet_Connection::malformedEntry(const VNet_Node_Private* node)
{
    log(LogError, "node section entry of node [%d] read out of step! Disconnecting!", int(node->networkId));
    disconnectFromReader();
    return false;
}

bool VNet_Connection::readDeletion(VNet_BitStream* stream, unsigned width)
{
    const uint32_t id = stream->getInt(uint8_t(width));
    if (stream->endOfStream()) return false;
    // The opener drops the id's mapping as it reads a deletion, and the
    // peer keeps the id until the packet is settled: read again, the
    // deletion finds nothing. On the acceptor it would unlink the node
    // again, whatever has been linked since.
    if (!m_isOpener) m_sectionTaken = true;
    uint32_t local = id;
    if (m_isOpener) {
        local = m_nodeIdMap ? m_nodeIdMap->backward(id) : 0;
        if (local) m_nodeIdMap->remove(local);
    }
    VNet_Node_Private* node = m_control->nodeByLocalId(local);
    NodeConnState* state = node ? node->linkedState(m_id) : nullptr;
    if (!state) {
        log(LogNormal, "node not found: local id[%d]", int(local));
        return true;
    }
    state->flags &= ~(StateKnown | StateAnnounceWritten);
    node->removeConnection(m_id, false);
    if (m_isOpener && node->role != eVNet_RoleAuthority) m_control->releaseNetworkId(node);
    m_control->releaseIfOrphan(node);
    return true;
}

VNet_Node_Private* VNet_Connection::readAnnouncement(VNet_BitStream* stream, unsigned width)
{
    uint32_t kind = RegisterUnique;
    uint32_t tag = 0;
    if (stream->getBool()) {
        kind = RegisterDynamic;
    } else if (stream->getBool()) {
        kind = RegisterByTag;
        tag = stream->getInt(32);
    }
    const uint32_t remoteClass = stream->getInt(m_classIdWidth);
    const uint32_t networkId = stream->getInt(uint8_t(width));
    const bool owner = stream->getBool();
    if (stream->endOfStream()) return nullptr;
    const uint32_t classId = m_classIdMap ? m_classIdMap->backward(remoteClass) : 0;
    VNet_Node_Private* node = findAnnounced(kind, classId, tag, networkId, owner, stream);
    if (!node) {
        disconnectFromReader();
        return nullptr;
    }
    if (!node->linkedState(m_id) && !node->addConnection(m_id)) {
        log(LogNormal, "node [%d] unable to create connection state! Disconnecting!", int(networkId));
        disconnectFromReader();
        return nullptr;
    }
    node->linkedState(m_id)->flags |= StateKnown;
    if (m_nodeIdMap) m_nodeIdMap->set(node->localId, networkId);
    if (node->role != eVNet_RoleAuthority) {
        node->role = owner ? eVNet_RoleOwner : eVNet_RoleProxy;
        m_control->enterNetworkId(node, networkId);
    }
    const char* name = m_control->classDict->getClassName(classId);
    log(LogNormal, "node[local id: %d] = network id: %d [class: %s]", int(node->localId), int(networkId),
        name ? name : "");
    return node;
}

VNet_Node_Private* VNet_Connection::findAnnounced(uint32_t kind, uint32_t classId, uint32_t tag, uint32_t networkId,
                                                  bool owner, VNet_BitStream* stream)
{
    const char* name = m_control->classDict->getClassName(classId);
    if (!name) {
        log(LogNormal, "announced node [%d] has an unknown class! Disconnecting!", int(networkId));
        return nullptr;
    }
    const bool withData = kind != RegisterUnique &&
                          (m_control->classDict->getClassFlags(classId) & VNET_CLASSFLAG_ANNOUNCEDATA);
    VNet_BitStream* announce = withData ? stream : nullptr;
    const eVNet_NodeRole role = owner ? eVNet_RoleOwner : eVNet_RoleProxy;
    if (kind == RegisterUnique) {
        VNet_Node_Private* node = m_control->uniqueNode(classId);
        if (!node) log(LogNormal, "no instance of unique class <%s> found! Disconnecting!", name);
        return node;
    }
    if (kind == RegisterByTag) {
        // The peer tags its control node with its own id for this
        // connection, which need not be ours: the class alone names it.
        if (classId == m_control->controlClassId) {
            if (!m_controlNode) log(LogNormal, "no control node for this connection! Disconnecting!");
            return m_controlNode ? VNet_Node_Private::of(m_controlNode) : nullptr;
        }
        VNet_Node_Private* node = m_control->nodeByTag(classId, tag);
        if (node && announce) return passAnnounceData(node, name, tag, stream);
        if (!node) {
            const unsigned before = readPosition(stream);
            m_control->lastInsertedNodeId = 0;
            m_control->owner->onTagNodeRequest(m_id, classId, announce, role, tag);
            node = m_control->nodeByLocalId(m_control->lastInsertedNodeId);
            if (node && announce) node->announceBitsRead = int32_t(readPosition(stream) - before);
        }
        if (!node || node->classId != classId || node->tag != tag) {
            log(LogNormal, "no instance of class <%s> with tag [%d] found! Disconnecting!", name, int(tag));
            return nullptr;
        }
        return node;
    }
    m_control->lastInsertedNodeId = 0;
    m_control->dynamicNodesRequested = true;
    m_control->owner->onDynamicNodeRequest(m_id, classId, announce, role, networkId);
    m_control->dynamicNodesRequested = false;
    VNet_Node_Private* node = m_control->nodeByLocalId(m_control->lastInsertedNodeId);
    if (!node) {
        log(LogNormal, "requested dynamic node [%d] has not been found for class [%d]", int(networkId), int(classId));
    } else if (node->classId != classId) {
        log(LogNormal, "requested dynamic node [%d] has wrong class [%d], expected [%d]", int(networkId),
            int(node->classId), int(classId));
        node = nullptr;
    }
    return node;
}

VNet_Node_Private* VNet_Connection::passAnnounceData(VNet_Node_Private* node, const char* name, uint32_t tag,
                                                     VNet_BitStream* stream)
{
    // Announce data travels without its length: only the request handler
    // knows how much of the packet it takes. A node that such a handler
    // made here is announced again with the same data, so what the handler
    // read then is passed by now. Without that measure, reading on would
    // take the data for the entries after it.
    if (node->announceBitsRead < 0) {
        log(LogError,
            "announce data of class <%s> with tag [%d] cannot be passed by for a node that exists here! "
            "Disconnecting!",
            name, int(tag));
        return nullptr;
    }
    stream->skipBits(unsigned(node->announceBitsRead));
    return stream->endOfStream() ? nullptr : node;
}

// ---------------------------------------------------------------------------
// Settling

void VNet_Connection::settleNodeData(HistoryRecord* record, bool delivered)
{
    NodeRecords* records = record->nodes;
    record->nodes = nullptr;
    if (!records) return;
    for (auto* n = records->announced.first(); n; n = n->next) {
        VNet_Node_Private* node = m_control->nodeByLocalId(n->payload);
        NodeConnState* state = node ? node->linkedState(m_id) : nullptr;
        if (!state) continue;
        state->flags &= ~StateAnnounceWritten;
        if (delivered) {
            state->flags |= StateKnown | StateAnnouncedBefore;
            state->accumulatedPriority = 0;
        } else {
            state->flags |= StateNormalDirty;
        }
    }
    for (auto* n = records->roles.first(); n; n = n->next) {
        VNet_Node_Private* node = m_control->nodeByLocalId(n->payload);
        NodeConnState* state = node ? node->linkedState(m_id) : nullptr;
        if (state && !delivered) state->flags |= StateRoleDue;
    }
    for (auto* n = records->data.first(); n; n = n->next) {
        VNet_Node_Private* node = m_control->nodeByLocalId(n->payload->localId);
        if (!node) continue;
        if (delivered)
            node->replicatorsDelivered(m_id);
        else
            node->replicatorsLost(m_id, n->payload->set);
    }
    for (auto* n = records->events.first(); n; n = n->next) {
        VNet_Node_Private* node = m_control->nodeByLocalId(n->payload->localId);
        if (!node) continue;
        if (m_destroying)
            node->releaseEventRef(n->payload->eventId);
        else if (delivered)
            node->eventDelivered(m_id, n->payload->eventId, n->payload->order);
        else
            node->eventLost(m_id, n->payload->eventId, n->payload->order);
    }
    for (auto* n = records->deleted.first(); n; n = n->next) {
        VNet_Node_Private* node = m_control->nodeByLocalId(n->payload);
        NodeConnState* state = node ? node->linkedState(m_id) : nullptr;
        if (!state) continue;
        if (!delivered) {
            state->flags &= ~StateDeleteWritten;
            continue;
        }
        state->flags &= ~(StateKnown | StateAnnounceWritten | StateDeleteWritten);
        if (state->flags & StateRemoveAfterDelete) {
            node->removeConnection(m_id, true);
            m_control->releaseIfOrphan(node);
        }
    }
    m_control->holdNodeIds(*records, -1);
    recycleNodeRecords(records);
}

void VNet_Connection::recycleNodeRecords(NodeRecords* records)
{
    records->clear();
    m_spareNodeRecords.give(records);
}

}  // namespace Vornet_Private
