#include "vornet/vornet_control.h"

#include <cstdarg>
#include <cstdio>

#include "vornet/vornet.h"
#include "vornet_assert.h"
#include "vornet_connection.h"
#include "vornet_control_private.h"
#include "vornet_node_private.h"
#include "vornet_log.h"
#include "vornet_packet.h"
#include "vornet_socket.h"
#include "vornet_socket_udp.h"

using namespace Vornet_Private;

namespace {

constexpr const char* kInternalClass = "VN3T";

bool sendThrough(VNet_Socket* socket, VNet_Packet* packet)
{
    if (!socket) {
        delete packet;
        return false;
    }
    return socket->sendPacket(packet);
}

}  // namespace

// ---------------------------------------------------------------------------
// Private block

VNet_Control_Private::VNet_Control_Private(VNet_Control* handle) : owner(handle)
{
    classDict = new VNet_ClassDict(true);
    connectionTable = new ConnectionTable(kConnectionBuckets);
    if (!classDict || !connectionTable || !connectionTable->isValid()) {
        controlLog(LogError, "VNet_Control", "out of memory");
    }
    if (classDict) controlClassId = classDict->addLocalClass(kInternalClass, 0);
    nodesById.reserve(0);
    nodesByNetworkId.reserve(0);
    debugName.format("%p", static_cast<void*>(this));
    [[maybe_unused]] const unsigned int all = groupManager.createGroup(16);
    (void)VNET_CHECK(all == VNET_CONNGROUP_ALL, "gid == VNET_CONNGROUP_ALL");
}

VNet_Control_Private::~VNet_Control_Private()
{
    teardown();
}

void VNet_Control_Private::controlLog(int level, const char* function, const char* format, ...)
{
    char text[1024];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    const char* name = debugName.getBuffer() ? debugName.getBuffer() : "";
    if (function && *function) {
        logMessage(level, "[%s]: %s(): %s", name, function, text);
    } else {
        logMessage(level, "[%s]: %s", name, text);
    }
}

// ---------------------------------------------------------------------------
// Sockets

void VNet_Control_Private::releaseSocket(VNet_Socket*& socket)
{
    if (!socket) return;
    // A socket keeps what arrives for a control id only while a control
    // claims it.
    socket->detachReceiver(controlId);
    Vornet::releaseSocket(socket);
    socket = nullptr;
}

// Replaces the socket in the slot; false, slot empty, with the failure
// logged, when none can be had or it was set up with another id width.
bool VNet_Control_Private::takeSocket(VNet_Socket*& slot, eVNet_AddressType type, uint16_t port,
                                      uint8_t controlIdSize, const char* failure, const char* widthConflict)
{
    releaseSocket(slot);
    VNet_Socket* socket = Vornet::requestSocket(type, port, true);
    if (!socket) {
        controlLog(LogError, "initSockets", "%s", failure);
        return false;
    }
    if (socket->isControlIDSizeSet() && socket->getControlIDSize() != controlIdSize) {
        Vornet::releaseSocket(socket);
        controlLog(LogError, "initSockets", widthConflict, int(port), int(controlIdSize));
        return false;
    }
    if (!socket->setControlIDSize(controlIdSize)) {
        Vornet::releaseSocket(socket);
        controlLog(LogError, "initSockets", "%s", failure);
        return false;
    }
    socket->attachReceiver(controlId);
    slot = socket;
    return true;
}

bool VNet_Control_Private::initSockets(bool useUdp, uint16_t udpPort, uint16_t localPort, uint8_t controlIdSize)
{
    if (localPort != 0 &&
        !takeSocket(localSocket, eVNet_AddressLocal, localPort, controlIdSize, "unable to create localhost socket",
                    "SocketLocal already initialized with a different controlIDsize: port: %d size: %d")) {
        return false;
    }
    if (!useUdp) return true;
    VNet_Socket* udp = udpSocket;
    const bool taken = takeSocket(udp, eVNet_AddressUDP, udpPort, controlIdSize, "unable to create UDP socket",
                                  "SocketUDP already initialized with a different controlIDsize");
    udpSocket = static_cast<VNet_SocketUDP*>(udp);
    return taken;
}

void VNet_Control_Private::setControlId(uint8_t id)
{
    if (udpSocket) {
        const unsigned width = udpSocket->getControlIDSize();
        if (width < 8 && id >= (1u << width)) {
            controlLog(LogWarning, "setControlIDSize", "id does not fit into control_id_size: %d", int(id));
            return;
        }
    }
    const bool answering = discoverAnswering;
    answerDiscovery(false);
    // Claims first, so a socket held twice never drops what is queued.
    VNet_Socket* sockets[] = {localSocket, udpSocket, discoverSocket != udpSocket ? discoverSocket : nullptr};
    for (VNet_Socket* socket : sockets) {
        if (socket) socket->attachReceiver(id);
    }
    for (VNet_Socket* socket : sockets) {
        if (socket) socket->detachReceiver(controlId);
    }
    controlId = id;
    answerDiscovery(answering);
}

VNet_Socket* VNet_Control_Private::socketForAddress(const VNet_Address& address) const
{
    switch (address.getType()) {
    case eVNet_AddressLocal:
        return localSocket;
    case eVNet_AddressUDP:
        return udpSocket;
    default:
        return nullptr;
    }
}

// ---------------------------------------------------------------------------
// Input

void VNet_Control_Private::drainSocket(VNet_Socket* socket, bool waitFirst)
{
    bool wait = waitFirst;
    while (socket->hasPacket(!wait, controlId)) {
        wait = false;
        VNet_Packet* packet = socket->popPacket(controlId);
        if (!packet) return;
        processPacket(packet);
        socket->packets().recycle(packet);
    }
}

void VNet_Control_Private::processInput(eVNet_BlockMode mode)
{
    if (localSocket) drainSocket(localSocket, false);
    if (udpSocket) drainSocket(udpSocket, mode == eVNet_Block);
    if (discoverSocket && discoverSocket != udpSocket) drainSocket(discoverSocket, false);
}

void VNet_Control_Private::processPacket(VNet_Packet* packet)
{
    if (packet->getMark() != VNet_Packet::MarkNone) {
        handleBroadcast(packet);
        return;
    }
    if (VNet_Connection* connection = findConnection(&packet->getSource(), 0)) {
        connection->handlePacket(packet, false);
        return;
    }
    acceptNewConnection(packet);
}

void VNet_Control_Private::logIncomingRequest(const VNet_Address& peer)
{
    if (peer.getType() == eVNet_AddressUDP) {
        const char* name = peer.getAddressHostname();
        controlLog(LogNormal, nullptr, "incoming connection request from UDP: %s (control id: %d)",
                   name ? name : peer.getAddressIP(eVNet_IPWithPort), int(peer.getControlID()));
    } else if (peer.getType() == eVNet_AddressLocal) {
        controlLog(LogNormal, nullptr, "incoming connection request from LOCAL: %d (control id: %d)",
                   int(peer.getPort()), int(peer.getControlID()));
    }
}

void VNet_Control_Private::acceptNewConnection(VNet_Packet* packet)
{
    controlLog(LogVerbose, nullptr, "incoming packet from unknown source");
    auto* connection = new VNet_Connection(this);
    if (!connection) {
        controlLog(LogError, "processPacket", "out of memory accepting new connection");
        return;
    }
    connection->setPeer(packet->getSource());
    if (!connection->handleRequest(packet)) {
        delete connection;
        return;
    }
    logIncomingRequest(connection->getPeer());
    const uint32_t id = registerConnection(connection);
    // The control node is tagged with the connection's id.
    if (id) connection->registerControlNode(eVNet_RoleAuthority);
    auto* reply = id ? new VNet_BitStream(64) : nullptr;
    if (!reply) {
        if (id) unregisterConnection(connection);
        delete connection;
        return;
    }
    bool accepted;
    {
        LentStream lent(packet->getStream());
        accepted = owner->onConnectionRequest(id, packet->getStream(), reply);
    }
    answerConnectionRequest(id, accepted, reply);
}

// ---------------------------------------------------------------------------
// Output

void VNet_Control_Private::processOutput()
{
    const uint32_t now = Vornet::getTime();
    if (redistributePending && now - lastRedistribution > 1000) distributeUpstream();
    processNodes();
    for (auto* node = connectionList.first(); node;) {
        VNet_Connection* connection = node->payload;
        connection->tick();
        node = node->next;
        if (connection->getState() == StateDead) {
            unregisterConnection(connection);
            delete connection;
        }
    }
}

void VNet_Control_Private::notifyConnectionEvent(int32_t event, VNet_Connection* connection, VNet_BitStream* stream)
{
    VNet_BitStream* temporary = nullptr;
    if (!stream) {
        temporary = stream = new VNet_BitStream(64);
        if (!stream) fatalError("VNet_Control::notifyConnectionEvent(): out of memory");
    }
    const uint32_t id = connection->getId();
    {
        LentStream lent(stream);
        switch (event) {
        case EventClosed:
        case EventTimedOut:
        case EventReset:
            owner->onConnectionClosed(id, static_cast<unsigned>(event), stream);
            if (connection->getPeer().getType() != eVNet_AddressLocal) redistributePending = true;
            break;
        case EventConnectTimedOut:
        case EventUnresolved:
            if (connection->isOpener()) owner->onConnectResult(id, event == EventConnectTimedOut ? 2 : 3, stream);
            break;
        case EventDenied:
            owner->onConnectResult(id, eVNet_ConnectDenied, stream);
            break;
        case EventAccepted:
            owner->onConnectResult(id, eVNet_ConnectAccepted, stream);
            break;
        case EventEstablished:
            owner->onConnectionEstablished(id);
            break;
        case EventApplicationData:
            owner->onApplicationData(id, stream);
            break;
        case EventWrongVersion:
            owner->onConnectResult(id, eVNet_ConnectWrongVersion, stream);
            break;
        default:
            break;
        }
    }
    delete temporary;
}

bool VNet_Control_Private::routePacket(VNet_Packet* packet)
{
    if (!packet) return false;
    packet->getSource().setControlID(controlId);
    switch (packet->getDestination().getType()) {
    case eVNet_AddressLocal:
        return sendThrough(localSocket, packet);
    case eVNet_AddressUDP:
        return sendThrough(udpSocket, packet);
    case eVNet_AddressBoth: {
        // Sending consumes the packet: the UDP socket gets its own copy.
        VNet_Packet* copy = packet->duplicate();
        const bool local = sendThrough(localSocket, packet);
        const bool udp = copy ? sendThrough(udpSocket, copy) : false;
        return local && udp;
    }
    default:
        delete packet;
        return true;
    }
}

// ---------------------------------------------------------------------------
// Teardown

void VNet_Control_Private::sendFarewells()
{
    for (auto* node = connectionList.first(); node; node = node->next) node->payload->sendFarewell();
}

void VNet_Control_Private::teardown()
{
    while (connectionList.first()) {
        VNet_Connection* connection = connectionList.first()->payload;
        unregisterConnection(connection);
        delete connection;
    }
    releaseSocket(localSocket);
    VNet_Socket* udp = udpSocket;
    releaseSocket(udp);
    udpSocket = nullptr;
    answerDiscovery(false);
    VNet_Socket* discover = discoverSocket;
    releaseSocket(discover);
    discoverSocket = nullptr;
    teardownNodes();
    delete classDict;
    classDict = nullptr;
    delete connectionTable;
    connectionTable = nullptr;
}

// ---------------------------------------------------------------------------
// The exported object

VNET_DEFINE_HOOK_ALLOCATION(VNet_Control)

VNet_Control::VNet_Control() : m_priv(new VNet_Control_Private(this))
{
    if (!m_priv) fatalError("VNet_Control(): out of memory");
}

VNet_Control::~VNet_Control()
{
    VNet_disconnectAll(nullptr);
    // The peers would otherwise only learn of the end by time-out.
    m_priv->sendFarewells();
    delete m_priv;
    m_priv = nullptr;
}

void VNet_Control::Shutdown()
{
    m_priv->teardown();
}

bool VNet_Control::VNet_initSockets(bool useUdp, unsigned short udpPort, unsigned short localPort,
                                    unsigned char controlIdSize)
{
    return m_priv->initSockets(useUdp, udpPort, localPort, controlIdSize);
}

void VNet_Control::VNet_setControlID(unsigned char id)
{
    m_priv->setControlId(id);
}

void VNet_Control::VNet_processInput(eVNet_BlockMode mode)
{
    m_priv->processInput(mode);
}

void VNet_Control::VNet_processOutput()
{
    m_priv->processOutput();
}

void VNet_Control::VNet_processReplicators(unsigned int elapsedMs)
{
    m_priv->processReplicators(elapsedMs);
}

void VNet_Control::VNet_setDebugName(const char* name)
{
    m_priv->debugName = name ? name : "";
}

VNet_ConnGroupManager& VNet_Control::VNet_getGroupManager()
{
    return m_priv->groupManager;
}

VNet_Node* VNet_Control::VNet_getNode(unsigned int networkId)
{
    VNet_Node_Private* node = m_priv->nodeByNetworkId(networkId);
    return node ? node->handle : nullptr;
}

uint32_t VNet_Control::VNet_getCurrentTime()
{
    return Vornet::getTime();
}

VNet_BitStream* VNet_Control::VNet_createBitStream()
{
    logMessage(LogWarning, "VNet_Control::VNet_createBitStream is deprecated. Just 'new VNet_BitStream' instead.");
    return new VNet_BitStream(64);
}

void VNet_Control::VNet_deleteBitStream(VNet_BitStream* stream)
{
    logMessage(LogWarning, "VNet_Control::VNet_deleteBitStream is deprecated. Just 'delete bs' instead.");
    delete stream;
}

unsigned int VNet_Control::VNet_registerClass(const char* name, unsigned int flags)
{
    if (!name || !*name) {
        logMessage(LogError, "VNet_Control::VNet_registerClass(): no name given");
        return 0;
    }
    if (!m_priv->classDict) return 0;
    return m_priv->classDict->addLocalClass(name, flags & VNET_CLASSFLAG_ANNOUNCEDATA);
}

unsigned int VNet_Control::VNet_getClassID(const char* name) const
{
    const uint32_t id = m_priv->classDict ? m_priv->classDict->findClass(name) : 0;
    if (id == 0) m_priv->controlLog(LogWarning, "VNet_getClassID", "unknown class: %s ", name ? name : "");
    return id;
}

const char* VNet_Control::VNet_getClassName(unsigned int classId) const
{
    return m_priv->classDict ? m_priv->classDict->getClassName(classId) : nullptr;
}
