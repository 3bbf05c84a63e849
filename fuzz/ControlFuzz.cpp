// A peer may send anything at any moment. Two controls talk over in-process
// sockets and are first brought into one connection state; then a socket
// posing as one of them (it has that control's port) sends the input's
// datagrams to the other, which takes them as coming from its peer. Both
// controls are stepped after each datagram while the library clock moves
// on by an amount the input chooses. Built against both library builds.
//
// Input: a byte choosing the state (low bits) and which control receives
// (bit 7), then datagrams, each a length byte, that many bytes of
// serialised stream, and a byte of milliseconds to move the clock by.
#include <cstdint>
#include <vector>

#include "ControlPair.h"
#include "FuzzInput.h"
#include "vornet_packet.h"
#include "vornet_socket.h"

namespace {

using fuzz::FuzzInput;
using namespace fuzz::control;

void enter(Pair& pair, ConnectionStage stage)
{
    if (stage == ConnectionStage::Fresh) return;
    pair.client->VNet_Connect(localAddress(kServerPort), nullptr);
    if (stage == ConnectionStage::Handshake) {
        // The request has reached the server and its answer is on the way.
        pair.client->step();
        pair.server->step();
        return;
    }
    pair.runUntilConnected();
    if (stage == ConnectionStage::Connected) return;
    pair.client->VNet_sendData(pair.client->connection, [] {
        auto* stream = new VNet_BitStream(8);
        stream->addInt(1, 32);
        return stream;
    }(), eVNet_ReliableOrdered);
    pair.client->VNet_Disconnect(pair.client->connection, nullptr);
    pair.client->step();
    if (stage == ConnectionStage::Disconnecting) return;
    pair.server->step();
}

// A socket posing as the control on its port. Packets for that port still
// reach the control, whose socket was there first.
class Impostor {
public:
    explicit Impostor(unsigned short port) : socket_(Vornet::requestSocket(eVNet_AddressLocal, port, false))
    {
        socket_->setControlIDSize(0);
    }
    ~Impostor() { Vornet::releaseSocket(socket_); }
    Impostor(const Impostor&) = delete;
    Impostor& operator=(const Impostor&) = delete;

    void send(std::vector<char>& datagram, unsigned short to)
    {
        if (datagram.empty()) return;
        auto* stream = new VNet_BitStream(static_cast<unsigned short>(datagram.size()));
        auto* packet = new VNet_Packet(stream);
        if (!stream->Deserialize(datagram.data(), static_cast<unsigned short>(datagram.size()))) {
            delete packet;
            return;
        }
        packet->setDestination(localAddress(to));
        socket_->sendPacket(packet);
    }

private:
    VNet_Socket* socket_;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Vornet_Private::setClockSource(&fuzzClock);
    static Vornet library;
    library.Init();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    const uint8_t choice = input.byte();
    const auto stage = static_cast<ConnectionStage>((choice & 0x7F) % kStages);
    const bool toClient = (choice & 0x80) != 0;
    Pair pair;
    enter(pair, stage);
    FuzzControl& target = toClient ? *pair.client : *pair.server;
    FuzzControl& other = toClient ? *pair.server : *pair.client;
    Impostor impostor(toClient ? kServerPort : kClientPort);
    while (!input.empty()) {
        std::vector<char> datagram = input.take(input.byte()).rest();
        impostor.send(datagram, toClient ? kClientPort : kServerPort);
        target.step();
        other.step();
        advance(input.byte());
    }
    return 0;
}
