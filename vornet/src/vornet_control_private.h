#pragma once

#include <cstdint>

#include "vornet/vornet_control.h"
#include "vornet_array.h"
#include "vornet_assert.h"
#include "vornet_classdict.h"
#include "vornet_connection_table.h"
#include "vornet_list.h"
#include "vornet_memory.h"
#include "vornet_string.h"

class VNet_Node_Private;
class VNet_Packet;
class VNet_Socket;
class VNet_SocketUDP;

namespace Vornet_Private {

struct NodeRecords;

// The callbacks' streams stay the library's: the application may read them
// but not duplicate them while it holds them.
class LentStream {
public:
    explicit LentStream(VNet_BitStream* stream) : m_stream(stream), m_wasSet(VNET_BS_NODUPLICATE(stream))
    {
        m_stream->setFlag(VNET_BS_NODUPLICATE_FLAG, true);
    }
    ~LentStream() { m_stream->setFlag(VNET_BS_NODUPLICATE_FLAG, m_wasSet); }
    LentStream(const LentStream&) = delete;
    LentStream& operator=(const LentStream&) = delete;

private:
    VNet_BitStream* m_stream;
    bool m_wasSet;
};

// A stream handed to the library must not be one it already owns.
inline bool checkNotLocked([[maybe_unused]] VNet_BitStream* stream, [[maybe_unused]] const char* message)
{
    return !stream || VNET_CHECK(!VNET_BS_LOCKED(stream), message);
}

// Marks a stream handed to the library as the library's.
inline void lockHandedStream(VNet_BitStream* stream)
{
    if (stream && checkingBuild) stream->setFlag(VNET_BS_LOCKED_FLAG, true);
}

#define VNET_LOCK_MESSAGE(name) \
    "!VNET_BS_LOCKED(" name ") && \"This bitstream object has been locked somewhere else. Make sure to not use any bitstream more than once!\""

}  // namespace Vornet_Private

// Everything a control holds: its sockets, its connections, its class
// dictionary and its groups.
class VNet_Control_Private : public Vornet_Private::HookAllocated {
public:
    static constexpr int32_t kConnectionBuckets = 53;

    explicit VNet_Control_Private(VNet_Control* owner);
    static VNet_Control_Private* of(VNet_Control* control) { return control->m_priv; }
    ~VNet_Control_Private();
    VNet_Control_Private(const VNet_Control_Private&) = delete;
    VNet_Control_Private& operator=(const VNet_Control_Private&) = delete;

    // ---- vornet_control.cpp
    bool initSockets(bool useUdp, uint16_t udpPort, uint16_t localPort, uint8_t controlIdSize);
    void setControlId(uint8_t id);
    void processInput(eVNet_BlockMode mode);
    void processOutput();
    void processPacket(VNet_Packet* packet);
    // Reports a connection event to the application through its callback.
    // A stream handed in stays the caller's.
    void notifyConnectionEvent(int32_t event, Vornet_Private::VNet_Connection* connection, VNet_BitStream* stream);
    // Sends a finished packet to its destination; always consumes it.
    bool routePacket(VNet_Packet* packet);
    VNet_Socket* socketForAddress(const VNet_Address& address) const;
    void controlLog(int level, const char* function, const char* format, ...)
        __attribute__((format(printf, 4, 5)));
    // Destroys connections, gives the sockets back, drops the tables.
    void teardown();
    // Sends every pending Disconnect once, at once.
    void sendFarewells();

    // ---- vornet_control_connections.cpp
    uint32_t registerConnection(Vornet_Private::VNet_Connection* connection);
    void unregisterConnection(Vornet_Private::VNet_Connection* connection);
    Vornet_Private::VNet_Connection* findConnection(const VNet_Address* address, uint32_t id) const;
    Vornet_Private::VNet_Connection* findConnectionById(uint32_t id) const;
    void rehashConnection(Vornet_Private::VNet_Connection* connection, const VNet_Address& oldAddress);
    void setConnectionLevel(Vornet_Private::VNet_Connection* connection, int8_t level, bool skipLeaving,
                            bool skipJoining);
    void answerConnectionRequest(uint32_t id, bool accepted, VNet_BitStream* reply);
    void distributeUpstream();
    void destroyConnection(Vornet_Private::VNet_Connection* connection);

    // ---- vornet_control_discovery.cpp
    bool setDiscoverListener(eVNet_DiscoverOpt option, uint16_t port);
    bool discover(const VNet_Address& target, VNet_BitStream* request);
    // A packet the socket marked as discovery request or answer.
    void handleBroadcast(VNet_Packet* packet);
    // Enters or withdraws this control's id in the listening socket's table;
    // each control enters its id at most once.
    void answerDiscovery(bool answer);

    // ---- vornet_control_nodes.cpp: the node registry, and what the
    // connections ask of it.
    bool insertNode(VNet_Node_Private* node);
    // Frees a node whose handle let go of it.
    bool removeNode(VNet_Node_Private* node);
    // Deletes an unregistering node once no connection holds it.
    void releaseIfOrphan(VNet_Node_Private* node);
    void releaseNetworkId(VNet_Node_Private* node);
    // Gives a proxy the network id its authority announced.
    void enterNetworkId(VNet_Node_Private* node, uint32_t networkId);
    VNet_Node_Private* nodeByLocalId(uint32_t localId) const;
    VNet_Node_Private* nodeByNetworkId(uint32_t networkId) const;
    // The first registered node of that class and tag.
    VNet_Node_Private* nodeByTag(uint32_t classId, uint32_t tag) const;
    // The registered node of a unique class.
    VNet_Node_Private* uniqueNode(uint32_t classId) const;
    void applyNodeToLevel(VNet_Node_Private* node, uint8_t level);
    void removeNodeFromLevel(VNet_Node_Private* node, uint8_t level);
    void listNodeAtLevel(VNet_Node_Private* node, uint8_t level);
    void unlistNodeAtLevel(VNet_Node_Private* node, uint8_t level);
    // The per-frame step of every node and the sync requests it raises.
    void processNodes();
    void processReplicators(unsigned elapsed);
    void teardownNodes();
    // The lowest sync order above `after` among the must-sync nodes of the
    // level; false when there is none.
    bool nextSyncOrder(uint8_t level, int32_t after, int32_t* order) const;
    // Links the must-sync nodes of that order at the level to the
    // connection; the number of nodes that now sync.
    uint16_t linkSyncGroup(Vornet_Private::VNet_Connection* connection, uint8_t level, int32_t order);
    // Unlinks the nodes not applied to the level from the connection.
    void dropForeignNodes(Vornet_Private::VNet_Connection* connection, int8_t level);
    // Links the nodes applied to the connection's level that it lacks.
    void activateLevelNodes(Vornet_Private::VNet_Connection* connection);
    // Unlinks a dying connection from every node.
    void unlinkConnection(Vornet_Private::VNet_Connection* connection);
    // A sent node-data packet's record names these nodes until it settles;
    // delta +1 when it is sent, -1 when it settles.
    void holdNodeIds(const Vornet_Private::NodeRecords& records, int32_t delta);

    VNet_SocketUDP* udpSocket = nullptr;
    VNet_Socket* localSocket = nullptr;
    VNet_SocketUDP* discoverSocket = nullptr;
    // Whether this control's id is entered in discoverSocket's table. The
    // table counts entries per id for all controls that share the socket.
    bool discoverAnswering = false;
    Vornet_Private::ConnectionTable* connectionTable = nullptr;
    Vornet_Private::ConnectionList connectionList;
    uint32_t lastConnectionId = 0;
    Vornet_Private::VNet_ClassDict* classDict = nullptr;
    uint32_t controlClassId = 0;
    VNet_Control* owner;
    Vornet_Private::STRING debugName;
    int32_t upstreamTotal = 3000;
    int32_t upstreamPerConnection = 3000;
    bool redistributePending = false;
    uint32_t lastRedistribution = 0;
    VNet_ConnGroupManager groupManager;
    float simulatedLoss = 0.0f;
    uint32_t simulatedLag = 0;
    uint8_t controlId = 0;
    // Node registry: local ids from 1, authority network ids equal to
    // them, registration order, and per level the must-sync authorities in
    // sync order.
    Vornet_Private::IdHandler<VNet_Node_Private*> nodesById;
    Vornet_Private::IdHandler<VNet_Node_Private*> nodesByNetworkId;
    Vornet_Private::LIST<VNet_Node_Private*> nodeList;
    // Per local id, the unsettled packet records that name it. A removed
    // node's id stays reserved while any does: settling must not reach a
    // node registered later under the same id.
    Vornet_Private::ARRAY<uint32_t> nodeIdHolds;
    Vornet_Private::LIST<VNet_Node_Private*>* syncLists[128] = {};
    uint32_t lastInsertedNodeId = 0;
    // Set only while onDynamicNodeRequest runs: nodes registered
    // dynamically then are the peer's proxies.
    bool dynamicNodesRequested = false;
    // Returned for unknown connection ids, cleared on every such call.
    VNet_ConnStats noStats = {};

private:
    void releaseSocket(VNet_Socket*& socket);
    bool takeSocket(VNet_Socket*& slot, eVNet_AddressType type, uint16_t port, uint8_t controlIdSize,
                    const char* failure, const char* widthConflict);
    void drainSocket(VNet_Socket* socket, bool waitFirst);
    void acceptNewConnection(VNet_Packet* packet);
    void logIncomingRequest(const VNet_Address& peer);
    // vornet_control_discovery.cpp
    bool listenForDiscovery(uint16_t port);
    void answerRequest(VNet_Packet* request);
    void takeAnswer(VNet_Packet* answer);
};
