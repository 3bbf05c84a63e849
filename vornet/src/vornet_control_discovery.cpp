// Finding controls on the local network: a request broadcast to a port,
// answered by the controls that listen there under the requester's id.
#include <algorithm>

#include "vornet/vornet.h"
#include "vornet/vornet_control.h"
#include "vornet_connection.h"
#include "vornet_control_private.h"
#include "vornet_log.h"
#include "vornet_packet.h"
#include "vornet_socket_udp.h"
#include "vornet_stream_reader.h"

using namespace Vornet_Private;

namespace {

constexpr unsigned short kReplySizeHint = 64;

unsigned short sizeHint(unsigned bytes)
{
    return static_cast<unsigned short>(std::min(bytes, 0xFFFFu));
}

bool hasUnreadBits(const VNet_BitStream& stream)
{
    VNet_BitStream::BitPos read;
    stream.saveReadState(read);
    return read.pos * 8u + read.bit < stream.getBitCount();
}

}  // namespace

// ---------------------------------------------------------------------------
// Listening

void VNet_Control_Private::answerDiscovery(bool answer)
{
    if (!discoverSocket || answer == discoverAnswering || (answer && !udpSocket)) return;
    discoverSocket->registerListener(controlId, answer, answer ? udpSocket->getPort() : 0);
    discoverAnswering = answer;
}

// Takes a shared socket on the port for discoverSocket; false, none held,
// with the reason logged.
bool VNet_Control_Private::listenForDiscovery(uint16_t port)
{
    VNet_Socket* socket = Vornet::requestSocket(eVNet_AddressUDP, port, true);
    if (!socket) {
        controlLog(LogError, "VNet_setDiscoverListener", "unable to request socket");
        return false;
    }
    // The header layout depends on the width: a socket that other controls
    // read with another width cannot be shared.
    const unsigned char width = udpSocket->getControlIDSize();
    if (socket->isControlIDSizeSet() && socket->getControlIDSize() != width) {
        controlLog(LogError, "VNet_setDiscoverListener",
                   "socket on port %d already uses control id size %d, not %d", int(port),
                   int(socket->getControlIDSize()), int(width));
        Vornet::releaseSocket(socket);
        return false;
    }
    socket->setControlIDSize(width);
    socket->attachReceiver(controlId);
    discoverSocket = static_cast<VNet_SocketUDP*>(socket);
    return true;
}

bool VNet_Control_Private::setDiscoverListener(eVNet_DiscoverOpt option, uint16_t port)
{
    const char* function = "VNet_setDiscoverListener";
    if (!udpSocket) {
        controlLog(LogError, function, "need initialised UDP socket first, call initSockets()");
        return false;
    }
    VNet_Socket* held = discoverSocket;
    switch (option) {
    case eVNet_DiscoverEnable:
        if (held && held->getPort() != port) {
            answerDiscovery(false);
            releaseSocket(held);
            discoverSocket = nullptr;
        }
        if (!discoverSocket && !listenForDiscovery(port)) return false;
        answerDiscovery(true);
        return true;
    case eVNet_DiscoverDisable:
        if (!held) return false;
        answerDiscovery(false);
        return true;
    case eVNet_DiscoverRelease:
        if (!held) return false;
        // Withdrawn first: the socket lives on while others hold it, and
        // this control would otherwise go on answering through it.
        answerDiscovery(false);
        releaseSocket(held);
        discoverSocket = nullptr;
        return true;
    default:
        controlLog(LogError, function, "invalid option");
        return false;
    }
}

// ---------------------------------------------------------------------------
// Requesting

bool VNet_Control_Private::discover(const VNet_Address& target, VNet_BitStream* request)
{
    const char* function = "VNet_Discover";
    (void)checkNotLocked(request, VNET_LOCK_MESSAGE("_request"));
    if (!udpSocket) {
        controlLog(LogError, function, "unable to discover without udp socket");
        destroyStream(request);
        return false;
    }
    if (!udpSocket->isBroadcastAvailable()) {
        controlLog(LogError, function, "broadcasting not available on this socket (check permissions)");
        destroyStream(request);
        return false;
    }
    auto* packet = new VNet_Packet(sizeHint((request ? request->getSizeHint() + 2u : 0u) + 4u));
    if (!packet) {
        controlLog(LogError, function, "out of memory");
        destroyStream(request);
        return false;
    }
    packet->getDestination().setType(eVNet_AddressUDP);
    packet->getDestination().setPort(target.getPort());
    if (!udpSocket->addPacketHeader(packet, controlId, target.getControlID(), VNet_Socket::FlagDiscoverRequest)) {
        controlLog(LogError, function, "unable to write packet header");
        delete packet;
        destroyStream(request);
        return false;
    }
    packet->setMark(VNet_Packet::MarkDiscoverRequest);
    VNet_BitStream& stream = *packet->getStream();
    stream.addBool(request != nullptr);
    if (request) stream.addBitStream(request);
    destroyStream(request);
    return udpSocket->sendPacket(packet);
}

// ---------------------------------------------------------------------------
// Receiving

void VNet_Control_Private::handleBroadcast(VNet_Packet* packet)
{
    switch (packet->getMark()) {
    case VNet_Packet::MarkDiscoverRequest:
        answerRequest(packet);
        break;
    case VNet_Packet::MarkDiscoverAnswer:
        takeAnswer(packet);
        break;
    default:
        break;
    }
}

void VNet_Control_Private::answerRequest(VNet_Packet* request)
{
    const char* function = "handleBroadcast";
    VNet_BitStream& stream = *request->getStream();
    StreamReader reader(stream);
    const bool hasData = reader.getBool();
    if (!reader.complete()) {
        controlLog(LogError, function, "dropped discovery request without its data marker");
        return;
    }
    // Made per request: controls of other threads may be answering too.
    VNet_BitStream empty(kReplySizeHint);
    VNet_BitStream reply(kReplySizeHint);
    VNet_BitStream* lent = hasData ? &stream : &empty;
    bool answer;
    {
        LentStream lend(lent);
        answer = owner->onDiscoverRequest(request->getDestination(), lent, &reply);
    }
    if (!answer || !udpSocket) return;

    auto* packet = new VNet_Packet(sizeHint(reply.getSizeHint() + 8u));
    if (!packet) {
        controlLog(LogError, function, "out of memory");
        return;
    }
    packet->setDestination(request->getDestination());
    udpSocket->addPacketHeader(packet, 0, request->getDestination().getControlID(), VNet_Socket::FlagDiscoverAnswer);
    packet->getStream()->addInt(request->getDiscoverRequestPort(), 16);
    if (reply.getBitCount() > 0) packet->getStream()->addBitStream(&reply);
    if (!routePacket(packet)) controlLog(LogError, function, "failed sending reply");
}

void VNet_Control_Private::takeAnswer(VNet_Packet* answer)
{
    VNet_BitStream empty(kReplySizeHint);
    VNet_BitStream* lent = hasUnreadBits(*answer->getStream()) ? answer->getStream() : &empty;
    LentStream lend(lent);
    owner->onDiscoverAnswer(answer->getSource(), lent);
}

// ---------------------------------------------------------------------------
// The exported calls

bool VNet_Control::VNet_setDiscoverListener(eVNet_DiscoverOpt option, unsigned short port)
{
    return m_priv->setDiscoverListener(option, port);
}

bool VNet_Control::VNet_Discover(const VNet_Address& target, VNet_BitStream* request)
{
    return m_priv->discover(target, request);
}
