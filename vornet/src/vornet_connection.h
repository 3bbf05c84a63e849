#pragma once

#include <cstdint>

#include "vornet/vornet_address.h"
#include "vornet/vornet_bitstream.h"
#include "vornet/vornet_control.h"
#include "vornet_array.h"
#include "vornet_idhandler.h"
#include "vornet_list.h"
#include "vornet_memory.h"
#include "vornet_spare_list.h"

class VNet_Control_Private;
class VNet_Node;
class VNet_Node_Private;
class VNet_Packet;
class VNet_Socket;

namespace Vornet_Private {

struct NodeConnState;
struct NodeRecords;
struct EntryRoom;

// Frees a stream the library owns (its lock bit cleared first).
void destroyStream(VNet_BitStream* stream);

// Fixes where the loss simulation's runs start, for the connections made
// from now on, so that a run can be repeated; 0 draws a new base from the
// system, as at start.
void seedLossSimulation(uint32_t base);

// A pair of rates, sent on the wire as two unsigned 16-bit fields.
struct RateLimit {
    int16_t packetsPerSecond = 15;
    int16_t bytesPerPacket = 200;
};

enum ConnectionState : int32_t {
    StateNew = 0,
    StateDead = 1,
    StateRequestReceived = 2,
    StateDenySent = 3,
    StateResolving = 4,
    StateHandshake = 5,
    StateConnected = 6,
    StateDisconnectPending = 7,
    StateDisconnectSent = 8,
    StateClosing = 9
};

enum PacketKind : int32_t {
    KindRawData = 0,
    KindNodeData = 1,
    KindConnectRequest = 2,
    KindDisconnect = 3,
    KindWrongVersion = 4,
    KindLevelRequest = 5,
    KindLevelResult = 6,
    KindRateRequest = 7,
    KindAccept = 8,
    KindDeny = 9,
    KindAppData = 10,
    KindAckOnly = 11
};

enum PacketMode : int32_t { ModeSequenced = 1, ModeRaw = 2 };

// Events the connection reports to its control, which maps them to the
// application's callbacks.
enum ConnectionEvent : int32_t {
    EventClosed = 0,
    EventTimedOut = 1,
    EventReset = 2,
    EventConnectTimedOut = 3,
    EventUnresolved = 4,
    EventDenied = 5,
    EventAccepted = 6,
    EventEstablished = 7,
    EventApplicationData = 8,
    EventWrongVersion = 9
};

// What a sent sequenced packet carried, kept under its sequence number until
// the peer's acknowledgements settle it.
struct HistoryRecord : HookAllocated {
    // The stream a lost packet must carry again (request, reply, reason,
    // level result, ordered data).
    VNet_BitStream* keptStream = nullptr;
    // Order number of ordered data, or the level of a level request.
    uint8_t orderOrLevel = 0;
    // The whole transmitted stream, for the time-out resend.
    VNet_BitStream* savedCopy = nullptr;
    // 0: free.
    int32_t kind = 0;
    uint32_t sendTime = 0;
    // The sequence number the record stands under.
    uint8_t number = 0;
    // What a node-data packet carried for the nodes; settling frees it.
    NodeRecords* nodes = nullptr;
};

// Outgoing application data waiting for a send opportunity.
struct DataItem : HookAllocated {
    VNet_BitStream* stream = nullptr;
    int32_t mode = 0;
    // -1 until an order number is assigned.
    int8_t order = -1;
    bool resent = false;
};

// Received ordered data waiting for its turn.
struct HeldItem : HookAllocated {
    VNet_BitStream* stream = nullptr;
    int8_t order = 0;
};

// One ack section as it came in: the first number and eight received flags.
struct AckSection {
    uint8_t first = 0;
    uint8_t received = 0;  // bit i: number first + i
    uint8_t last() const { return static_cast<uint8_t>((first + 7) & 15); }
};

// The library's link to one peer of one control: handshake, states,
// time-outs, sequenced packets with acknowledgements and resend, ordered
// application data, vornlevels and statistics.
class VNet_Connection : public HookAllocated {
public:
    static constexpr int kSequenceCount = 16;
    static constexpr int kWindow = 8;
    static constexpr uint16_t kProtocolVersion = 3;
    static constexpr uint8_t kNoLevel = 255;
    static constexpr uint8_t kMaxLevel = 127;
    // The round trip taken for the path before any is measured.
    static constexpr uint32_t kFirstTripGuessMs = 200;

    explicit VNet_Connection(VNet_Control_Private* control);
    ~VNet_Connection();
    VNet_Connection(const VNet_Connection&) = delete;
    VNet_Connection& operator=(const VNet_Connection&) = delete;

    // ---- Handshake and lifecycle (vornet_connection.cpp)
    void setPeer(const VNet_Address& address);
    bool connect(VNet_BitStream* request);
    bool handleRequest(VNet_Packet* packet);
    // The output step; false after a time-out or a failed resolution.
    bool tick();
    void disconnect(VNet_BitStream* reason, bool announce);
    // Answers a request parsed by handleRequest: the reply stream goes with
    // an Accept or a Deny and is resent with it.
    void answerRequest(bool accepted, VNet_BitStream* reply);
    // Sends the Disconnect of a pending disconnect at once, outside the
    // output step, when the control goes down.
    void sendFarewell();
    void setDownstreamLimit(uint16_t packetsPerSecond, uint16_t bytesPerPacket);
    void log(int level, const char* format, ...) __attribute__((format(printf, 3, 4)));

    // ---- Packets (vornet_connection_packets.cpp)
    bool handlePacket(VNet_Packet* packet, bool fromUnknownSource);

    // ---- Application data and levels (vornet_connection_data.cpp)
    bool queueData(VNet_BitStream* stream, int32_t mode);
    bool forceLevel(uint8_t level);
    bool sendLevelRequest(uint8_t level);
    void syncResult(bool success, VNet_BitStream* stream);
    // Registers the connection's control node, tagged with its id.
    void registerControlNode(eVNet_NodeRole role);

    // ---- Fields the control reads and writes
    uint32_t getId() const { return m_id; }
    void setId(uint32_t id) { m_id = id; }
    const VNet_Address& getPeer() const { return m_peer; }
    ConnectionState getState() const { return m_state; }
    bool isOpener() const { return m_isOpener; }
    int8_t getLevel() const { return m_level; }
    void setLevel(int8_t level) { m_level = level; }
    uint8_t getRequestedLevel() const { return m_requestedLevel; }
    VNet_ConnStats& stats() { return m_stats; }
    RateLimit& sendRate() { return m_sendRate; }
    const RateLimit& peerRequestedRate() const { return m_peerRequestedRate; }
    void setSimulatedLag(uint32_t ms) { m_simulatedLag = ms; }
    void setSimulatedLoss(float probability) { m_simulatedLoss = probability; }
    void* userData() const { return m_userData; }
    void setUserData(void* data) { m_userData = data; }
    // The node of the control's connection list that holds this connection.
    void* listItem = nullptr;

    // The largest stream one packet to this peer can carry after its
    // framing, in bits.
    unsigned payloadLimitBits() const;
    unsigned packetBudget() const;

private:
    // vornet_connection.cpp
    bool sendRequest(bool resend);
    bool parseRequestBody(VNet_BitStream& stream);
    // Takes the rates the peer asks for, bounded.
    void setPeerRates(uint32_t packetsPerSecond, uint32_t bytesPerPacket);
    void sendWrongVersion();
    void checkResolution(uint32_t now, bool* alive);
    bool checkTimeout(uint32_t now);
    bool checkStalledData(uint32_t now);
    void useSendOpportunity();
    void rollStatistics(uint32_t now);
    void releaseDelayed(uint32_t now);
    bool isDuplicateRequest(const VNet_BitStream& stream) const;
    bool answeringRequest() const;
    void resetBySecondRequest();
    bool sendDisconnectPacket();
    void handleAccept(VNet_BitStream* stream);
    void handleDeny(VNet_BitStream* stream);
    void handleWrongVersion();
    void handleDisconnect(VNet_BitStream* stream);
    void notify(int32_t event, VNet_BitStream* stream = nullptr);
    void setState(ConnectionState state) { m_state = state; }
    bool hasSendOpportunity(uint32_t now);

    // vornet_connection_packets.cpp
    VNet_Packet* newPacket(int32_t kind, int32_t mode);
    void writeSequence(VNet_BitStream* stream);
    void writeAcks(VNet_BitStream* stream);
    bool readAckSection(VNet_BitStream* stream, AckSection* section) const;
    bool sectionCanBeNewest(const AckSection& section) const;
    bool takeAckSection(const AckSection& section, bool numbered, uint32_t receiveTime, uint32_t* sendTime);
    int ackSpan() const;
    uint32_t applyAcks(const AckSection& section, uint32_t receiveTime);
    void ackPacket(bool delivered, int n, uint32_t now);
    // vornet_connection_losses.cpp: ordered data reported missing
    bool takeMissingReport(int n, int newest);
    // Settles the ordered data of a packet settled as lost.
    void settleLostData(int n, uint8_t order, VNet_BitStream* stream);
    void settleOverdueLosses(uint32_t now);
    void noteReceived(int n, uint32_t now);
    void confirmLoss(int n);
    void dropDoubtfulLosses();
    void resolvePacket(bool delivered, int n, bool resendAllowed, uint32_t now);
    void settleKind(HistoryRecord* record, bool delivered, bool resendAllowed, uint32_t now);
    bool transmit(VNet_Packet* packet, HistoryRecord* record);
    bool simulateLoss();
    void flushOutgoing();
    void numberDeferred(VNet_Packet* packet);
    void checkResend(uint32_t now);
    void resendOldest(uint32_t now);
    void queueAckOnly();
    void acknowledgeWhileBlocked();
    bool isNewNumber(int s) const;
    void skipTo(int s);
    bool takeLateData(int s, VNet_BitStream* stream);
    // vornet_connection_trips.cpp: round trips and the longest one
    void measureRoundTrip(uint32_t receiveTime, uint32_t sendTime);
    void followAcknowledged(const AckSection& section, uint32_t receiveTime);
    uint32_t tripStart(int n) const;
    void followTrip(uint32_t now, uint32_t trip, bool resent);
    void peerTookRate();
    uint32_t longestTrip() const;
    uint32_t reuseWait() const;
    // The longest trip measured lately, and half their spread beyond it.
    uint32_t longestTripBound() const;
    uint32_t doubtfulCopiesWait() const;
    uint32_t shortestTrip() const;
    bool isLateCopy(const AckSection& section, uint32_t now);
    template <class Test>
    bool reportsOutstanding(const AckSection& section, Test test) const;
    bool reportsSentSince(const AckSection& section, uint32_t since) const;
    // False when the packet's content was refused whole: it is reported
    // missing, so that the peer sends it again.
    bool dispatch(int32_t kind, VNet_Packet* packet);
    int32_t readKind(VNet_BitStream* stream) const;
    static void writeKind(VNet_BitStream* stream, int32_t kind);
    HistoryRecord* takeSpareRecord();
    void recycleRecord(HistoryRecord* record);
    bool windowFull() const;
    uint32_t resendTimeout() const;
    bool spanFull() const;
    void releaseRecord(HistoryRecord* record);
    VNet_BitStream* copyForResend(VNet_BitStream& stream);
    void dropSavedCopy(HistoryRecord* record);
    void dropPacket(VNet_Packet* packet);
    void countSent(unsigned bytes, uint32_t now);
    void countLost();

    // vornet_connection_data.cpp
    bool sendQueuedData();
    bool sendDataItem(DataItem* item);
    void recycleDataItem(DataItem* item);
    bool orderFree(int order) const;
    void orderDelivered(uint8_t order, uint32_t now);
    // The data of a packet settled as lost, which last went out at the
    // given time, goes again under its order number.
    void requeueLostData(uint8_t order, VNet_BitStream* stream, uint32_t lostSentAt);
    // Whether the data was delivered or is held for its turn.
    bool receiveOrderedData(VNet_BitStream* stream);
    bool holdOrderedData(VNet_BitStream* stream, int8_t order);
    void deliverHeldData();
    void sendRateRequest();
    void handleRateRequest(VNet_BitStream* stream);
    void handleLevelRequest(VNet_BitStream* stream);
    void handleLevelResult(VNet_BitStream* stream);
    void resendLevelRequest(uint8_t level);
    void resendLevelResult(VNet_BitStream* body);
    bool sendLevelResult(uint8_t level, uint8_t result, VNet_BitStream* stream);
    void syncNextGroup();
    void levelReached();
    void dropForeignNodes(int8_t level);

    // vornet_connection_nodes.cpp: the node section
    struct Candidate {
        VNet_Node_Private* node;
        NodeConnState* state;
        uint32_t priority;
        // Something of the node waits for room: it goes before the rest.
        bool waits;
    };
    void createControlNode();
    void destroyControlNode();
    void writeNodes(HistoryRecord* record, VNet_BitStream* stream);
    uint32_t wireId(const VNet_Node_Private* node) const;
    uint32_t collectNodes(uint32_t now, int32_t* updates, int32_t* deletions);
    void writeDeletions(int32_t count, VNet_BitStream* stream, unsigned width, unsigned limit, NodeRecords* records);
    bool writeUpdate(const Candidate& candidate, VNet_BitStream* stream, unsigned width, const EntryRoom& room,
                     NodeRecords* records);
    bool writeAnnouncement(VNet_Node_Private* node, NodeConnState* state, VNet_BitStream* stream, unsigned width);
    // False when the section was refused whole (unreadableData).
    bool readNodes(VNet_BitStream* stream, uint32_t receiveTime);
    // Replicator data and events of one entry; false ends the section.
    bool readUpdateBody(VNet_Node_Private* node, NodeConnState* state, VNet_BitStream* stream, uint32_t estimated);
    bool malformedEntry(const VNet_Node_Private* node);
    // Data for a node whose handle is gone that nothing can pass by: the
    // entries after it cannot be found. Unless part of the section has been
    // taken already, the packet is refused whole; else the connection ends.
    void unreadableData(const VNet_Node_Private* node, uint16_t index);
    bool readDeletion(VNet_BitStream* stream, unsigned width);
    VNet_Node_Private* readAnnouncement(VNet_BitStream* stream, unsigned width);
    VNet_Node_Private* findAnnounced(uint32_t kind, uint32_t classId, uint32_t tag, uint32_t networkId, bool owner,
                                     VNet_BitStream* stream);
    // A by-tag node that exists here, announced again with announce data:
    // the node once the data is passed by, null when it cannot be.
    VNet_Node_Private* passAnnounceData(VNet_Node_Private* node, const char* name, uint32_t tag,
                                        VNet_BitStream* stream);
    void disconnectFromReader();
    void settleNodeData(HistoryRecord* record, bool delivered);
    void recycleNodeRecords(NodeRecords* records);
    bool sendNodeData();
    // The class exchange over the control node.
    void handleControlNodeEvents();
    void sendClassTable();
    void readClassEntry(VNet_BitStream* stream);
    void readClassAnswer(VNet_BitStream* stream);
    bool sendControlEvent(VNet_BitStream* stream);

    struct SendEntry {
        bool outstanding;
        // -1: none; 0 lost, 1 delivered: an outcome that arrived before the
        // outcome of an older number.
        int8_t buffered;
        // Settling a buffered loss must not resend a connection request
        // (the route to the peer failed).
        bool noResend;
    };

    // Rates
    uint16_t m_bytesPerSecond = 0;
    RateLimit m_sendRate;
    RateLimit m_peerRequestedRate;
    RateLimit m_ownRequestedRate;
    bool m_rateRequestSent = false;
    uint16_t m_sendCredit = 0;
    // Sequenced packets
    ARRAY<HistoryRecord*> m_history;
    // Kept history records: one for each deferred packet and a few more.
    SpareList<HistoryRecord> m_spareRecords{6};
    bool m_received[kSequenceCount];
    SendEntry m_sendWindow[kSequenceCount];
    // Application data
    LIST<DataItem*> m_dataQueue;
    SpareList<DataItem> m_spareItems{kWindow};
    // The records of the packets in flight, kept for the next ones.
    SpareList<NodeRecords> m_spareNodeRecords{kWindow};
    LIST<HeldItem*> m_holdList;
    int8_t m_nextOrderOut = 0;
    int8_t m_nextOrderIn = 0;
    // When ordered data last moved on: delivered here, or ours settled as
    // delivered; or when none waited (checkStalledData).
    uint32_t m_orderedProgressAt = 0;
    uint16_t m_ordersInFlight = 0;
    // For each order number, when a packet that carried it and was settled
    // as lost last went out; 0 when none has since the number was given.
    uint32_t m_lostCarrierSentAt[kSequenceCount] = {};
    uint32_t m_lastTickTime = 0;
    uint8_t m_classIdWidth = 0;
    VNet_Address m_peer;
    VNet_Control_Private* m_control;
    VNet_Socket* m_socket = nullptr;
    uint32_t m_id = 0;
    IdMap* m_classIdMap = nullptr;
    IdMap* m_nodeIdMap = nullptr;
    VNet_Node* m_controlNode = nullptr;
    // Scratch lists of the node section: update candidates, due deletions.
    ARRAY<Candidate> m_candidates;
    ARRAY<Candidate> m_deletions;
    // While a node section is read: whether something has been taken from
    // it that reading it again would take twice (an announcement, an event,
    // a deletion on the acceptor), and whether it is refused whole.
    bool m_sectionTaken = false;
    bool m_sectionRefused = false;
    bool m_destroying = false;
    int8_t m_nextOut = 0;
    int8_t m_current = -1;
    int8_t m_lastReceived = -1;
    int8_t m_oldest = -1;
    // The number the peer's newest numbered packet named as the last it had
    // received from us; 15 (one before 0) while it has named none.
    int8_t m_peerAckLast = 15;
    uint32_t m_sendTimes[kSequenceCount] = {};
    uint32_t m_receiveTimes[kSequenceCount] = {};
    // When the packet under each number last went out, first sending or
    // resend; 0 before the number was first used.
    uint32_t m_lastSentAt[kSequenceCount] = {};
    // When the packet under each number first went out; resends keep it.
    uint32_t m_firstSentAt[kSequenceCount] = {};
    // When a section last answered a packet of ours sent only once.
    uint32_t m_sentOnceAnsweredAt = 0;
    // Whether the packet under each number was reported missing or sent
    // again (doubtfulCopiesWait).
    bool m_doubtfulCopies[kSequenceCount] = {};
    // For each number the peer reported missing and we took for lost: how
    // much later than its last sending the newest packet the peer had taken
    // was first sent; -1 for none since the number was last given.
    int32_t m_lostAhead[kSequenceCount] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    // How much later than ordered data reported missing the newest packet
    // the peer had taken must have gone out for the data to be lost at once
    // (takeMissingReport); 0 while no packet of ours has been seen
    // overtaken.
    uint32_t m_reorderWindow = 0;
    // The ordered data of a packet settled as lost that may only have been
    // overtaken, kept under its number until the peer reports it received
    // or its time runs out (vornet_connection_losses.cpp).
    struct DoubtfulLoss {
        // When the loss stands unless reported received first; 0 for none.
        uint32_t dueAt = 0;
        VNet_BitStream* stream = nullptr;
        uint8_t order = 0;
        uint32_t sentAt = 0;
    };
    DoubtfulLoss m_doubtfulLosses[kSequenceCount];
    // When the packet under each number was settled; 0 before the first.
    uint32_t m_settledAt[kSequenceCount] = {};
    // The longest round trip of this span of time and of the span before, in
    // milliseconds (longestTrip); the resend time-out until the first trip
    // is measured (see windowFull).
    uint32_t m_longestTripIn[2] = {kFirstTripGuessMs, kFirstTripGuessMs};
    uint32_t m_tripSpanStart = 0;
    // The shortest round trip of the same spans (reuseWait).
    uint32_t m_shortestTripIn[2] = {UINT32_MAX, UINT32_MAX};
    // False while the next trip replaces what is remembered.
    bool m_tripMeasured = false;
    // The sections that gave trips since then, up to the count that is
    // trusted (reuseWait); that count once a span of time has passed.
    uint8_t m_sectionsMeasured = 0;
    // A numbered packet of the peer has come since our last section.
    bool m_ackOwed = false;
    // Whether a section has named the peer's newest packet, and when the
    // first did (the hold reported on packet 8).
    bool m_newestUnanswered = false;
    uint32_t m_answeredAt = 0;
    // The packets per second the peer was last asked for, which its
    // packets to us are paced at.
    int16_t m_pacingAsked = RateLimit{}.packetsPerSecond;
    // Acknowledgement-only sections lately taken in, with when each last
    // came while it could be taken (see isLateCopy).
    struct SeenSection {
        AckSection section;
        uint32_t arrival = 0;
    };
    SeenSection m_seenAckOnly[4];
    // When an acknowledgement-only packet last went out while nothing could.
    uint32_t m_lastAckOnly = 0;
    uint16_t m_peerHoldTime = 0;
    uint32_t m_simulatedLag = 0;
    float m_simulatedLoss = 0.0f;
    uint32_t m_random;
    LIST<VNet_Packet*> m_delayed;
    LIST<VNet_Packet*> m_outgoing;
    VNet_ConnStats m_stats = {};
    ConnectionState m_state = StateNew;
    VNet_BitStream* m_pendingStream = nullptr;
    // The datagram that opened an accepted connection: an identical one is
    // the opener's resend, answered again while the answer is out, or a
    // copy the network held back; it never resets the connection.
    VNet_BitStream* m_openingRequest = nullptr;
    bool m_isOpener = false;
    // The control goes down: packets leave at once, past the simulations.
    bool m_farewell = false;
    // Vornlevels
    int8_t m_level = 0;
    uint8_t m_requestedLevel = kNoLevel;
    uint8_t m_waitingLevel = kNoLevel;
    uint16_t m_syncing = 0;
    bool m_classSyncFailed = false;
    int32_t m_syncOrder = -1;
    void* m_userData = nullptr;
};

}  // namespace Vornet_Private
