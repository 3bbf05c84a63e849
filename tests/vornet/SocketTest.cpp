// Datagram header, local sockets, the socket registry and the discovery
// table of UDP sockets.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "TransportSupport.h"
#include "vornet/src/vornet_core.h"
#include "vornet/src/vornet_socket_local.h"
#include "vornet/src/vornet_socket_udp.h"

namespace {

using namespace transport_test;
using Vornet_Private::Core;
using Vornet_Private::currentCore;

class Sockets : public ::testing::Test {
protected:
    void SetUp() override
    {
        LogLines::clear();
        ASSERT_TRUE(library.Init());
    }
    void TearDown() override { library.Clear(); }

    VNet_SocketUDP* udp(unsigned char width)
    {
        auto* socket = static_cast<VNet_SocketUDP*>(Vornet::requestSocket(eVNet_AddressUDP, 0, false));
        if (socket) socket->setControlIDSize(width);
        return socket;
    }
    VNet_SocketLocal* local(unsigned short port, unsigned char width)
    {
        auto* socket = static_cast<VNet_SocketLocal*>(Vornet::requestSocket(eVNet_AddressLocal, port, false));
        socket->setControlIDSize(width);
        return socket;
    }

    Vornet library{LogLines::capture};
};

// ---------------------------------------------------------------------------
// Datagram header

struct Item {
    bool isBool;
    unsigned bits;  // for integers
    uint32_t value;
};

Item flag(bool value)
{
    return {true, 1, value};
}
Item integer(unsigned bits, uint32_t value)
{
    return {false, bits, value};
}
// Stands for the sending socket's port.
constexpr uint32_t kOwnPort = 0xFFFFFFFF;

struct HeaderCase {
    const char* what;
    unsigned char width;
    uint32_t flags;
    uint8_t source;
    uint8_t destination;
    std::vector<Item> items;
    VNet_Packet::Mark parsedMark;  // with a listener registered for the source
};

const std::vector<HeaderCase>& headerCases()
{
    static const std::vector<HeaderCase> cases = {
        {"plain, width 0", 0, 0, 0, 0, {flag(false)}, VNet_Packet::MarkNone},
        {"plain, width 3", 3, 0, 2, 5, {flag(false), integer(3, 5), integer(3, 2)}, VNet_Packet::MarkNone},
        {"connection request, width 3", 3, 8, 2, 5,
         {flag(true), flag(true), integer(32, 3), integer(3, 5), integer(3, 2), flag(false)}, VNet_Packet::MarkNone},
        {"connection request, width 0", 0, 8, 0, 0, {flag(true), flag(true), integer(32, 0), flag(false)},
         VNet_Packet::MarkNone},
        {"discovery request, width 3", 3, 1, 2, 5,
         {flag(true), flag(true), integer(32, 3), integer(3, 5), integer(3, 2), flag(true), flag(true), integer(3, 2),
          integer(16, kOwnPort)},
         VNet_Packet::MarkDiscoverRequest},
        {"discovery request, width 0", 0, 1, 0, 0,
         {flag(true), flag(true), integer(32, 0), flag(true), flag(true), integer(16, kOwnPort)},
         VNet_Packet::MarkDiscoverRequest},
        {"discovery answer, width 3", 3, 2, 0, 5,
         {flag(true), flag(false), integer(3, 5), integer(3, 0), flag(true), flag(false)},
         VNet_Packet::MarkDiscoverAnswer},
        {"request and answer flags: the request rules", 3, 3, 1, 4,
         {flag(true), flag(true), integer(32, 3), integer(3, 4), integer(3, 1), flag(true), flag(true), integer(3, 1),
          integer(16, kOwnPort)},
         VNet_Packet::MarkDiscoverRequest},
    };
    return cases;
}

TEST_F(Sockets, HeaderItemsForEachFlagCombination)
{
    for (const HeaderCase& c : headerCases()) {
        SCOPED_TRACE(c.what);
        VNet_SocketUDP* socket = udp(c.width);
        ASSERT_NE(socket, nullptr);
        VNet_Packet packet(static_cast<unsigned short>(64));
        ASSERT_TRUE(socket->addPacketHeader(&packet, c.source, c.destination, c.flags));
        if (c.width > 0) {
            EXPECT_EQ(packet.getSource().getControlID(), c.source);
        }

        VNet_BitStream& stream = *packet.getStream();
        unsigned expectedBits = 0;
        for (const Item& item : c.items) {
            const uint32_t value = item.value == kOwnPort ? socket->getPort() : item.value;
            if (item.isBool) {
                EXPECT_EQ(stream.getBool(), value != 0);
                expectedBits += 1 + VNet_BitStream::getTagOverheadBool();
            } else {
                EXPECT_EQ(stream.getInt(static_cast<unsigned char>(item.bits)), value);
                expectedBits += item.bits + VNet_BitStream::getTagOverheadInt();
            }
        }
        EXPECT_EQ(stream.getBitCount(), expectedBits);
        Vornet::releaseSocket(socket);
    }
}

// Serialises the packet's stream and reads it back as the reader would.
std::unique_ptr<VNet_Packet> received(VNet_Packet& sent, VNet_SocketUDP& at, unsigned short fromPort)
{
    char bytes[2048];
    unsigned short size = static_cast<unsigned short>(sent.getSize());
    EXPECT_TRUE(sent.getStream()->Serialize(bytes, &size, size));
    auto packet = std::make_unique<VNet_Packet>(static_cast<unsigned short>(size));
    EXPECT_TRUE(packet->getStream()->Deserialize(bytes, size));
    packet->setSource(loopback(fromPort));
    if (!at.parseHeader(packet.get())) return nullptr;
    return packet;
}

TEST_F(Sockets, HeadersParseBackOnASocketOfTheSameWidth)
{
    for (const HeaderCase& c : headerCases()) {
        SCOPED_TRACE(c.what);
        VNet_SocketUDP* sender = udp(c.width);
        VNet_SocketUDP* receiver = udp(c.width);
        receiver->registerListener(c.source, true, 4321);

        VNet_Packet packet(static_cast<unsigned short>(64));
        ASSERT_TRUE(sender->addPacketHeader(&packet, c.source, c.destination, c.flags));
        if (c.flags == VNet_Socket::FlagDiscoverAnswer) packet.getStream()->addInt(5555, 16);
        packet.getStream()->addInt(0xABCD, 16);

        auto parsed = received(packet, *receiver, 9999);
        ASSERT_NE(parsed, nullptr);
        EXPECT_EQ(parsed->getMark(), c.parsedMark);
        EXPECT_EQ(parsed->getSource().getControlID(), c.source);
        // The rest of the stream is the payload.
        EXPECT_EQ(parsed->getStream()->getInt(16), 0xABCDu);
        switch (c.parsedMark) {
        case VNet_Packet::MarkDiscoverRequest:
            // The reply goes to the requester's socket and control.
            EXPECT_EQ(parsed->getDestination().getPort(), sender->getPort());
            EXPECT_EQ(parsed->getDestination().getIP(), 0x7F000001u);
            EXPECT_EQ(parsed->getDestination().getControlID(), c.source);
            EXPECT_EQ(parsed->getDiscoverRequestPort(), 4321);
            break;
        case VNet_Packet::MarkDiscoverAnswer:
            EXPECT_EQ(parsed->getSource().getPort(), 5555);
            EXPECT_EQ(parsed->getDestination().getControlID(), c.destination);
            break;
        default:
            EXPECT_EQ(parsed->getSource().getPort(), 9999);
            EXPECT_EQ(parsed->getDestination().getControlID(), c.destination);
        }
        Vornet::releaseSocket(sender);
        Vornet::releaseSocket(receiver);
    }
}

TEST_F(Sockets, HeadersWithAnotherWidthOrCutShortAreRefused)
{
    VNet_SocketUDP* narrow = udp(2);
    VNet_SocketUDP* wide = udp(3);
    VNet_Packet request(static_cast<unsigned short>(64));
    narrow->addPacketHeader(&request, 1, 1, VNet_Socket::FlagConnectionRequest);
    EXPECT_EQ(received(request, *wide, 1), nullptr);
    EXPECT_TRUE(LogLines::contains("received UDP packet with invalid control id size: 2 - should be 3"));

    VNet_Packet cut(static_cast<unsigned short>(64));
    cut.getStream()->addBool(false);  // plain header, the ids missing
    EXPECT_EQ(received(cut, *wide, 1), nullptr);
    EXPECT_TRUE(LogLines::contains("received UDP packet with a truncated header"));
}

TEST_F(Sockets, DiscoveryListenersAreCountedPerControlId)
{
    VNet_SocketUDP* requester = udp(3);
    VNet_SocketUDP* listener = udp(3);
    auto marks = [&](uint8_t controlId) {
        VNet_Packet request(static_cast<unsigned short>(64));
        requester->addPacketHeader(&request, controlId, 0, VNet_Socket::FlagDiscoverRequest);
        auto parsed = received(request, *listener, 1);
        return parsed ? parsed->getMark() : VNet_Packet::Mark(-1);
    };
    EXPECT_EQ(marks(2), VNet_Packet::MarkNone);  // nobody listens: an ordinary packet

    listener->registerListener(2, true, 700);
    listener->registerListener(2, true, 700);
    listener->registerListener(2, false, 0);
    EXPECT_EQ(marks(2), VNet_Packet::MarkDiscoverRequest);
    EXPECT_EQ(marks(3), VNet_Packet::MarkNone);

    listener->registerListener(2, false, 0);
    EXPECT_EQ(marks(2), VNet_Packet::MarkNone);
    uint16_t port = 1;
    EXPECT_FALSE(listener->findListener(2, &port));

    listener->registerListener(2, false, 0);
    EXPECT_TRUE(LogLines::contains("tried to remove unused: 2"));
}

TEST_F(Sockets, WithoutControlIdsAnyListenerAnswers)
{
    VNet_SocketUDP* socket = udp(0);
    socket->registerListener(9, true, 801);  // the id counts as 0
    uint16_t port = 0;
    EXPECT_TRUE(socket->findListener(0, &port));
    EXPECT_EQ(port, 801);
    socket->registerListener(4, false, 0);
    EXPECT_FALSE(socket->findListener(0, &port));
}

TEST_F(Sockets, HeaderNeedsAStream)
{
    VNet_SocketUDP* socket = udp(0);
    VNet_SocketLocal* localSocket = local(1, 0);
    VNet_Packet empty(static_cast<VNet_BitStream*>(nullptr));
    EXPECT_FALSE(socket->addPacketHeader(&empty, 0, 0, 0));
    EXPECT_TRUE(LogLines::contains("VNet_Socket::addPacketHeader(): no data in packet!"));
    EXPECT_FALSE(localSocket->addPacketHeader(&empty, 0, 0, 0));
    EXPECT_TRUE(LogLines::contains("VNet_SocketLocal::addPacketHeader(): no data in packet!"));
    EXPECT_EQ(empty.getSize(), 0u);
}

// ---------------------------------------------------------------------------
// Local sockets

TEST_F(Sockets, LocalPacketsReachTheControlTheyAreAddressedTo)
{
    VNet_SocketLocal* sender = local(1, 8);
    VNet_SocketLocal* receiver = local(2, 8);
    receiver->attachReceiver(200);
    ASSERT_TRUE(sender->sendPacket(makePacket(*sender, localPort(2), 3, 200, 77)));
    EXPECT_TRUE(receiver->hasPacket(false, 200));
    EXPECT_FALSE(receiver->hasPacket(true, 199));
    VNet_Packet* packet = receiver->popPacket(200);
    ASSERT_NE(packet, nullptr);
    EXPECT_EQ(packet->getSource().getType(), eVNet_AddressLocal);
    EXPECT_EQ(packet->getSource().getPort(), 1);
    EXPECT_EQ(packet->getSource().getControlID(), 3);  // the sender's id stays
    EXPECT_NE(packet->getTime(), 0u);
    EXPECT_EQ(takeValue(packet), 77u);
    EXPECT_EQ(receiver->popPacket(200), nullptr);
}

TEST_F(Sockets, PopTakesTheOldestPacketOfItsControlAndLeavesTheOthersInOrder)
{
    VNet_SocketLocal* sender = local(1, 3);
    VNet_SocketLocal* receiver = local(2, 3);
    receiver->attachReceiver(5);
    receiver->attachReceiver(7);
    const uint8_t ids[] = {5, 7, 5, 7, 5};
    for (uint32_t i = 0; i < 5; ++i) ASSERT_TRUE(sender->sendPacket(makePacket(*sender, localPort(2), 1, ids[i], i)));
    EXPECT_EQ(takeValue(receiver->popPacket(7)), 1u);
    EXPECT_EQ(takeValue(receiver->popPacket(5)), 0u);
    EXPECT_EQ(takeValue(receiver->popPacket(5)), 2u);
    EXPECT_EQ(takeValue(receiver->popPacket(7)), 3u);
    EXPECT_EQ(takeValue(receiver->popPacket(5)), 4u);
    EXPECT_EQ(receiver->popPacket(5), nullptr);
}

TEST_F(Sockets, LocalSendAlwaysConsumesThePacket)
{
    VNet_SocketLocal* sender = local(1, 3);
    VNet_SocketLocal* receiver = local(2, 3);
    // No local socket on that port: refused, and the packet is gone (the
    // sanitizer build would report it otherwise).
    EXPECT_FALSE(sender->sendPacket(makePacket(*sender, localPort(99), 1, 5, 0)));
    // Nobody receives control id 5 there: dropped on arrival.
    EXPECT_TRUE(sender->sendPacket(makePacket(*sender, localPort(2), 1, 5, 0)));
    EXPECT_FALSE(receiver->hasPacket(true, 5));
    receiver->attachReceiver(5);
    EXPECT_EQ(receiver->popPacket(5), nullptr);
}

TEST_F(Sockets, ADuplicateGoesThroughASecondSocket)
{
    VNet_SocketLocal* sender = local(1, 3);
    VNet_SocketLocal* first = local(2, 3);
    VNet_SocketLocal* second = local(3, 3);
    first->attachReceiver(5);
    second->attachReceiver(5);

    VNet_Packet* packet = makePacket(*sender, localPort(2), 1, 5, 31);
    packet->setKind(4);
    packet->setMode(1);
    VNet_Packet* copy = packet->duplicate();
    ASSERT_NE(copy, nullptr);
    ASSERT_TRUE(sender->sendPacket(packet));
    // The copy stays whole while the original sits in another queue.
    copy->getDestination().setPort(3);
    ASSERT_TRUE(sender->sendPacket(copy));
    for (VNet_SocketLocal* receiver : {first, second}) {
        VNet_Packet* received = receiver->popPacket(5);
        ASSERT_NE(received, nullptr);
        EXPECT_EQ(received->getKind(), 4);
        EXPECT_EQ(received->getMode(), 1);
        EXPECT_EQ(takeValue(received), 31u);
    }
}

// Packets and streams come back from a socket's spares as new: nothing of
// their last use may reach the wire or the next reader.
TEST_F(Sockets, RecycledPacketsAndStreamsAreAsNew)
{
    VNet_SocketLocal* socket = local(1, 3);
    Vornet_Private::PacketPool& pool = socket->packets();
    VNet_Packet* used = pool.makePacket(64);
    ASSERT_NE(used, nullptr);
    VNet_BitStream* stream = used->getStream();
    for (int i = 0; i < 40; ++i) stream->addInt(0xFFFFFFFFu, 32);
    // Bits past the fill position after going back stay in the buffer.
    stream->restoreWriteState({0, 2});
    stream->getInt(5);
    stream->setFlag(VNET_BS_LOCKED_FLAG | VNET_BS_NODUPLICATE_FLAG, true);
    used->getSource().setPort(77);
    used->getDestination().setControlID(4);
    used->setTime(123);
    used->setMark(VNet_Packet::MarkDiscoverAnswer);
    used->setMode(1);
    used->setKind(10);
    pool.recycle(used);

    VNet_Packet* packet = pool.makePacket(16);
    ASSERT_NE(packet, nullptr);
    EXPECT_EQ(packet->getSource().getPort(), 0);
    EXPECT_EQ(packet->getDestination().getControlID(), 0);
    EXPECT_EQ(packet->getTime(), 0u);
    EXPECT_EQ(packet->getMark(), VNet_Packet::MarkNone);
    EXPECT_EQ(packet->getMode(), 0);
    EXPECT_EQ(packet->getKind(), 0);
    EXPECT_EQ(packet->getHeaderStream(), nullptr);
    VNet_BitStream& reused = *packet->getStream();
    VNet_BitStream fresh(16);
    EXPECT_EQ(reused.getFlags(), 0);
    EXPECT_EQ(reused.getBitCount(), 0u);
    EXPECT_EQ(reused.checkMax(15 * 8), fresh.checkMax(15 * 8));
    EXPECT_EQ(reused.checkMax(16 * 8), fresh.checkMax(16 * 8));
    EXPECT_FALSE(reused.endOfStream());
    for (VNet_BitStream* s : {&reused, &fresh}) s->addInt(5, 3);
    char reusedBytes[8] = {};
    char freshBytes[8] = {};
    unsigned short reusedSize = sizeof reusedBytes;
    unsigned short freshSize = sizeof freshBytes;
    ASSERT_TRUE(reused.Serialize(reusedBytes, &reusedSize, sizeof reusedBytes));
    ASSERT_TRUE(fresh.Serialize(freshBytes, &freshSize, sizeof freshBytes));
    ASSERT_EQ(reusedSize, freshSize);
    EXPECT_EQ(std::vector<char>(reusedBytes, reusedBytes + reusedSize),
              std::vector<char>(freshBytes, freshBytes + freshSize));
    pool.recycle(packet);
    Vornet::releaseSocket(socket);
}

TEST_F(Sockets, DetachingTheLastReceiverDropsItsQueuedPackets)
{
    VNet_SocketLocal* sender = local(1, 3);
    VNet_SocketLocal* receiver = local(2, 3);
    receiver->attachReceiver(5);
    receiver->attachReceiver(5);
    receiver->attachReceiver(6);
    sender->sendPacket(makePacket(*sender, localPort(2), 1, 5, 50));
    sender->sendPacket(makePacket(*sender, localPort(2), 1, 6, 60));
    receiver->detachReceiver(5);
    EXPECT_TRUE(receiver->hasPacket(true, 5));  // one claim on 5 remains
    receiver->detachReceiver(5);
    EXPECT_FALSE(receiver->hasPacket(true, 5));
    EXPECT_EQ(takeValue(receiver->popPacket(6)), 60u);
}

TEST_F(Sockets, WithoutControlIdsEveryPacketIsForControlZero)
{
    VNet_SocketLocal* sender = local(1, 0);
    VNet_SocketLocal* receiver = local(2, 0);
    receiver->attachReceiver(0);
    ASSERT_TRUE(sender->sendPacket(makePacket(*sender, localPort(2), 4, 9, 11)));
    EXPECT_TRUE(receiver->hasPacket(true, 3));
    EXPECT_EQ(takeValue(receiver->popPacket(3)), 11u);
}

TEST_F(Sockets, WithoutControlIdsAControlOfAnyIdReceives)
{
    VNet_SocketLocal* sender = local(1, 0);
    VNet_SocketLocal* receiver = local(2, 0);
    receiver->attachReceiver(5);
    ASSERT_TRUE(sender->sendPacket(makePacket(*sender, localPort(2), 4, 9, 11)));
    EXPECT_EQ(takeValue(receiver->popPacket(5)), 11u);
    // The last claim withdrawn, nothing is kept for nobody.
    ASSERT_TRUE(sender->sendPacket(makePacket(*sender, localPort(2), 4, 9, 12)));
    receiver->detachReceiver(5);
    EXPECT_FALSE(receiver->hasPacket(true, 5));
}

// ---------------------------------------------------------------------------
// Registry

TEST_F(Sockets, UdpSocketsAreSharedByPortAndCounted)
{
    VNet_Socket* first = Vornet::requestSocket(eVNet_AddressUDP, 0, true);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->getType(), eVNet_AddressUDP);
    const unsigned short port = first->getPort();
    EXPECT_NE(port, 0);

    VNet_Socket* second = Vornet::requestSocket(eVNet_AddressUDP, port, true);
    EXPECT_EQ(second, first);
    EXPECT_EQ(first->getReferenceCount(), 2);
    EXPECT_EQ(Vornet::requestSocket(eVNet_AddressUDP, port, false), nullptr);
    EXPECT_EQ(first->getReferenceCount(), 2);

    Core& core = *currentCore();
    Vornet::releaseSocket(first);
    EXPECT_EQ(first->getReferenceCount(), 1);
    EXPECT_EQ(core.sockets[Core::SocketUDP].count(), 1);
    Vornet::releaseSocket(first);
    EXPECT_EQ(core.sockets[Core::SocketUDP].count(), 0);
    EXPECT_FALSE(LogLines::contains("socket not found"));
}

TEST_F(Sockets, EachLocalRequestMakesANewSocket)
{
    VNet_Socket* first = Vornet::requestSocket(eVNet_AddressLocal, 7, true);
    VNet_Socket* second = Vornet::requestSocket(eVNet_AddressLocal, 7, true);
    ASSERT_NE(first, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(first->getPort(), 7);
    EXPECT_EQ(first->getType(), eVNet_AddressLocal);
    EXPECT_EQ(first->getReferenceCount(), 1);
}

TEST_F(Sockets, ReleasingWhatTheRegistryDoesNotHoldChangesNothing)
{
    VNet_SocketLocal stranger(5);
    Vornet::releaseSocket(&stranger);
    EXPECT_TRUE(LogLines::contains("Vornet::releaseSocket(): socket not found"));
    Vornet::releaseSocket(nullptr);
    EXPECT_EQ(Vornet::requestSocket(eVNet_AddressType(1), 5, true), nullptr);
}

TEST_F(Sockets, ClearDestroysEverySocketWhateverItsUsers)
{
    Vornet::requestSocket(eVNet_AddressLocal, 1, false);
    VNet_Socket* shared = Vornet::requestSocket(eVNet_AddressUDP, 0, true);
    Vornet::requestSocket(eVNet_AddressUDP, shared->getPort(), true);
    library.Clear();
    for (const auto& list : currentCore()->sockets) EXPECT_EQ(list.count(), 0);
}

TEST(Registry, WorksOnlyWhileALibraryObjectExists)
{
    EXPECT_EQ(Vornet::requestSocket(eVNet_AddressUDP, 0, true), nullptr);
    VNet_Socket* socket = nullptr;
    {
        Vornet library;
        socket = Vornet::requestSocket(eVNet_AddressUDP, 0, true);
        ASSERT_NE(socket, nullptr);
        // The library object goes without Clear: it takes the socket along.
    }
    // A late release, as from a control that outlived the library object,
    // must not touch the socket.
    Vornet::releaseSocket(socket);
}

}  // namespace
