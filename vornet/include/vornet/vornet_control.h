#pragma once

#include <cstddef>
#include <cstdint>

#include "vornet/vornet_address.h"
#include "vornet/vornet_bitstream.h"
#include "vornet/vornet_conngroup.h"
#include "vornet/vornet_export.h"
#include "vornet/vornet_types.h"

class VNet_Control_Private;
class VNet_Node;

// Class flag: nodes of the class send announce data with their creation.
#define VNET_CLASSFLAG_ANNOUNCEDATA 0x1

// Traffic of one connection, as VNet_Control::VNet_getConnectionStats gives
// it. Times are library times (Vornet::getTime); byte counts are serialised
// packet sizes.
struct VNet_ConnStats {
    uint32_t lastReceiveTime;
    uint32_t lastSendTime;
    uint32_t bytesSentLastSecond;
    uint32_t bytesReceivedLastSecond;
    uint32_t packetsSentLastSecond;
    uint32_t packetsReceivedLastSecond;
    uint32_t bytesSentThisSecond;
    uint32_t bytesReceivedThisSecond;
    uint32_t packetsSentThisSecond;
    uint32_t packetsReceivedThisSecond;
    uint32_t totalBytesSent;
    uint32_t totalBytesReceived;
    uint32_t lastSecondStart;
    // Round trip in milliseconds: the last sample and the smoothed value.
    uint16_t lastPing;
    uint16_t averagePing;
    // Lost share of the packets sent during the last completed second.
    uint8_t lossPercent;
    uint8_t lostLastSecond;
    uint8_t lostThisSecond;
};

// Results of onConnectResult.
enum eVNet_ConnectResult : uint32_t {
    eVNet_ConnectAccepted = 0,
    eVNet_ConnectDenied = 1,
    eVNet_ConnectTimedOut = 2,
    eVNet_ConnectUnresolved = 3,
    eVNet_ConnectWrongVersion = 4
};

// Reasons of onConnectionClosed.
enum eVNet_CloseReason : uint32_t {
    // The peer's announced disconnect arrived, or this side's was
    // acknowledged.
    eVNet_CloseDisconnected = 0,
    eVNet_CloseTimedOut = 1,
    // A new connection request came from the same peer.
    eVNet_CloseReset = 2
};

// Options of VNet_setDiscoverListener.
enum eVNet_DiscoverOpt : int32_t {
    // Listen on the given port and answer requests for this control's id.
    eVNet_DiscoverEnable = 0,
    // Stop answering; the listening socket stays open.
    eVNet_DiscoverDisable = 1,
    // Stop answering and give the listening socket back.
    eVNet_DiscoverRelease = 2
};

// One endpoint of the application: its sockets, its connections, its class
// dictionary and its connection groups. The application derives from it,
// implements the callbacks and calls VNet_processInput and
// VNet_processOutput again and again, all from one thread. Callbacks run
// inside those calls; the streams they get stay the library's.
//
// Every call that takes a stream owns it from then on, also when it fails.
class VNET_API VNet_Control {
public:
    VNet_Control();
    // Announces the end of every connection (sent once, best effort) and
    // tears down.
    virtual ~VNet_Control();
    // A control owns its connections and sockets; a copy would free them
    // twice.
    VNet_Control(const VNet_Control&) = delete;
    VNet_Control& operator=(const VNet_Control&) = delete;

    static void* operator new(size_t bytes) noexcept;
    static void* operator new[](size_t bytes) noexcept;
    static void operator delete(void* memory) noexcept;
    static void operator delete[](void* memory) noexcept;

    // ---- Callbacks -------------------------------------------------------
    // Result of a connection this side opened (eVNet_ConnectResult) with the
    // peer's reply.
    virtual void onConnectResult(unsigned int connectionId, unsigned int result, VNet_BitStream* reply) = 0;
    // A peer asks to connect; write an answer into reply and return whether
    // to accept.
    virtual bool onConnectionRequest(unsigned int connectionId, VNet_BitStream* request, VNet_BitStream* reply) = 0;
    // A connection this side accepted is up.
    virtual void onConnectionEstablished(unsigned int connectionId) = 0;
    // A connection ended (eVNet_CloseReason) with the peer's reason.
    virtual void onConnectionClosed(unsigned int connectionId, unsigned int reason, VNet_BitStream* stream) = 0;
    virtual bool onVornLevelRequest(unsigned int connectionId, unsigned char level, VNet_BitStream* reply) = 0;
    virtual void onVornLevelResult(unsigned int connectionId, unsigned char result, unsigned char level,
                                   VNet_BitStream* stream) = 0;
    virtual void onDynamicNodeRequest(unsigned int connectionId, unsigned int classId, VNet_BitStream* announce,
                                      eVNet_NodeRole role, unsigned int networkId) = 0;
    virtual void onTagNodeRequest(unsigned int connectionId, unsigned int classId, VNet_BitStream* announce,
                                  eVNet_NodeRole role, unsigned int tag) = 0;
    virtual void onApplicationData(unsigned int connectionId, VNet_BitStream* stream) = 0;
    virtual bool onDiscoverRequest(const VNet_Address& requester, VNet_BitStream* request, VNet_BitStream* reply) = 0;
    virtual void onDiscoverAnswer(const VNet_Address& answerer, VNet_BitStream* answer) = 0;

    // ---- Set-up and processing -------------------------------------------
    // Tears down without destroying the object; the control is unusable
    // afterwards. Not from inside a callback.
    void Shutdown();
    // Opens the in-process socket (local port not 0) and the UDP socket.
    bool VNet_initSockets(bool useUdp, unsigned short udpPort, unsigned short localPort,
                          unsigned char controlIdSize);
    void VNet_setControlID(unsigned char id);
    // Receives and handles what arrived.
    void VNet_processInput(eVNet_BlockMode mode);
    // Resends, time-outs, packing and sending.
    void VNet_processOutput();
    void VNet_processReplicators(unsigned int elapsedMs);
    void VNet_setDebugName(const char* name);
    VNet_ConnGroupManager& VNet_getGroupManager();
    VNet_Node* VNet_getNode(unsigned int networkId);
    static uint32_t VNet_getCurrentTime();
    static VNet_BitStream* VNet_createBitStream();
    static void VNet_deleteBitStream(VNet_BitStream* stream);

    // ---- Connections and data --------------------------------------------
    // The new connection's id, 0 on failure; the outcome arrives through
    // onConnectResult.
    unsigned int VNet_Connect(const VNet_Address& address, VNet_BitStream* request);
    bool VNet_Disconnect(unsigned int connectionId, VNet_BitStream* reason);
    void VNet_disconnectAll(VNet_BitStream* reason);
    // False, stream freed, for an unknown connection, a mode the data path
    // cannot carry or a stream too large for one packet.
    bool VNet_sendData(unsigned int connectionId, VNet_BitStream* stream, eVNet_SendMode mode);
    bool VNet_sendDataToGroup(unsigned int group, VNet_BitStream* stream, eVNet_SendMode mode);
    // The bytes as one datagram without packet header, through the UDP
    // socket.
    bool VNet_sendDataRaw(VNet_Address& address, void* data, unsigned int size);
    // Bytes per second for all connections together and for each one.
    void VNet_setUpstreamLimit(unsigned int total, unsigned int perConnection);
    void VNet_requestDownstreamLimit(unsigned int connectionId, unsigned short packetsPerSecond,
                                     unsigned short bytesPerPacket);
    // Id 0 sets the default of every connection without a value of its own.
    void VNet_simulateLag(unsigned int connectionId, unsigned int milliseconds);
    void VNet_simulateLoss(unsigned int connectionId, float probability);
    void* VNet_getUserData(unsigned int connectionId);
    void VNet_setUserData(unsigned int connectionId, void* data);
    const VNet_ConnStats& VNet_getConnectionStats(unsigned int connectionId);
    const VNet_Address* VNet_getPeer(unsigned int connectionId);
    bool VNet_requestVornMode(unsigned int connectionId, unsigned char level);

    // ---- Discovery on the local network -----------------------------------
    // Answers, through onDiscoverRequest, the requests that controls with
    // this control's id broadcast to the port. Needs the UDP socket.
    bool VNet_setDiscoverListener(eVNet_DiscoverOpt option, unsigned short port);
    // Broadcasts a request on every local interface to the target's port and
    // control id (its IP is not used); the answers arrive through
    // onDiscoverAnswer with the address to connect to. The request may be
    // null.
    bool VNet_Discover(const VNet_Address& target, VNet_BitStream* request);

    // ---- Class dictionary ------------------------------------------------
    // The class id (application classes start at 2), 0 on failure.
    unsigned int VNet_registerClass(const char* name, unsigned int flags);
    unsigned int VNet_getClassID(const char* name) const;
    const char* VNet_getClassName(unsigned int classId) const;

private:
    friend class VNet_Control_Private;
    VNet_Control_Private* m_priv;
};
