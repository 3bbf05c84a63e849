// The datagram header is the first thing the library reads of anything that
// arrives. Each input is one datagram handed to a UDP socket's header parser
// and, as the packet of an in-process peer, to a local socket, which reads
// the destination control id before queueing it. Built against both builds.
//
// Input: the control-id width of both receiving sockets (0 to 127), a byte
// whose bits 0 to 7 register control ids 0 to 7 as receivers and discovery
// listeners, then the datagram.
#include <cstdint>
#include <memory>
#include <vector>

#include "FuzzInput.h"
#include "vornet/vornet.h"
#include "vornet_packet.h"
#include "vornet_socket.h"
#include "vornet_socket_udp.h"

namespace {

using fuzz::FuzzInput;

constexpr unsigned short kSenderPort = 1;
constexpr unsigned short kReceiverPort = 2;
constexpr int kRegisteredIds = 8;

// A packet holding the datagram as a received one would, or null when the
// bytes are no serialised stream at all.
VNet_Packet* packetOf(std::vector<char>& datagram)
{
    if (datagram.empty() || datagram.size() > UINT16_MAX) return nullptr;
    auto* stream = new VNet_BitStream(static_cast<unsigned short>(datagram.size()));
    auto* packet = new VNet_Packet(stream);
    if (!stream->Deserialize(datagram.data(), static_cast<unsigned short>(datagram.size()))) {
        delete packet;
        return nullptr;
    }
    stream->resetReadState();
    return packet;
}

// The UDP socket is never opened: parsing needs no system socket.
void parseAsUdp(std::vector<char>& datagram, uint8_t width, uint8_t ids)
{
    VNet_SocketUDP socket;
    socket.setControlIDSize(width);
    for (int id = 0; id < kRegisteredIds; ++id) {
        if (ids & (1u << id)) socket.registerListener(static_cast<uint8_t>(id), true, static_cast<uint16_t>(4000 + id));
    }
    std::unique_ptr<VNet_Packet> packet(packetOf(datagram));
    if (!packet || !socket.parseHeader(packet.get())) return;
    // What the control reads first after the header.
    packet->getStream()->getBool();
}

class LocalPair {
public:
    LocalPair()
        : sender_(Vornet::requestSocket(eVNet_AddressLocal, kSenderPort, false)),
          receiver_(Vornet::requestSocket(eVNet_AddressLocal, kReceiverPort, false))
    {
    }

    void deliver(std::vector<char>& datagram, uint8_t width, uint8_t ids)
    {
        receiver_->setControlIDSize(width);
        for (int id = 0; id < kRegisteredIds; ++id) {
            if (ids & (1u << id)) receiver_->attachReceiver(static_cast<uint8_t>(id));
        }
        if (VNet_Packet* packet = packetOf(datagram)) {
            packet->getDestination().setType(eVNet_AddressLocal);
            packet->getDestination().setPort(kReceiverPort);
            sender_->sendPacket(packet);
        }
        for (int id = 0; id < kRegisteredIds; ++id) {
            if (!(ids & (1u << id))) continue;
            while (VNet_Packet* packet = receiver_->popPacket(static_cast<uint8_t>(id))) delete packet;
            receiver_->detachReceiver(static_cast<uint8_t>(id));
        }
    }

private:
    VNet_Socket* sender_;
    VNet_Socket* receiver_;
};

// One library object for the whole run: local sockets live in its registry.
LocalPair& localPair()
{
    static Vornet* library = [] {
        auto* made = new Vornet();
        made->Init();
        return made;
    }();
    static LocalPair pair;
    (void)library;
    return pair;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    const uint8_t width = input.byte() % (VNet_Socket::kMaxControlIdWidth + 1);
    const uint8_t ids = input.byte();
    std::vector<char> datagram = input.rest();
    parseAsUdp(datagram, width, ids);
    localPair().deliver(datagram, width, ids);
    return 0;
}
