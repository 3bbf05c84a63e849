#include "vornet_socket_udp.h"

#include "platform/NameLookup.h"
#include "vornet/vornet.h"
#include "vornet_core.h"
#include "vornet_log.h"
#include "vornet_packet.h"
#include "vornet_stream_reader.h"

using namespace Vornet_Private;

namespace {

platform::Ipv4Endpoint endpointOf(const VNet_Address& address)
{
    return {address.getIP(), address.getPort()};
}

constexpr uint32_t kLimitedBroadcast = 0xFFFFFFFFu;

}  // namespace

VNet_SocketUDP::VNet_SocketUDP() : VNet_Socket(eVNet_AddressUDP)
{
}

VNet_SocketUDP::~VNet_SocketUDP()
{
    m_socket.close();
}

bool VNet_SocketUDP::initSocket(uint16_t port)
{
    if (!m_socket.open()) {
        logMessage(LogError, "VNet_SocketUDP::initSocket(): INVALID_SOCKET, errorcode %d (did you call Vornet::Init?)",
                   m_socket.lastError());
        return false;
    }
    if (!m_socket.setNonBlocking()) {
        logMessage(LogError, "VNet_SocketUDP::initSocket(): failed setting non-blocking I/O");
        m_socket.close();
        return false;
    }
    // Only a port asked for by number is shared: with address reuse on, a
    // port the system picks could be one another socket already has, and
    // each would then lose the other's datagrams.
    if (port != 0 && !m_socket.setReuseAddress()) {
        logMessage(LogWarning, "VNet_SocketUDP::initSocket(): enabling SO_REUSEADDR failed");
    }
    m_broadcastAvailable = m_socket.setBroadcast();
    if (!m_broadcastAvailable) logMessage(LogWarning, "VNet_SocketUDP::initSocket(): enabling SO_BROADCAST failed");
    if (!m_socket.bind(platform::kAnyAddress, port)) {
        logMessage(LogError, "VNet_SocketUDP::initSocket(): unable to bind socket to port %d, errorcode %d", int(port),
                   m_socket.lastError());
        m_socket.close();
        return false;
    }
    m_ownAddress.setPort(m_socket.localPort());
    return true;
}

bool VNet_SocketUDP::addPacketHeader(VNet_Packet* packet, uint8_t sourceId, uint8_t destinationId, uint32_t flags)
{
    VNet_BitStream* stream = packet ? packet->getStream() : nullptr;
    if (!stream) {
        logMessage(LogError, "VNet_Socket::addPacketHeader(): no data in packet!");
        return false;
    }
    const unsigned width = getControlIDSize();
    const bool request = (flags & FlagDiscoverRequest) != 0;
    const bool discovery = (flags & (FlagDiscoverRequest | FlagDiscoverAnswer)) != 0;
    const bool carriesWidth = (flags & (FlagDiscoverRequest | FlagConnectionRequest)) != 0;

    stream->addBool(flags != 0);
    if (flags != 0) stream->addBool(carriesWidth);
    if (carriesWidth) stream->addInt(width, 32);
    if (width > 0) {
        stream->addInt(destinationId, width);
        stream->addInt(sourceId, width);
        packet->getSource().setControlID(sourceId);
    }
    if (flags != 0) stream->addBool(discovery);
    if (discovery) stream->addBool(request);
    if (request) {
        if (width > 0) stream->addInt(sourceId, width);
        // A broadcast leaves through temporary sockets; answers must come
        // back to this one.
        stream->addInt(getPort(), 16);
    }
    return true;
}

bool VNet_SocketUDP::parseHeader(VNet_Packet* packet)
{
    VNet_BitStream& stream = *packet->getStream();
    StreamReader header(stream);
    const unsigned width = getControlIDSize();

    const bool extended = header.getBool();
    if (extended && header.getBool()) {
        const uint32_t announced = header.getInt(32);
        if (header.complete() && (announced > kMaxControlIdWidth || announced != width)) {
            logMessage(LogError, "VNet_Socket:: received UDP packet with invalid control id size: %u - should be %u",
                       announced, width);
            return false;
        }
    }
    uint32_t sourceId = 0;
    if (width > 0) {
        packet->getDestination().setControlID(static_cast<uint8_t>(header.getInt(width)));
        sourceId = header.getInt(width);
        packet->getSource().setControlID(static_cast<uint8_t>(sourceId));
    }
    if (extended && header.getBool()) {
        if (header.getBool()) {
            const uint32_t requesterId = width > 0 ? header.getInt(width) : 0;
            const uint16_t replyPort = static_cast<uint16_t>(header.getInt(16));
            uint16_t listenerPort = 0;
            if (header.complete() && findListener(sourceId, &listenerPort)) {
                packet->setMark(VNet_Packet::MarkDiscoverRequest);
                packet->setDestination(packet->getSource());
                packet->getDestination().setPort(replyPort);
                packet->getDestination().setControlID(static_cast<uint8_t>(requesterId));
                packet->setDiscoverRequestPort(listenerPort);
            }
        } else {
            packet->setMark(VNet_Packet::MarkDiscoverAnswer);
            packet->getSource().setPort(static_cast<uint16_t>(header.getInt(16)));
        }
    }
    if (!header.complete()) {
        logMessage(LogError, "VNet_Socket:: received UDP packet with a truncated header (%u bits)",
                   stream.getBitCount());
        return false;
    }
    return true;
}

void VNet_SocketUDP::readPackets(char* buffer)
{
    for (;;) {
        size_t length = 0;
        platform::Ipv4Endpoint from;
        const platform::ReceiveStatus status = m_socket.receiveFrom(buffer, kReceiveBufferBytes, &length, &from);
        if (status == platform::ReceiveStatus::Empty || status == platform::ReceiveStatus::Failed) return;
        if (status == platform::ReceiveStatus::Truncated) {
            logMessage(LogError, "VNet_SocketUDP:: dropped datagram longer than %u bytes from %s",
                       kReceiveBufferBytes, platform::formatDottedIPv4(from.address).c_str());
            continue;
        }
        receiveOne(buffer, static_cast<unsigned>(length), from);
    }
}

// One datagram becomes a packet in the queue, or is dropped with a reason.
void VNet_SocketUDP::receiveOne(char* buffer, unsigned length, const platform::Ipv4Endpoint& from)
{
    VNet_Packet* packet = packets().makePacket(static_cast<unsigned short>(length));
    if (!packet) {
        logMessage(LogError, "VNet_SocketUDP:: could not receive packet - out of mem");
        return;
    }
    VNet_BitStream* stream = packet->getStream();
    packet->setTime(Vornet::getTime());
    packet->getSource().setType(eVNet_AddressUDP);
    packet->getSource().setIP(from.address);
    packet->getSource().setPort(from.port);
    if (!stream->Deserialize(buffer, static_cast<unsigned short>(length))) {
        logMessage(LogError, "VNet_SocketUDP:: unable to deserialize stream");
        packets().recycle(packet);
        return;
    }
    stream->resetReadState();
    stream->setFlag(VNET_BS_LOCKED_FLAG, true);
    if (!parseHeader(packet) || !enqueue(packet)) packets().recycle(packet);
}

bool VNet_SocketUDP::hasPacket(bool noBlock, uint8_t controlId)
{
    for (;;) {
        Core* core = currentCore();
        uint64_t seen = 0;
        {
            platform::MutexLock lock(m_queueMutex);
            if (hasQueued(controlId)) return true;
            if (noBlock || !core) return false;
            // Noted under the queue lock: a batch queued after the check
            // moves the count on, so the wait below cannot miss it.
            seen = core->readBatches.count();
        }
        core->readBatches.waitChange(seen, Core::kReaderWaitMs);
    }
}

bool VNet_SocketUDP::sendDatagram(const char* bytes, unsigned length, const platform::Ipv4Endpoint& to)
{
    return m_socket.sendTo(bytes, length, to);
}

bool VNet_SocketUDP::sendPacket(VNet_Packet* packet)
{
    if (!packet) return false;
    const unsigned size = packet->getSize();
    if (size > kMaxPacketBytes) {
        logMessage(LogError, "VNet_SocketUDP::sendPacket(): packet greater than 1024b: %db", int(size));
        delete packet;
        return false;
    }
    char bytes[kMaxPacketBytes];
    unsigned short written = static_cast<unsigned short>(size);
    const bool serialised = packet->getStream()->Serialize(bytes, &written, static_cast<unsigned short>(size));
    const VNet_Packet::Mark mark = packet->getMark();
    const platform::Ipv4Endpoint target = endpointOf(packet->getDestination());
    packets().recycle(packet);
    if (!serialised) {
        logMessage(LogError, "VNet_SocketUDP::sendPacket(): send failed");
        return false;
    }
    if (mark == VNet_Packet::MarkNone) {
        if (sendDatagram(bytes, size, target)) return true;
        logMessage(LogError, "VNet_SocketUDP::sendPacket(): send failed");
        return false;
    }
    if (!m_broadcastAvailable) {
        logMessage(LogError, "VNet_SocketUDP::sendPacket(): broadcasting not available");
        return false;
    }
    broadcast(bytes, size, target.port);
    return true;
}

// Sends on every local interface to its directed broadcast address, from a
// temporary socket bound to that interface.
void VNet_SocketUDP::broadcast(const char* bytes, unsigned length, uint16_t port)
{
    Core* core = currentCore();
    const LIST<platform::LocalInterface>* interfaces = core ? &core->getLocalInterfaces() : nullptr;
    if (!interfaces || interfaces->count() == 0) {
        if (!sendDatagram(bytes, length, {kLimitedBroadcast, port})) {
            logMessage(LogError, "VNet_SocketUDP::sendPacket(): send broadcast failed");
        }
        return;
    }
    for (auto* node = interfaces->first(); node; node = node->next) {
        platform::UdpSocket temporary;
        if (!temporary.open()) continue;
        if (!temporary.setBroadcast()) logMessage(LogWarning, "VNet_SocketUDP::initSocket(): enabling SO_BROADCAST failed");
        if (!temporary.bind(node->payload.address, 0)) {
            logMessage(LogError, "VNet_SocketUDP::initSocket(): unable to bind socket, errorcode %d",
                       temporary.lastError());
        }
        if (!temporary.sendTo(bytes, length, {node->payload.broadcast, port})) {
            logMessage(LogError, "VNet_SocketUDP::sendPacket(): send broadcast failed");
        }
    }
}

bool VNet_SocketUDP::sendRawPacket(const VNet_Address& address, const char* bytes, unsigned length)
{
    if (bytes && sendDatagram(bytes, length, endpointOf(address))) return true;
    logMessage(LogError, "VNet_SocketUDP::sendRawPacket(): send failed");
    return false;
}

void VNet_SocketUDP::registerListener(uint8_t controlId, bool add, uint16_t port)
{
    platform::MutexLock lock(m_tableMutex);
    const uint8_t key = listenerKey(controlId);
    auto* node = m_listeners.first();
    while (node && node->payload.key != key) node = node->next;
    if (add) {
        if (node) {
            ++node->payload.count;
            node->payload.port = port;
        } else if (!m_listeners.append(Listener{key, port, 1})) {
            logMessage(LogWarning, "IdHandler: id not reserved: %d", int(key));
        }
        return;
    }
    if (!node) {
        logMessage(LogWarning, "IdHandler: tried to remove unused: %d", int(key));
        return;
    }
    if (--node->payload.count == 0) m_listeners.remove(node);
}

bool VNet_SocketUDP::findListener(uint32_t sourceId, uint16_t* port)
{
    platform::MutexLock lock(m_tableMutex);
    for (auto* node = m_listeners.first(); node; node = node->next) {
        if (getControlIDSize() == 0 || node->payload.key == sourceId) {
            *port = node->payload.port;
            return true;
        }
    }
    return false;
}
