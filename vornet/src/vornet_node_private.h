#pragma once

#include <cstdint>

#include "vornet/vornet_node.h"
#include "vornet_array.h"
#include "vornet_bitarray.h"
#include "vornet_idhandler.h"
#include "vornet_list.h"
#include "vornet_memory.h"

class VNet_BitStream;
class VNet_Replicator;
class VNet_ReplicatorBasic;
class VNet_Control_Private;
struct VNet_FileTransInfo;

namespace Vornet_Private {

class FileTransfers;
class NodeFileTransfer;

// Node flags.
enum : uint16_t {
    NodePrivate = 0x0001,
    NodeMustSync = 0x0002,
    NodeHasDependencies = 0x0008,
    NodeSetupOpen = 0x0010,
    NodeHasAdvanced = 0x0020,
    NodeTimed = 0x0200,
    NodeUnregistering = 0x0400,
    NodeControlNode = 0x1000,
    NodeAutoSync = 0x2000,
    NodeNotifyInit = 0x4000,
    NodeNotifyRemoval = 0x8000
};

// Flags of a node's state on one connection.
enum : uint16_t {
    StateAnnounceDue = 0x0001,
    StateKnown = 0x0002,
    StateAnnounceWritten = 0x0004,
    StateHandled = 0x0008,
    StateSparseDirty = 0x0010,
    StateNormalDirty = 0x0020,
    StateDirty = 0x0030,
    StateWithdrawn = 0x0040,
    StateDeleteWritten = 0x0080,
    StateRemoveAfterDelete = 0x0100,
    // The remote role changed after the peer knew the node: an update must
    // carry the owner bool even when nothing else is due.
    StateRoleDue = 0x0200,
    StateSynced = 0x0400,
    StatePlaceholder = 0x0800,
    // An event waits for room: the walk over the queue stopped at one that
    // did not fit what was left of the packet.
    StateEventWaits = 0x1000,
    StateFirstUpdate = 0x4000,
    StateAnnouncedBefore = 0x8000
};

enum NodeRegistration : uint32_t { RegisterUnique = 0, RegisterByTag = 1, RegisterDynamic = 2 };

// An event of a node: outgoing ones are shared by the connection queues that
// refer to them, incoming ones wait for the application.
struct NodeEvent : HookAllocated {
    // Outgoing: entries that still refer to it.
    uint32_t references = 0;
    // Incoming: the connection it came from.
    uint32_t connectionId = 0;
    VNet_BitStream* stream = nullptr;
    int32_t mode = 0;
    eVNet_NodeRole remoteRole = eVNet_RoleUndefined;
    uint8_t order = 255;
    // Handed back to an advanced replicator for notify-mode data.
    uint32_t userValue = 0;
    uint16_t replicator = 0;
    eVNet_Event kind = eVNet_EventNone;
    uint32_t estimatedSendTime = 0;
    // Posted by this side (a notice, or the end of a transfer it sent or
    // aborted), not received from the peer.
    bool local = false;
};

// An entry of a connection's outgoing event queue.
struct NodeEventRef : HookAllocated {
    uint32_t eventId = 0;
    uint8_t order = 255;
    bool resend = false;
    int32_t mode = 0;
};

// A node's record of one linked connection.
struct NodeConnState : HookAllocated {
    ~NodeConnState();

    uint32_t connectionId = 0;
    BitArray dirty;
    // Per-replicator last send times; only with per-connection timing.
    ARRAY<uint32_t>* lastSend = nullptr;
    uint32_t lastUpdateTime = 0;
    float relevance = 1.0f;
    uint32_t accumulatedPriority = 0;
    void* userData = nullptr;
    eVNet_NodeRole remoteRole = eVNet_RoleUndefined;
    uint16_t flags = 0;
    // Replicator sets of the sent packets not yet settled, oldest first.
    LIST<BitArray*> inFlight;
    LIST<NodeEventRef*> outgoing;
    // Received ordered events waiting for their turn.
    LIST<NodeEvent*> pending;
    // Replicators that stayed due because their data did not fit what was
    // left of a packet (made when the first one does), and how many.
    BitArray* roomWait = nullptr;
    uint16_t roomWaiting = 0;
    uint8_t nextOrderOut = 0;
    uint8_t nextOrderIn = 0;
    uint16_t ordersInFlight = 0;
    // The files moving over this connection (created on first use).
    FileTransfers* files = nullptr;

    bool isLive() const { return !(flags & (StateWithdrawn | StateDeleteWritten | StateRemoveAfterDelete)); }
    bool peerKnows() const { return (flags & (StateKnown | StateAnnounceWritten)) != 0; }
    // Something of the node was kept back for lack of room: the node's
    // last update time stands, so that it rises until it leads a packet,
    // where what waited goes first.
    bool waitsForRoom() const { return roomWaiting || (flags & StateEventWaits); }
    bool waitedForRoom(uint16_t index) const { return roomWaiting && roomWait->get(index); }
    void keepForRoom(uint16_t index)
    {
        if (!roomWait) roomWait = new BitArray;
        if (!roomWait || roomWait->get(index)) return;
        roomWait->set(index);
        ++roomWaiting;
    }
    void stopWaiting(uint16_t index)
    {
        if (!waitedForRoom(index)) return;
        roomWait->reset(index);
        --roomWaiting;
    }
    void forgetReplicatorWaits()
    {
        if (roomWaiting) roomWait->clear();
        roomWaiting = 0;
    }
    void forgetRoomWaits()
    {
        forgetReplicatorWaits();
        flags &= ~StateEventWaits;
    }
    // Whether a new ordered event would go out now: nothing waits in the
    // queue and fewer than eight ordered events are unsettled.
    bool orderedWindowOpen() const
    {
        return !outgoing.count() && !(ordersInFlight & (1u << ((nextOrderOut + 8) & 15)));
    }
};

// A transfer whose last event the application took; released with the
// delivered events. Named, not pointed to: unlinking the connection may
// have freed it meanwhile.
struct FinishedTransfer {
    uint32_t connectionId;
    uint32_t transferId;
};

// A replicator the application owns, and what takes its place in the
// node's table once the handle is gone (null for an advanced one).
struct ForeignReplicator {
    VNet_Replicator* replicator;
    VNet_ReplicatorBasic* skipper;
};

// Whether a stream of that size fits one packet to the connection beside
// the framing of its node entry.
bool eventFitsPacket(VNet_Control_Private* control, uint32_t connectionId, const VNet_BitStream* stream);

// What a node-data packet carried for the nodes, kept until the packet is
// settled.
struct NodeRecords : HookAllocated {
    struct Data : HookAllocated {
        uint32_t localId;
        BitArray set;
    };
    struct Event : HookAllocated {
        uint32_t localId;
        uint32_t eventId;
        uint8_t order;
    };
    ~NodeRecords() { clear(); }
    // Frees what the lists name and empties them.
    void clear();
    bool empty() const
    {
        return !data.count() && !events.count() && !announced.count() && !deleted.count() && !roles.count();
    }

    LIST<Data*> data;
    LIST<Event*> events;
    LIST<uint32_t> announced;
    LIST<uint32_t> deleted;
    // Nodes whose update told the peer its changed role.
    LIST<uint32_t> roles;
};

// Where one node's entry in a node-data packet has to end.
struct EntryRoom {
    // Nothing is written past this bit of the stream: the datagram, less
    // what closes the entry and the section.
    unsigned limitBits = 0;
    // Events stop at this bit of the stream: the connection's bytes per
    // packet.
    unsigned budgetBits = 0;
    // Nothing comes before the entry in the packet but the section's own
    // start, and the entry announces nothing: what does not fit it now
    // fits no packet.
    bool lone = false;
    // The entry is the packet's first update (deletions may come before
    // it): what its node kept back for room goes first, and an event that
    // waited may cross the budget.
    bool leads = false;
};

}  // namespace Vornet_Private

// The stream's read position in bits.
unsigned readPosition(const VNet_BitStream* stream);

// Everything a node holds. Its tables are created on first use, so a node
// that is never registered costs this one block and nothing else.
class VNet_Node_Private : public Vornet_Private::HookAllocated {
public:
    using NodeConnState = Vornet_Private::NodeConnState;
    using NodeEvent = Vornet_Private::NodeEvent;

    explicit VNet_Node_Private(VNet_Node* handle);
    ~VNet_Node_Private();
    VNet_Node_Private(const VNet_Node_Private&) = delete;
    VNet_Node_Private& operator=(const VNet_Node_Private&) = delete;

    static VNet_Node_Private* of(const VNet_Node* node) { return node->m_priv; }

    bool isRegistered() const { return control != nullptr; }
    bool isAuthorityOrUndefined() const { return role == eVNet_RoleAuthority || role == eVNet_RoleUndefined; }
    void log(int level, const char* context, const char* format, ...) __attribute__((format(printf, 4, 5)));

    // ---- vornet_node.cpp: registration
    bool registerAs(uint32_t kind, uint32_t classId, uint32_t tag, eVNet_NodeRole role, VNet_Control* control);
    // Unlinks every connection; the control deletes the block once none
    // is left.
    void unregister();

    // ---- vornet_node_connections.cpp
    // The linked (not placeholder) state of the connection, or null.
    NodeConnState* linkedState(uint32_t connectionId) const;
    // Any state of the connection, placeholders included.
    NodeConnState* anyState(uint32_t connectionId) const;
    bool addConnection(uint32_t connectionId);
    bool removeConnection(uint32_t connectionId, bool force);
    void setOwner(uint32_t connectionId, bool owner);
    void setPrivate(bool on);
    void setRelevance(uint32_t connectionId, float relevance);
    void withdraw(NodeConnState* state);
    void reannounce(NodeConnState* state);
    void applyForLevel(uint8_t level);
    void removeFromLevel(uint8_t level);
    bool hasLevel(uint8_t level) const;
    void setMustSync(bool must, uint16_t order);
    void setSyncResult(uint32_t connectionId, bool success, VNet_BitStream* reason);
    // The control asks the node to sync with a connection.
    void requestSync(uint32_t connectionId);
    // Each linked state in id order; placeholders passed by.
    template <typename F>
    void forEachLinked(F&& visit) const
    {
        if (!connectionStates) return;
        uint32_t it = 0;
        for (NodeConnState* s = connectionStates->first(it); it < connectionStates->getSlotCount();
             s = connectionStates->next(it)) {
            if (s && !(s->flags & Vornet_Private::StatePlaceholder)) visit(s);
        }
    }

    // ---- vornet_node_replication.cpp
    bool beginSetup(uint16_t expected);
    bool endSetup();
    void addOwnedReplicator(VNet_Replicator* replicator, const char* context);
    void addReplicator(VNet_Replicator* replicator, bool owns);
    void clearReplicators();
    // The replicators of the application's leave the table, the basic ones
    // for their skippers: once the handle is gone nothing reads or writes
    // them again.
    void forgetForeignReplicators(bool basic);
    bool isForeign(const VNet_Replicator* replicator) const;
    // The per-frame step: change test of every basic replicator.
    void checkChanges();
    bool replicationRule(const VNet_Replicator* replicator, eVNet_NodeRole remoteRole) const;
    // Writes the replicator section; true when something was packed. A
    // replicator whose data would pass the room's limit stays due for a
    // later packet; one that would pass it even in a lone entry is refused.
    bool packReplicators(NodeConnState* state, VNet_BitStream* stream, const Vornet_Private::EntryRoom& room,
                         Vornet_Private::BitArray& sent, unsigned* bits);
    // A replicator whose data fits no packet: no longer due on the
    // connection until its value changes again, and said in the log.
    void refuseOversized(NodeConnState* state, uint16_t index);
    // False when reading must stop: the section ended early, or it holds
    // data that nothing here can pass by, whose replicator index is then
    // set in unreadable.
    bool unpackReplicators(NodeConnState* state, VNet_BitStream* stream, bool store, unsigned* bits,
                           uint32_t estimatedTime, int32_t* unreadable = nullptr);
    // The class of the replicator at the index, for messages: the
    // application's class of one that cannot be passed by.
    const char* replicatorClass(uint16_t index) const;
    void replicatorsDelivered(uint32_t connectionId);
    void replicatorsLost(uint32_t connectionId, const Vornet_Private::BitArray& set);
    // Takes back what packReplicators just packed, for a packet it did not
    // fit: the set is due again.
    void replicatorsUnsent(uint32_t connectionId, const Vornet_Private::BitArray& set);
    void markFirstUpdate(NodeConnState* state);
    void processReplicators(unsigned elapsed);
    unsigned* lastSendTime(uint32_t connectionId, uint16_t index);
    // Whether this node, directly or through others, depends on the node.
    bool dependsOnTransitively(const VNet_Node_Private* node) const;
    bool addDependency(VNet_Node_Private* other);
    void removeDependency(VNet_Node_Private* other);
    bool recomputePriorities(uint32_t connectionId, uint32_t value);
    void recomputeAllPriorities();
    // Whether every node this one depends on is known on the connection.
    bool dependenciesKnown(uint32_t connectionId) const;
    uint32_t priority(const NodeConnState* state, uint32_t now, bool withoutBase) const;

    // ---- vornet_node_events.cpp
    bool sendEvent(int32_t mode, uint8_t roleMask, VNet_BitStream* stream);
    bool sendEventDirect(int32_t mode, VNet_BitStream* stream, uint32_t connectionId);
    bool sendEventToGroup(int32_t mode, VNet_BitStream* stream, uint32_t group);
    void sendReplicatorData(VNet_BitStream* stream, uint16_t index, uint8_t rules, uint32_t connectionId,
                            int32_t mode, uint32_t value);
    bool hasEventFor(const NodeConnState* state) const;
    // Writes the event items due on the connection while they keep within
    // the room's budget; the first one goes past it in a lone entry.
    bool writeEvents(NodeConnState* state, VNet_BitStream* stream, const Vornet_Private::EntryRoom& room,
                     Vornet_Private::NodeRecords* records, unsigned* bits);
    bool readEvents(NodeConnState* state, VNet_BitStream* stream, uint32_t estimatedTime, unsigned* bits);
    void eventDelivered(uint32_t connectionId, uint32_t eventId, uint8_t order);
    void eventLost(uint32_t connectionId, uint32_t eventId, uint8_t order);
    void postLocalEvent(eVNet_Event kind, uint32_t connectionId, eVNet_NodeRole remoteRole);
    bool checkEventWaiting();
    VNet_BitStream* nextEvent(eVNet_Event* kind, eVNet_NodeRole* role, unsigned* connectionId, unsigned* time);
    void releaseEventRef(uint32_t eventId);
    void freeQueuedEvents(NodeConnState* state);

    // ---- vornet_node_files.cpp
    uint32_t sendFile(const char* path, const char* name, uint32_t connectionId, VNet_BitStream* userData,
                      float share);
    void acceptFile(uint32_t connectionId, uint32_t transferId, const char* path, bool accept);
    const VNet_FileTransInfo& fileInfo(uint32_t connectionId, uint32_t transferId);
    // Queues a file message for the peer, in order; takes the stream.
    bool queueFileMessage(NodeConnState* state, eVNet_Event kind, VNet_BitStream* stream);
    // The streaming step of writing a node's events: queues the next chunk
    // of the running transfer, sized to the room left in the packet, or its
    // end. True when something was queued.
    bool queueFileChunk(NodeConnState* state, const VNet_BitStream* packet, unsigned limitBits);
    bool hasFileChunkFor(const NodeConnState* state) const;
    // A file message handed over: acts on it; true when the application is
    // to see it.
    bool takeFileEvent(NodeEvent* event, NodeConnState* state);
    // The application took the last event of the transfer.
    void noteFinishedTransfer(const NodeEvent* event);
    void releaseFinishedTransfers();

    // Per-connection states keyed by connection id (created on first link).
    Vornet_Private::IdHandler<NodeConnState*>* connectionStates = nullptr;
    // Outgoing events keyed by event id (created on first event).
    Vornet_Private::IdHandler<NodeEvent*>* outgoingEvents = nullptr;
    Vornet_Private::LIST<NodeEvent*> incomingEvents;
    Vornet_Private::LIST<NodeEvent*> deliveredEvents;
    Vornet_Private::LIST<Vornet_Private::FinishedTransfer> finishedTransfers;
    Vornet_Private::LIST<VNet_Node_Private*> dependants;
    Vornet_Private::LIST<VNet_Node_Private*> dependencies;
    VNet_Node* handle;
    uint32_t localId = 0;
    uint32_t networkId = 0;
    uint32_t registrationKind = 0;
    uint32_t tag = 0;
    uint32_t classId = 0;
    uint8_t interceptId = 0;
    float defaultRelevance = 1.0f;
    uint16_t flags = 0;
    int16_t updatePriority = 1;
    uint16_t syncOrder = 0;
    eVNet_NodeRole role = eVNet_RoleUndefined;
    Vornet_Private::LIST<uint8_t> vornLevels;
    VNet_Replicator** replicators = nullptr;
    uint16_t replicators_size = 0;
    uint16_t replicatorCount = 0;
    uint16_t replicator_normal_count = 0;
    // Told apart by address alone: the application may have deleted them.
    Vornet_Private::LIST<Vornet_Private::ForeignReplicator> foreignReplicators;
    VNet_Control_Private* control = nullptr;
    void* controlListItem = nullptr;
    uint32_t lastUpdateReceived = 0;
    VNet_NodeEventInterceptor* eventInterceptor = nullptr;
    VNet_NodeReplicationInterceptor* replicationInterceptor = nullptr;
    void* userData = nullptr;
    VNet_BitStream* announceData = nullptr;
    // The bits of announce data that the request handler read when the
    // peer's announcement made this node; -1 while none did. Announce data
    // travels without its length, so only this lets a later announcement
    // of the same node pass its data by.
    int32_t announceBitsRead = -1;

private:
    Vornet_Private::FileTransfers* transfersOf(NodeConnState* state);
    Vornet_Private::NodeFileTransfer* findTransfer(const NodeConnState* state, uint32_t transferId) const;
    unsigned chunkRoom(const NodeConnState* state, const VNet_BitStream* packet, unsigned limitBits) const;
    void offerFile(NodeConnState* state, Vornet_Private::NodeFileTransfer* transfer);
    void offerNextFile(NodeConnState* state);
    void endSentFile(NodeConnState* state, Vornet_Private::NodeFileTransfer* transfer);
    void abortTransfer(NodeConnState* state, Vornet_Private::NodeFileTransfer* transfer);
    void postLocalFileEvent(NodeConnState* state, eVNet_Event kind, VNet_BitStream* stream);
    bool takeOffer(NodeEvent* event, NodeConnState* state);
    bool takeChunk(NodeEvent* event, NodeConnState* state);
    bool takeAnswer(NodeEvent* event, NodeConnState* state);
    bool takeEnd(NodeEvent* event, NodeConnState* state);
    bool fileEventKept(NodeEvent* event, uint32_t transferId);
    bool reportFileEnd(NodeEvent* event, uint32_t transferId);
    bool writeQueuedEvents(NodeConnState* state, VNet_BitStream* stream, Vornet_Private::EntryRoom& room,
                           Vornet_Private::NodeRecords* records, unsigned* bits);
    void destroyState(uint32_t connectionId);
    void handOver(NodeEvent* event, NodeConnState* state);
    void deliverInOrder(NodeEvent* event, NodeConnState* state);
    void deliverPending(NodeConnState* state);
    NodeEvent* newOutgoingEvent(eVNet_Event kind, int32_t mode, VNet_BitStream* stream, uint32_t* id);
    bool queueEvent(NodeConnState* state, uint32_t eventId, int32_t mode);
    // A new event for the stream, queued for the one connection; false, the
    // stream freed, when memory runs out.
    bool queueEventFor(NodeConnState* state, eVNet_Event kind, int32_t mode, VNet_BitStream* stream);
    void requeueLost(NodeConnState* state, uint32_t eventId, uint8_t order, int32_t mode);
    void writeEventItem(const NodeEvent* event, int32_t mode, uint8_t order, VNet_BitStream* stream);
    void insertReplicator(VNet_Replicator* replicator, bool sparse);
    void markDirty(uint16_t index);
    void markDirty(NodeConnState* state, uint16_t index);
    void freeEvent(NodeEvent* event);
};
