// Datagrams over real UDP sockets on 127.0.0.1: the reader thread queues
// them, hostile datagrams are dropped, broadcasts stay on loopback.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "TransportSupport.h"
#include "platform/UdpSocket.h"
#include "vornet/src/vornet_core.h"
#include "vornet/src/vornet_socket_udp.h"

namespace {

using namespace transport_test;
using Vornet_Private::Core;
using Vornet_Private::currentCore;

constexpr unsigned char kWidth = 3;

// The next packet of the control on the socket, waited for at most 10 s.
VNet_Packet* waitForPacket(VNet_Socket& socket, uint8_t controlId)
{
    for (int i = 0; i < 1000 && !socket.hasPacket(true, controlId); ++i) Vornet::Sleep(10);
    return socket.popPacket(controlId);
}

class UdpTransport : public ::testing::Test {
protected:
    void SetUp() override
    {
        LogLines::clear();
        library.setLogLevel(2);
        ASSERT_TRUE(library.Init());
        sender = request();
        receiver = request();
        ASSERT_NE(sender, nullptr);
        ASSERT_NE(receiver, nullptr);
        receiver->attachReceiver(5);
        receiver->attachReceiver(7);
    }
    void TearDown() override
    {
        library.Clear();
        library.setLogLevel(1);
    }

    static VNet_SocketUDP* request()
    {
        auto* socket = static_cast<VNet_SocketUDP*>(Vornet::requestSocket(eVNet_AddressUDP, 0, false));
        if (socket) socket->setControlIDSize(kWidth);
        return socket;
    }

    bool send(uint8_t destinationId, uint32_t value)
    {
        return sender->sendPacket(makePacket(*sender, loopback(receiver->getPort()), 1, destinationId, value));
    }

    uint32_t next(uint8_t controlId) { return takeValue(waitForPacket(*receiver, controlId)); }

    Vornet library{LogLines::capture};
    VNet_SocketUDP* sender = nullptr;
    VNet_SocketUDP* receiver = nullptr;
};

TEST_F(UdpTransport, DatagramsArePoppedByDestinationIdInOrder)
{
    const uint8_t ids[] = {5, 7, 5, 7, 5};
    for (uint32_t i = 0; i < 5; ++i) ASSERT_TRUE(send(ids[i], i));
    EXPECT_EQ(next(5), 0u);
    EXPECT_EQ(next(7), 1u);
    EXPECT_EQ(next(7), 3u);
    EXPECT_EQ(next(5), 2u);
    EXPECT_EQ(next(5), 4u);
    EXPECT_EQ(receiver->popPacket(7), nullptr);
}

TEST_F(UdpTransport, ReceivedPacketsKnowTheirSender)
{
    ASSERT_TRUE(send(5, 42));
    VNet_Packet* packet = waitForPacket(*receiver, 5);
    ASSERT_NE(packet, nullptr);
    EXPECT_EQ(packet->getSource().getType(), eVNet_AddressUDP);
    EXPECT_EQ(packet->getSource().getIP(), 0x7F000001u);
    EXPECT_EQ(packet->getSource().getPort(), sender->getPort());
    EXPECT_EQ(packet->getSource().getControlID(), 1);
    EXPECT_EQ(packet->getDestination().getControlID(), 5);
    EXPECT_EQ(packet->getMark(), VNet_Packet::MarkNone);
    EXPECT_NE(packet->getTime(), 0u);
    EXPECT_TRUE(VNET_BS_LOCKED(packet->getStream()));  // the library's until destroyed
    EXPECT_EQ(takeValue(packet), 42u);
}

TEST_F(UdpTransport, DatagramsForControlsNobodyReceivesAreDropped)
{
    ASSERT_TRUE(send(6, 1));
    ASSERT_TRUE(send(5, 2));
    EXPECT_EQ(next(5), 2u);  // read after the one for control 6
    EXPECT_FALSE(receiver->hasPacket(true, 6));
    EXPECT_TRUE(LogLines::contains("dropped packet for control id 6"));
}

// A stream whose serialised form takes exactly the given bytes.
VNet_Packet* packetOfSize(VNet_SocketUDP& from, unsigned short port, unsigned bytes)
{
    auto* packet = new VNet_Packet(static_cast<unsigned short>(bytes));
    packet->setDestination(loopback(port));
    from.addPacketHeader(packet, 1, 5, 0);
    while (packet->getSize() < bytes) packet->getStream()->addBool(true);
    return packet;
}

TEST_F(UdpTransport, PacketsOfUpTo1024BytesGo)
{
    VNet_Packet* largest = packetOfSize(*sender, receiver->getPort(), 1024);
    ASSERT_EQ(largest->getSize(), 1024u);
    ASSERT_TRUE(sender->sendPacket(largest));
    VNet_Packet* packet = waitForPacket(*receiver, 5);
    ASSERT_NE(packet, nullptr);
    EXPECT_EQ(packet->getSize(), 1024u);
    delete packet;

    VNet_Packet* tooLarge = packetOfSize(*sender, receiver->getPort(), 1025);
    EXPECT_FALSE(sender->sendPacket(tooLarge));  // and destroyed
    EXPECT_TRUE(LogLines::contains("VNet_SocketUDP::sendPacket(): packet greater than 1024b: 1025b"));
}

TEST_F(UdpTransport, SendingToTheUnspecifiedAddressFails)
{
    VNet_Packet* packet = makePacket(*sender, loopback(receiver->getPort()), 1, 5, 0);
    packet->getDestination().setIP(0u);
    EXPECT_FALSE(sender->sendPacket(packet));
    EXPECT_TRUE(LogLines::contains("VNet_SocketUDP::sendPacket(): send failed"));
}

std::string serialised(VNet_BitStream& stream)
{
    char bytes[2048];
    unsigned short size = static_cast<unsigned short>(stream.getSizeHint());
    stream.Serialize(bytes, &size, size);
    return std::string(bytes, size);
}

// A header announcing a control-id width.
std::string announcingWidth(uint32_t width)
{
    VNet_BitStream stream;
    stream.addBool(true);
    stream.addBool(true);
    stream.addInt(width, 32);
    return serialised(stream);
}

struct Malformed {
    const char* what;
    std::string bytes;
    const char* logged;
};

TEST_F(UdpTransport, MalformedDatagramsAreDroppedAndReadingGoesOn)
{
    const Malformed cases[] = {
        {"empty", std::string(), "unable to deserialize stream"},
        {"one byte, a two-byte length expected", std::string(1, '\x00'), "unable to deserialize stream"},
        {"one byte, an empty stream", std::string(1, '\x08'), "truncated header"},
        {"width 200", announcingWidth(200), "invalid control id size: 200 - should be 3"},
        {"wrong width", announcingWidth(2), "invalid control id size: 2 - should be 3"},
        {"width beyond 2^31", announcingWidth(4000000000u), "invalid control id size: 4000000000 - should be 3"},
        {"more data announced than sent", std::string("\x58\x01\x02", 3), "unable to deserialize stream"},
        {"longer than the receive buffer", std::string(3000, '\x11'), "dropped datagram longer than 2048 bytes"},
    };
    platform::UdpSocket raw;
    ASSERT_TRUE(raw.open());
    uint32_t value = 100;
    for (const Malformed& c : cases) {
        SCOPED_TRACE(c.what);
        LogLines::clear();
        ASSERT_TRUE(raw.sendTo(c.bytes.data(), c.bytes.size(), {platform::kLoopbackAddress, receiver->getPort()}));
        ASSERT_TRUE(send(5, ++value));
        EXPECT_EQ(next(5), value);
        EXPECT_EQ(receiver->popPacket(5), nullptr);
        EXPECT_TRUE(LogLines::contains(c.logged));
    }
}

TEST_F(UdpTransport, RawPacketsCarryNoHeader)
{
    const char bytes[] = {'\x08'};
    EXPECT_TRUE(sender->sendRawPacket(loopback(receiver->getPort()), bytes, 1));
    ASSERT_TRUE(send(5, 9));
    EXPECT_EQ(next(5), 9u);
    EXPECT_TRUE(LogLines::contains("truncated header"));
    EXPECT_FALSE(sender->sendRawPacket(loopback(0), bytes, 1));
    EXPECT_TRUE(LogLines::contains("VNet_SocketUDP::sendRawPacket(): send failed"));
}

TEST_F(UdpTransport, BlockingHasPacketWakesForTheNextBatch)
{
    // Sent again until taken, so the blocking call cannot wait for ever.
    std::atomic<bool> taken{false};
    std::thread later([&] {
        for (int i = 0; i < 500 && !taken; ++i) {
            Vornet::Sleep(20);
            send(7, 3);
        }
    });
    EXPECT_TRUE(receiver->hasPacket(false, 7));
    taken = true;
    later.join();
    EXPECT_EQ(takeValue(receiver->popPacket(7)), 3u);
}

TEST_F(UdpTransport, BroadcastsGoToEveryListedInterface)
{
    // Only the loopback interface, so nothing leaves this machine.
    Core& core = *currentCore();
    core.localInterfaces.clear();
    core.localInterfaces.append(platform::LocalInterface{platform::kLoopbackAddress, 0x7FFFFFFF});
    core.localAddressesDiscovered = true;

    receiver->registerListener(1, true, 6000);
    // The request is answered to the requester's control id (1), which the
    // receiving side takes as well: claimed before sending, or the reader
    // may drop the request as nobody's.
    receiver->attachReceiver(1);
    VNet_Packet* request = makePacket(*sender, loopback(receiver->getPort()), 1, 5, 21,
                                      VNet_Socket::FlagDiscoverRequest);
    request->setMark(VNet_Packet::MarkDiscoverRequest);
    ASSERT_TRUE(sender->isBroadcastAvailable());
    ASSERT_TRUE(sender->sendPacket(request));

    VNet_Packet* packet = waitForPacket(*receiver, 1);
    ASSERT_NE(packet, nullptr);
    EXPECT_EQ(packet->getMark(), VNet_Packet::MarkDiscoverRequest);
    EXPECT_EQ(packet->getDiscoverRequestPort(), 6000);
    EXPECT_EQ(packet->getDestination().getPort(), sender->getPort());
    EXPECT_EQ(takeValue(packet), 21u);
}

TEST(UdpLibrary, LocalInterfacesAlwaysHoldLoopbackOnce)
{
    Vornet library;
    int loopbacks = 0;
    for (auto* node = currentCore()->getLocalInterfaces().first(); node; node = node->next) {
        if (node->payload.address == platform::kLoopbackAddress) ++loopbacks;
    }
    EXPECT_EQ(loopbacks, 1);
}

TEST(UdpLibrary, EverySocketIsWatchedHoweverMany)
{
    Vornet library;
    std::vector<VNet_Socket*> sockets;
    for (int i = 0; i < 70; ++i) {
        sockets.push_back(Vornet::requestSocket(eVNet_AddressUDP, 0, false));
        ASSERT_NE(sockets.back(), nullptr);
        sockets.back()->attachReceiver(0);
    }
    for (VNet_Socket* target : {sockets[69], sockets[64], sockets[1]}) {
        ASSERT_TRUE(sockets[0]->sendPacket(makePacket(*sockets[0], loopback(target->getPort()), 0, 0, 64)));
        EXPECT_EQ(takeValue(waitForPacket(*target, 0)), 64u);
    }
    library.Clear();
}

TEST(UdpLibrary, DestructionReturnsWhileTheReaderWaits)
{
    auto library = std::make_unique<Vornet>();
    ASSERT_NE(Vornet::requestSocket(eVNet_AddressUDP, 0, false), nullptr);
    Vornet::Sleep(20);  // the reader now waits for datagrams
    const auto started = std::chrono::steady_clock::now();
    library.reset();
    // Guards against a reader that is never told to stop, not a speed.
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(3));
}

}  // namespace
