// A node's events: sending to connections, the event items of a packet,
// in-order delivery, acknowledgement and loss, and the incoming queue.
#include "vornet/vornet.h"
#include "vornet/vornet_replicator.h"

#include "vornet_assert.h"
#include "vornet_connection.h"
#include "vornet_control_private.h"
#include "vornet_log.h"
#include "vornet_node_private.h"

using namespace Vornet_Private;

namespace {

// What a node entry and an event item need around the payload, tags
// included, with room to spare.
constexpr unsigned kEntryOverheadBits = 256;
// The bools that close an event list, a node entry and the node section,
// tags included.
constexpr unsigned kClosingBits = 64;

// Significant bits of a replicator table size: the width of a replicator
// index in an event item.
unsigned indexWidth(uint16_t size)
{
    unsigned bits = 0;
    while (size >> bits) ++bits;
    return bits;
}

bool ordered(int32_t mode)
{
    return mode == eVNet_ReliableOrdered;
}

}  // namespace

void VNet_Node_Private::freeEvent(NodeEvent* event)
{
    if (!event) return;
    destroyStream(event->stream);
    delete event;
}

void VNet_Node_Private::freeQueuedEvents(NodeConnState* state)
{
    for (auto* n = state->outgoing.first(); n; n = n->next) delete n->payload;
    state->outgoing.clear();
    for (auto* n = state->pending.first(); n; n = n->next) freeEvent(n->payload);
    state->pending.clear();
}

void VNet_Node_Private::releaseEventRef(uint32_t eventId)
{
    if (!outgoingEvents || outgoingEvents->getState(eventId) != IdHandler<NodeEvent*>::Used) return;
    NodeEvent* event = outgoingEvents->get(eventId);
    if (event->references > 1) {
        --event->references;
        return;
    }
    freeEvent(event);
    outgoingEvents->remove(eventId);
}

// ---------------------------------------------------------------------------
// Sending

NodeEvent* VNet_Node_Private::newOutgoingEvent(eVNet_Event kind, int32_t mode, VNet_BitStream* stream, uint32_t* id)
{
    if (!outgoingEvents) outgoingEvents = new IdHandler<NodeEvent*>(16);
    auto* event = outgoingEvents ? new NodeEvent : nullptr;
    const int32_t reserved = event ? outgoingEvents->reserveNext() : -1;
    if (reserved < 0) {
        delete event;
        return nullptr;
    }
    event->kind = kind;
    event->mode = mode;
    event->stream = stream;
    outgoingEvents->set(uint32_t(reserved), event);
    *id = uint32_t(reserved);
    return event;
}

bool VNet_Node_Private::queueEvent(NodeConnState* state, uint32_t eventId, int32_t mode)
{
    auto* ref = new NodeEventRef;
    if (!ref || !state->outgoing.append(ref)) {
        delete ref;
        return false;
    }
    ref->eventId = eventId;
    ref->mode = mode;
    ++outgoingEvents->get(eventId)->references;
    return true;
}

bool Vornet_Private::eventFitsPacket(VNet_Control_Private* control, uint32_t connectionId, const VNet_BitStream* stream)
{
    VNet_Connection* connection = control ? control->findConnectionById(connectionId) : nullptr;
    if (!connection) return true;
    return stream->getBitCount() + kEntryOverheadBits <= connection->payloadLimitBits();
}

bool VNet_Node_Private::sendEvent(int32_t mode, uint8_t roleMask, VNet_BitStream* stream)
{
    if (mode < 0 || mode > 2) {
        log(LogError, nullptr, "VNet_Node::sendEvent(): invalid eventmode: %d", int(mode));
        destroyStream(stream);
        return false;
    }
    if (!stream) {
        log(LogError, nullptr, "VNet_Node::sendEvent(): called with _data = NULL");
        return false;
    }
    LIST<NodeConnState*> recipients;
    bool fits = true;
    forEachLinked([&](NodeConnState* s) {
        if (!s->isLive() || !(s->peerKnows() || s->relevance > 0.0f)) return;
        const bool wanted = role == eVNet_RoleAuthority
                                ? ((roleMask & 0x01) && s->remoteRole == eVNet_RoleProxy) ||
                                      ((roleMask & 0x02) && s->remoteRole == eVNet_RoleOwner)
                                : role == eVNet_RoleOwner && (roleMask & 0x04) && s->remoteRole == eVNet_RoleAuthority;
        if (!wanted) return;
        fits = fits && eventFitsPacket(control, s->connectionId, stream);
        recipients.append(s);
    });
    if (!fits) {
        log(LogError, "sendEvent", "event of %u bits cannot fit one packet - not sent", stream->getBitCount());
        destroyStream(stream);
        return false;
    }
    if (!recipients.count()) {
        if (checkingBuild)
            log(LogWarning, "sendEvent",
                "no recipient(s) found. only connections for which an init event has been received (if enabled) are "
                "valid recipients");
        destroyStream(stream);
        return true;
    }
    uint32_t id = 0;
    if (!newOutgoingEvent(eVNet_EventUser, mode, stream, &id)) {
        log(LogError, nullptr, "VNet_Node::sendData(): out of memory");
        destroyStream(stream);
        return false;
    }
    stream->setFlag(VNET_BS_LOCKED_FLAG, true);
    bool all = true;
    for (auto* n = recipients.first(); n; n = n->next) all = queueEvent(n->payload, id, mode) && all;
    if (outgoingEvents->get(id)->references == 0) {
        freeEvent(outgoingEvents->get(id));
        outgoingEvents->remove(id);
    }
    if (!all) log(LogError, nullptr, "VNet_Node::sendData(): out of memory");
    return all;
}

bool VNet_Node_Private::sendEventDirect(int32_t mode, VNet_BitStream* stream, uint32_t connectionId)
{
    if (!stream) {
        log(LogError, nullptr, "VNet_Node::sendEventDirect(): called with _data = NULL");
        return false;
    }
    NodeConnState* state = linkedState(connectionId);
    const char* problem = nullptr;
    if (!state || !state->isLive()) {
        log(LogWarning, nullptr, "VNet_Node::sendEventDirect(): node not linked to target connection: %d",
            int(connectionId));
        problem = "";
    } else if (mode < 0 || mode > 2) {
        log(LogError, nullptr, "VNet_Node::sendEventDirect(): invalid eventmode: %d", int(mode));
        problem = "";
    } else if (!eventFitsPacket(control, connectionId, stream)) {
        log(LogError, "sendEventDirect", "event of %u bits cannot fit one packet - not sent", stream->getBitCount());
        problem = "";
    }
    if (problem) {
        destroyStream(stream);
        return false;
    }
    if (queueEventFor(state, eVNet_EventUser, mode, stream)) return true;
    log(LogError, nullptr, "VNet_Node::sendEventDirect(): out of memory");
    return false;
}

bool VNet_Node_Private::queueEventFor(NodeConnState* state, eVNet_Event kind, int32_t mode, VNet_BitStream* stream)
{
    uint32_t id = 0;
    if (!newOutgoingEvent(kind, mode, stream, &id)) {
        destroyStream(stream);
        return false;
    }
    stream->setFlag(VNET_BS_LOCKED_FLAG, true);
    if (queueEvent(state, id, mode)) return true;
    freeEvent(outgoingEvents->get(id));
    outgoingEvents->remove(id);
    return false;
}

bool VNet_Node_Private::sendEventToGroup(int32_t mode, VNet_BitStream* stream, uint32_t group)
{
    if (!control || !stream) return false;
    VNet_ConnGroupManager& groups = control->groupManager;
    if (!groups.checkGroupExists(group)) {
        log(LogError, nullptr, "VNet_Node::sendEventToGroup(): group does not exist: %d", int(group));
        destroyStream(stream);
        return false;
    }
    if (mode < 0 || mode > 2) {
        log(LogError, nullptr, "VNet_Node::sendEventToGroup(): invalid eventmode: %d", int(mode));
        destroyStream(stream);
        return false;
    }
    bool ok = true;
    unsigned it = 0;
    for (unsigned id = groups.getFirstConnection(group, it); id; id = groups.getNextConnection(group, it)) {
        NodeConnState* state = linkedState(id);
        if (!state || !state->isLive()) {
            log(LogWarning, nullptr, "VNet_Node::sendEventToGroup(): node not linked to target connection %d[connection group: %d]",
                int(id), int(group));
            continue;
        }
        VNet_BitStream* copy = stream->Duplicate();
        if (!copy) {
            log(LogError, nullptr, "VNet_Node::sendEventToGroup(): out of memory");
            ok = false;
            break;
        }
        ok = sendEventDirect(mode, copy, id) && ok;
    }
    destroyStream(stream);
    return ok;
}

void VNet_Node_Private::sendReplicatorData(VNet_BitStream* stream, uint16_t index, uint8_t rules,
                                           uint32_t connectionId, int32_t mode, uint32_t value)
{
    if (mode == eVNet_ReliableOrdered) {
        (void)VNET_CHECK(false, "ReliableOrdered not support in VNet_Advanced::sendData()");
        mode = eVNet_ReliableUnordered;
    }
    LIST<NodeConnState*> recipients;
    bool fits = true;
    forEachLinked([&](NodeConnState* s) {
        if (!s->isLive() || !s->peerKnows()) return;
        if (connectionId ? s->connectionId != connectionId
                         : !((role == eVNet_RoleAuthority &&
                              (((rules & VNET_RULE_AUTHORITY_TO_PROXY) && s->remoteRole == eVNet_RoleProxy) ||
                               ((rules & VNET_RULE_AUTHORITY_TO_OWNER) && s->remoteRole == eVNet_RoleOwner))) ||
                             (role == eVNet_RoleOwner && (rules & VNET_RULE_OWNER_TO_AUTHORITY) &&
                              s->remoteRole == eVNet_RoleAuthority)))
            return;
        fits = fits && eventFitsPacket(control, s->connectionId, stream);
        recipients.append(s);
    });
    if (!fits) log(LogError, "sendReplicatorEvent", "data of %u bits cannot fit one packet - not sent", stream->getBitCount());
    uint32_t id = 0;
    NodeEvent* event = fits && recipients.count() ? newOutgoingEvent(eVNet_EventReplicator, mode, stream, &id) : nullptr;
    if (!event) {
        if (fits && recipients.count()) log(LogError, "sendReplicatorEvent", "VNet_Replicator::sendEvent(): out of memory");
        destroyStream(stream);
        return;
    }
    stream->setFlag(VNET_BS_LOCKED_FLAG, true);
    event->replicator = index;
    if (mode == eVNet_UnreliableNotify) event->userValue = value;
    for (auto* n = recipients.first(); n; n = n->next) queueEvent(n->payload, id, mode);
    if (event->references == 0) {
        freeEvent(event);
        outgoingEvents->remove(id);
    }
}

bool VNet_Node_Private::hasEventFor(const NodeConnState* state) const
{
    return state->outgoing.count() > 0 || hasFileChunkFor(state);
}

// ---------------------------------------------------------------------------
// Event items

void VNet_Node_Private::writeEventItem(const NodeEvent* event, int32_t mode, uint8_t order, VNet_BitStream* stream)
{
    const bool isOrdered = ordered(mode);
    stream->addBool(true);
    stream->addBool(isOrdered);
    if (isOrdered) stream->addInt(order, 4);
    if (event->kind == eVNet_EventUser) {
        stream->addBool(true);
    } else if (event->kind == eVNet_EventReplicator) {
        stream->addBool(false);
        stream->addBool(true);
    } else {
        stream->addBool(false);
        stream->addBool(false);
        stream->addInt(unsigned(event->kind) - 4, 2);
    }
    if (event->kind == eVNet_EventReplicator) stream->addInt(event->replicator, uint8_t(indexWidth(replicators_size)));
    const unsigned length = event->stream ? event->stream->getBitCount() : 0;
    const bool big = length / 8 >= 255;
    stream->addBool(big);
    stream->addInt(length / 8, big ? 16 : 8);
    stream->addInt(length % 8, 3);
    if (event->stream) stream->addBitStream(event->stream, event->kind != eVNet_EventReplicator);
}

bool VNet_Node_Private::writeEvents(NodeConnState* state, VNet_BitStream* stream, const EntryRoom& room,
                                    NodeRecords* records, unsigned* bits)
{
    if (role != eVNet_RoleProxy && handle) {
        for (uint16_t i = 0; i < replicators_size; ++i) {
            VNet_Replicator* r = replicators[i];
            if (!r || !(r->getFlags() & VNET_REPLICATOR_ADVANCED)) continue;
            unsigned* last = state->lastSend ? reinterpret_cast<unsigned*>(&(*state->lastSend)[i]) : nullptr;
            static_cast<VNet_ReplicatorAdvanced*>(r)->onPreSendData(state->connectionId, state->remoteRole, last);
        }
    }
    EntryRoom left = room;
    // At the head of a packet only an item that waited for room may cross
    // the budget.
    left.leads = room.leads && (state->flags & StateEventWaits);
    state->flags &= ~StateEventWaits;
    bool any = writeQueuedEvents(state, stream, left, records, bits);
    // A file's next chunk fills what room is left.
    if (queueFileChunk(state, stream, room.limitBits))
        any = writeQueuedEvents(state, stream, left, records, bits) || any;
    stream->addBool(false);
    return any;
}

bool VNet_Node_Private::writeQueuedEvents(NodeConnState* state, VNet_BitStream* stream, EntryRoom& room,
                                          NodeRecords* records, unsigned* bits)
{
    // Items go while the packet keeps within the connection's budget; one
    // past it waits, and the items behind it wait for it. The node then
    // rises until it leads a packet, where that item goes first and may
    // pass the budget, as may the first item of a lone entry (one larger
    // than the budget would never go otherwise); nothing passes the
    // datagram.
    bool any = false;
    auto* n = state->outgoing.first();
    for (; n && stream->getBitCount() + kClosingBits <= room.limitBits;) {
        NodeEventRef* ref = n->payload;
        if (!outgoingEvents || outgoingEvents->getState(ref->eventId) != IdHandler<NodeEvent*>::Used) {
            delete ref;
            n = state->outgoing.remove(n);
            continue;
        }
        const bool isOrdered = ordered(ref->mode);
        // At most eight ordered events in flight: a new one waits while the
        // number eight behind it is unsettled.
        if (isOrdered && !ref->resend && (state->ordersInFlight & (1u << ((state->nextOrderOut + 8) & 15)))) {
            n = n->next;
            continue;
        }
        const uint8_t order = !isOrdered ? 255 : ref->resend ? ref->order : state->nextOrderOut;
        const NodeEvent* event = outgoingEvents->get(ref->eventId);
        VNet_BitStream::BitPos before;
        stream->saveWriteState(before);
        writeEventItem(event, ref->mode, order, stream);
        auto* record = ref->mode != eVNet_Unreliable ? new NodeRecords::Event : nullptr;
        const bool recorded = ref->mode == eVNet_Unreliable || (record && records->events.append(record));
        const unsigned end = stream->getBitCount() + kClosingBits;
        const bool mayCross = room.lone || room.leads;
        if (!recorded || end > room.limitBits || (end > room.budgetBits && !mayCross)) {
            // Past the room (or out of memory): the item waits for the next
            // packet, and the packet keeps no record of it.
            if (record && recorded) records->events.remove(records->events.last());
            delete record;
            stream->restoreWriteState(before);
            break;
        }
        if (record) {
            record->localId = localId;
            record->eventId = ref->eventId;
            record->order = order;
        }
        if (isOrdered) {
            if (!ref->resend) state->nextOrderOut = uint8_t((state->nextOrderOut + 1) & 15);
            state->ordersInFlight |= uint16_t(1u << order);
        }
        if (bits) *bits += event->stream ? event->stream->getBitCount() : 0;
        any = true;
        room.lone = false;
        room.leads = false;
        if (ref->mode == eVNet_Unreliable) releaseEventRef(ref->eventId);
        delete ref;
        n = state->outgoing.remove(n);
    }
    if (n) state->flags |= StateEventWaits;
    return any;
}

bool VNet_Node_Private::readEvents(NodeConnState* state, VNet_BitStream* stream, uint32_t estimatedTime,
                                   unsigned* bits)
{
    bool intact = true;
    for (bool more = stream->getBool(); more && intact; more = stream->getBool()) {
        const bool isOrdered = stream->getBool();
        const uint8_t order = isOrdered ? uint8_t(stream->getInt(4)) : 255;
        eVNet_Event kind = eVNet_EventUser;
        if (!stream->getBool()) kind = stream->getBool() ? eVNet_EventReplicator : eVNet_Event(stream->getInt(2) + 4);
        const unsigned index = kind == eVNet_EventReplicator ? stream->getInt(uint8_t(indexWidth(replicators_size))) : 0;
        const bool big = stream->getBool();
        const unsigned bytes = stream->getInt(big ? 16 : 8);
        const unsigned length = bytes * 8 + stream->getInt(3);
        const unsigned end = readPosition(stream) + length;
        if (stream->endOfStream() || end > stream->getBitCount()) {
            log(LogError, nullptr, "stream extraction error");
            return false;
        }
        if (bits) *bits += length;
        if (kind != eVNet_EventReplicator) {
            VNet_BitStream* payload = stream->getBitStream(length, true);
            auto* event = payload ? new NodeEvent : nullptr;
            if (!event) {
                destroyStream(payload);
                log(LogError, nullptr, "stream extraction error");
                return false;
            }
            event->connectionId = state->connectionId;
            event->stream = payload;
            event->mode = isOrdered ? eVNet_ReliableOrdered : eVNet_ReliableUnordered;
            event->remoteRole = state->remoteRole;
            event->order = order;
            event->kind = kind;
            event->estimatedSendTime = estimatedTime;
            deliverInOrder(event, state);
            continue;
        }
        VNet_Replicator* r = index < replicators_size ? replicators[index] : nullptr;
        // Without the handle the slot may be empty: the application's
        // replicator has left it.
        if (index >= replicators_size || (handle && (!r || !(r->getFlags() & VNET_REPLICATOR_ADVANCED)))) {
            log(LogError, index >= replicators_size ? "ere1" : "ere2", "stream extraction error");
            return false;
        }
        if (handle) {
            static_cast<VNet_ReplicatorAdvanced*>(r)->onDataReceived(state->connectionId, state->remoteRole, *stream,
                                                                     true, estimatedTime);
            if (readPosition(stream) != end)
                log(LogError, "ere3",
                    "VNet_Replicator advanced (id: %d) in class %d, localrole: %d, remoterole: %d produced an "
                    "asynchronous read",
                    int(index), int(classId), int(role), int(state->remoteRole));
        } else {
            log(LogNormal, "ere4", "skippits");
        }
        // Whatever the handler read, the next item starts where this one
        // ends.
        VNet_BitStream::BitPos at;
        at.pos = uint16_t(end / 8);
        at.bit = uint16_t(end % 8);
        stream->restoreReadState(at);
    }
    deliverPending(state);
    return intact && !stream->endOfStream();
}

// ---------------------------------------------------------------------------
// Delivery

void VNet_Node_Private::deliverInOrder(NodeEvent* event, NodeConnState* state)
{
    if (event->order == 255) {
        handOver(event, state);
        return;
    }
    if (event->order == state->nextOrderIn) {
        state->nextOrderIn = uint8_t((state->nextOrderIn + 1) & 15);
        handOver(event, state);
        return;
    }
    // Only numbers one to seven ahead can be unsettled on the sender; any
    // other number, or one held already, is a stale duplicate.
    const unsigned ahead = (event->order - state->nextOrderIn) & 15;
    bool held = false;
    for (auto* n = state->pending.first(); n && !held; n = n->next) held = n->payload->order == event->order;
    if (ahead == 0 || ahead > 7 || held) {
        freeEvent(event);
        return;
    }
    auto* n = state->pending.last();
    while (n && ((event->order - n->payload->order) & 15) > 7) n = n->prev;
    if (!(n ? state->pending.insertAfter(n, event) : state->pending.prepend(event))) freeEvent(event);
}

void VNet_Node_Private::deliverPending(NodeConnState* state)
{
    while (state->pending.first() && state->pending.first()->payload->order == state->nextOrderIn) {
        NodeEvent* event = state->pending.first()->payload;
        state->pending.remove(state->pending.first());
        state->nextOrderIn = uint8_t((state->nextOrderIn + 1) & 15);
        handOver(event, state);
    }
}

void VNet_Node_Private::handOver(NodeEvent* event, NodeConnState* state)
{
    bool keep = true;
    if (event->kind >= eVNet_EventFileIncoming && event->kind <= eVNet_EventFileComplete) {
        keep = takeFileEvent(event, state);
    } else if (eventInterceptor && handle) {
        const uint32_t id = event->connectionId;
        const eVNet_NodeRole remote = event->remoteRole;
        switch (event->kind) {
        case eVNet_EventUser: {
            VNet_BitStream empty(8);
            VNet_BitStream* stream = event->stream ? event->stream : &empty;
            VNet_BitStream::BitPos at;
            stream->saveReadState(at);
            keep = eventInterceptor->recUserEvent(handle, id, remote, stream, event->estimatedSendTime);
            stream->restoreReadState(at);
            break;
        }
        case eVNet_EventInit:
            keep = eventInterceptor->recInit(handle, id, remote);
            break;
        case eVNet_EventSyncRequest:
            keep = eventInterceptor->recSyncRequest(handle, id, remote);
            break;
        case eVNet_EventRemoved:
            keep = eventInterceptor->recRemoved(handle, id, remote);
            break;
        default:
            break;
        }
    }
    if (keep && !incomingEvents.append(event)) keep = false;
    if (!keep) freeEvent(event);
}

void VNet_Node_Private::postLocalEvent(eVNet_Event kind, uint32_t connectionId, eVNet_NodeRole remoteRole)
{
    auto* event = new NodeEvent;
    if (!event) {
        log(LogError, nullptr, "out of memory");
        return;
    }
    event->connectionId = connectionId;
    event->remoteRole = remoteRole;
    event->kind = kind;
    event->estimatedSendTime = Vornet::getTime();
    handOver(event, nullptr);
}

// ---------------------------------------------------------------------------
// Settling

void VNet_Node_Private::eventDelivered(uint32_t connectionId, uint32_t eventId, uint8_t order)
{
    if (!outgoingEvents || outgoingEvents->getState(eventId) != IdHandler<NodeEvent*>::Used) return;
    NodeEvent* event = outgoingEvents->get(eventId);
    if (event->kind == eVNet_EventReplicator && event->mode == eVNet_UnreliableNotify && handle &&
        event->replicator < replicators_size && replicators[event->replicator]) {
        event->stream->resetReadState();
        static_cast<VNet_ReplicatorAdvanced*>(replicators[event->replicator])
            ->onDataAcked(connectionId, event->userValue, event->stream);
    }
    releaseEventRef(eventId);
    NodeConnState* state = linkedState(connectionId);
    if (state && order != 255) state->ordersInFlight &= uint16_t(~(1u << order));
}

void VNet_Node_Private::eventLost(uint32_t connectionId, uint32_t eventId, uint8_t order)
{
    if (!outgoingEvents || outgoingEvents->getState(eventId) != IdHandler<NodeEvent*>::Used) return;
    NodeEvent* event = outgoingEvents->get(eventId);
    NodeConnState* state = linkedState(connectionId);
    if (event->mode == eVNet_UnreliableNotify || !state) {
        if (event->kind == eVNet_EventReplicator && handle && event->replicator < replicators_size &&
            replicators[event->replicator]) {
            event->stream->resetReadState();
            static_cast<VNet_ReplicatorAdvanced*>(replicators[event->replicator])
                ->onDataLost(connectionId, event->userValue, event->stream);
        }
        releaseEventRef(eventId);
        return;
    }
    requeueLost(state, eventId, order, event->mode);
}

void VNet_Node_Private::requeueLost(NodeConnState* state, uint32_t eventId, uint8_t order, int32_t mode)
{
    auto* ref = new NodeEventRef;
    if (!ref) {
        log(LogError, nullptr, "out of memory");
        releaseEventRef(eventId);
        return;
    }
    ref->eventId = eventId;
    ref->order = order;
    ref->resend = true;
    ref->mode = mode;
    // The reference moves from the packet to the queue entry.
    if (!ordered(mode)) {
        if (!state->outgoing.append(ref)) {
            delete ref;
            releaseEventRef(eventId);
        }
        return;
    }
    // Resent ordered events lead the queue, among themselves in order.
    auto* n = state->outgoing.first();
    while (n && n->payload->resend && ordered(n->payload->mode) && ((order - n->payload->order) & 15) > 0 &&
           ((order - n->payload->order) & 15) <= 7)
        n = n->next;
    if (!(n ? state->outgoing.insertBefore(n, ref) : state->outgoing.append(ref))) {
        delete ref;
        releaseEventRef(eventId);
    }
}

// ---------------------------------------------------------------------------
// The application's queue

bool VNet_Node_Private::checkEventWaiting()
{
    for (auto* n = deliveredEvents.first(); n; n = n->next) freeEvent(n->payload);
    deliveredEvents.clear();
    releaseFinishedTransfers();
    return incomingEvents.count() > 0;
}

VNet_BitStream* VNet_Node_Private::nextEvent(eVNet_Event* kind, eVNet_NodeRole* remoteRole, unsigned* connectionId,
                                             unsigned* time)
{
    auto* front = incomingEvents.first();
    if (!front) {
        if (kind) *kind = eVNet_EventNone;
        return nullptr;
    }
    NodeEvent* event = front->payload;
    incomingEvents.remove(front);
    if (!deliveredEvents.append(event)) {
        // Cannot keep it for the next check: it is dropped instead of
        // leaking.
        freeEvent(event);
        if (kind) *kind = eVNet_EventNone;
        return nullptr;
    }
    if (event->kind == eVNet_EventFileAborted || event->kind == eVNet_EventFileComplete) noteFinishedTransfer(event);
    if (kind) *kind = event->kind;
    if (remoteRole) *remoteRole = event->remoteRole;
    if (connectionId) *connectionId = event->connectionId;
    if (time) *time = event->estimatedSendTime;
    return event->stream;
}
