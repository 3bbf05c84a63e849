// Connection management around the protocol: ids, groups, the class
// dictionary, socket set-up and control ids, data to groups, user data and
// statistics of unknown connections.
#include <gtest/gtest.h>

#include <memory>

#include "ControlSupport.h"
#include "platform/UdpSocket.h"
#include "vornet/src/vornet_classdict.h"
#include "vornet/src/vornet_core.h"

namespace {

using namespace control_test;

constexpr unsigned short kServerPort = 2;

class Management : public LibraryFixture {
protected:
    void SetUp() override
    {
        LibraryFixture::SetUp();
        server = std::make_unique<RecordingControl>();
        server->VNet_setDebugName("server");
        ASSERT_TRUE(server->VNet_initSockets(false, 0, kServerPort, 0));
    }
    void TearDown() override
    {
        clients.clear();
        server.reset();
        library.Clear();
    }

    // A new client on its own local port, connected to the server.
    RecordingControl& addClient()
    {
        clients.push_back(std::make_unique<RecordingControl>());
        RecordingControl& client = *clients.back();
        EXPECT_TRUE(client.VNet_initSockets(false, 0, static_cast<unsigned short>(10 + clients.size()), 0));
        client.VNet_Connect(transport_test::localPort(kServerPort), nullptr);
        pump();
        return client;
    }

    void pump(int steps = 10)
    {
        for (int i = 0; i < steps; ++i) {
            for (auto& client : clients) client->step();
            server->step();
            clock.advance(10);
        }
    }

    TestClock clock;
    std::unique_ptr<RecordingControl> server;
    std::vector<std::unique_ptr<RecordingControl>> clients;
};

// ---------------------------------------------------------------------------
// Groups

TEST(Groups, IdsSlotsAndIteration)
{
    VNet_ConnGroupManager groups;
    EXPECT_FALSE(groups.checkGroupExists(0));
    const unsigned first = groups.createGroup(0);
    const unsigned second = groups.createGroup(4);
    EXPECT_EQ(first, 1u);
    EXPECT_EQ(second, 2u);
    EXPECT_TRUE(groups.addConnection(second, 7));
    EXPECT_TRUE(groups.addConnection(second, 7));
    EXPECT_TRUE(groups.addConnection(second, 9));
    EXPECT_EQ(groups.getGroupSize(second), 3u);
    EXPECT_TRUE(groups.removeConnection(second, 7));
    EXPECT_EQ(groups.getGroupSize(second), 2u);
    EXPECT_FALSE(groups.removeConnection(second, 8));
    EXPECT_FALSE(groups.addConnection(5, 1));
    // Members come in slot order; the freed slot 0 is handed out after the
    // never-used slot 3.
    for (unsigned i = 0; i < 4; ++i) groups.addConnection(second, 20 + i);
    std::vector<unsigned> members;
    unsigned iterator = 0;
    for (unsigned id = groups.getFirstConnection(second, iterator); id; id = groups.getNextConnection(second, iterator))
        members.push_back(id);
    EXPECT_EQ(members, (std::vector<unsigned>{21, 7, 9, 20, 22, 23}));
    groups.destroyGroup(99);
    groups.destroyGroup(first);
    EXPECT_FALSE(groups.checkGroupExists(first));
    EXPECT_EQ(groups.createGroup(0), 3u) << "never-used ids come before freed ones";
    groups.Clear();
    EXPECT_FALSE(groups.checkGroupExists(0));
    EXPECT_FALSE(groups.checkGroupExists(second));
    EXPECT_EQ(groups.getGroupSize(second), 0u);
    EXPECT_EQ(groups.createGroup(0), 1u);
}

TEST_F(Management, EveryConnectionIsInGroupAllWithIdsFromOne)
{
    VNet_ConnGroupManager& groups = server->VNet_getGroupManager();
    EXPECT_TRUE(groups.checkGroupExists(VNET_CONNGROUP_ALL));
    EXPECT_EQ(groups.getGroupSize(VNET_CONNGROUP_ALL), 0u);
    addClient();
    addClient();
    unsigned iterator = 0;
    EXPECT_EQ(groups.getFirstConnection(VNET_CONNGROUP_ALL, iterator), 1u);
    EXPECT_EQ(groups.getNextConnection(VNET_CONNGROUP_ALL, iterator), 2u);
    EXPECT_EQ(groups.getNextConnection(VNET_CONNGROUP_ALL, iterator), 0u);
    EXPECT_EQ(groups.createGroup(0), 2u);

    // A closed connection leaves group 1; its id is never given again.
    clients.front()->VNet_disconnectAll(nullptr);
    pump(20);
    EXPECT_EQ(groups.getGroupSize(VNET_CONNGROUP_ALL), 1u);
    addClient();
    iterator = 0;
    EXPECT_EQ(groups.getFirstConnection(VNET_CONNGROUP_ALL, iterator), 2u);
    EXPECT_EQ(groups.getNextConnection(VNET_CONNGROUP_ALL, iterator), 3u);
}

TEST_F(Management, DataToAGroupSkipsMembersThatAreGone)
{
    RecordingControl& first = addClient();
    RecordingControl& second = addClient();
    VNet_ConnGroupManager& groups = server->VNet_getGroupManager();
    const unsigned group = groups.createGroup(0);
    groups.addConnection(group, 1);
    groups.addConnection(group, 42);
    groups.addConnection(group, 2);
    EXPECT_TRUE(server->VNet_sendDataToGroup(group, valueStream(8), eVNet_ReliableOrdered));
    EXPECT_FALSE(server->VNet_sendDataToGroup(77, valueStream(8), eVNet_ReliableOrdered));
    EXPECT_TRUE(LogLines::contains("[server]: VNet_sendDataToGroup(): group does not exist: 77"));
    pump();
    EXPECT_TRUE(LogLines::contains("[server]: VNet_sendDataToGroup(): invalid connection 42 in group " +
                                   std::to_string(group)));
    EXPECT_EQ(first.data, (std::vector<uint32_t>{8}));
    EXPECT_EQ(second.data, (std::vector<uint32_t>{8}));
}

// ---------------------------------------------------------------------------
// Unknown ids and per-connection values

TEST_F(Management, CallsOnUnknownIdsFailQuietly)
{
    addClient();
    server->VNet_setUserData(1, this);
    EXPECT_EQ(server->VNet_getUserData(1), this);
    server->VNet_setUserData(9, this);
    EXPECT_EQ(server->VNet_getUserData(9), nullptr);
    EXPECT_EQ(server->VNet_getPeer(9), nullptr);
    EXPECT_FALSE(server->VNet_sendData(9, valueStream(1), eVNet_ReliableOrdered));
    EXPECT_FALSE(server->VNet_Disconnect(9, valueStream(1)));
    EXPECT_FALSE(server->VNet_requestVornMode(9, 1));
    server->VNet_requestDownstreamLimit(9, 10, 10);
    server->VNet_simulateLag(9, 10);
    server->VNet_simulateLoss(9, 0.5f);
    const VNet_ConnStats& unknown = server->VNet_getConnectionStats(9);
    EXPECT_EQ(unknown.totalBytesSent, 0u);
    EXPECT_EQ(unknown.lastReceiveTime, 0u);
    const VNet_ConnStats& known = server->VNet_getConnectionStats(1);
    EXPECT_GT(known.totalBytesReceived, 0u);
    EXPECT_GT(known.packetsReceivedLastSecond + known.packetsReceivedThisSecond, 0u);
}

TEST_F(Management, LagDelaysEveryPacketButStillDelivers)
{
    RecordingControl& client = addClient();
    server->VNet_simulateLag(0, 200);
    ASSERT_TRUE(server->VNet_sendData(1, valueStream(4), eVNet_ReliableOrdered));
    pump(15);  // 150 ms
    EXPECT_TRUE(client.data.empty());
    pump(10);
    EXPECT_EQ(client.data, (std::vector<uint32_t>{4}));
}

TEST_F(Management, ClosingALocalConnectionNeedsNoRedistribution)
{
    RecordingControl& client = addClient();
    pump(120);
    ASSERT_TRUE(LogLines::contains("[server]: new outgoing bandwidth for 1: 200 bpp / 15 pps"));
    LogLines::clear();
    client.VNet_disconnectAll(nullptr);
    pump(240);
    EXPECT_FALSE(LogLines::contains("new outgoing bandwidth"));
}

// ---------------------------------------------------------------------------
// Class dictionary

TEST(ClassDictionary, IdsNamesAndFlags)
{
    Vornet_Private::VNet_ClassDict dict(true);
    EXPECT_EQ(dict.getClassCount(), 1u) << "id 0 is reserved";
    EXPECT_EQ(dict.addLocalClass("VN3T", 0), 1u);
    EXPECT_EQ(dict.addLocalClass("Ship", 1), 2u);
    EXPECT_EQ(dict.addLocalClass("Ship", 0), 0u);
    EXPECT_EQ(dict.findClass("ship"), 0u);
    EXPECT_EQ(dict.getClassFlags(2), 1u);
    EXPECT_EQ(dict.getClassName(3), nullptr);
    Vornet_Private::VNet_ClassDict anyNames(false);
    anyNames.addLocalClass("a", 0);
    EXPECT_EQ(anyNames.addLocalClass("a", 0), 2u);
}

TEST_F(Management, ControlRegistersClassesAfterItsOwn)
{
    EXPECT_STREQ(server->VNet_getClassName(1), "VN3T");
    EXPECT_EQ(server->VNet_registerClass("Ship", 0xFF), 2u);
    EXPECT_EQ(server->VNet_registerClass("Ship", 0), 0u);
    EXPECT_TRUE(LogLines::contains("a class with this name already exists: Ship"));
    EXPECT_EQ(server->VNet_registerClass("", 0), 0u);
    EXPECT_EQ(server->VNet_registerClass(nullptr, 0), 0u);
    EXPECT_TRUE(LogLines::contains("VNet_Control::VNet_registerClass(): no name given"));
    EXPECT_EQ(server->VNet_getClassID("Ship"), 2u);
    EXPECT_EQ(server->VNet_getClassID("SHIP"), 0u);
    EXPECT_TRUE(LogLines::contains("[server]: VNet_getClassID(): unknown class: SHIP "));
}

// The width of class ids that a request announces follows the number of
// classes.
struct WidthCase {
    int applicationClasses;
    uint32_t width;
};

class ClassIdWidth : public Management, public ::testing::WithParamInterface<WidthCase> {};

TEST_P(ClassIdWidth, CountsEveryClassAndTheReservedId)
{
    ScriptedPeer acceptor(9, 20);
    RecordingControl opener;
    ASSERT_TRUE(opener.VNet_initSockets(false, 0, 20, 0));
    for (int i = 0; i < GetParam().applicationClasses; ++i)
        opener.VNet_registerClass(("Class" + std::to_string(i)).c_str(), 0);
    opener.VNet_Connect(transport_test::localPort(9), nullptr);
    opener.step();
    Wire request;
    VNet_BitStream* body = nullptr;
    ASSERT_TRUE(acceptor.receive(&request, &body));
    ASSERT_EQ(request.kind, 2);
    EXPECT_EQ(request.ackFirst, 8) << "nothing received yet";
    EXPECT_EQ(request.ackBits, 0xFF);
    for (int i = 0; i < 7; ++i) body->getBool();
    EXPECT_EQ(body->getInt(16), 3u);
    EXPECT_TRUE(body->getBool());
    EXPECT_EQ(body->getInt(16), 15u);
    EXPECT_EQ(body->getInt(16), 200u);
    EXPECT_EQ(body->getInt(5), GetParam().width);
    delete body;
}

INSTANTIATE_TEST_SUITE_P(Classes, ClassIdWidth,
                         ::testing::Values(WidthCase{0, 2}, WidthCase{1, 2}, WidthCase{2, 3}, WidthCase{6, 4}));

// ---------------------------------------------------------------------------
// Sockets and control ids

TEST_F(Management, ControlIdMustFitTheSocketsWidth)
{
    RecordingControl narrow;
    ASSERT_TRUE(narrow.VNet_initSockets(true, 0, 0, 2));
    narrow.VNet_setDebugName("narrow");
    narrow.VNet_setControlID(3);
    narrow.VNet_setControlID(4);
    EXPECT_TRUE(LogLines::contains("[narrow]: setControlIDSize(): id does not fit into control_id_size: 4"));
    RecordingControl none;
    ASSERT_TRUE(none.VNet_initSockets(true, 0, 0, 0));
    LogLines::clear();
    none.VNet_setControlID(1);
    EXPECT_TRUE(LogLines::contains("id does not fit into control_id_size: 1"));
}

TEST_F(Management, SharedUdpPortNeedsOneWidth)
{
    RecordingControl first;
    RecordingControl second;
    platform::UdpSocket probe;
    ASSERT_TRUE(probe.open() && probe.bind(platform::kLoopbackAddress, 0));
    const unsigned short port = probe.localPort();
    probe.close();
    ASSERT_TRUE(first.VNet_initSockets(true, port, 0, 2));
    EXPECT_FALSE(second.VNet_initSockets(true, port, 0, 3));
    EXPECT_TRUE(LogLines::contains("SocketUDP already initialized with a different controlIDsize"));
    second.VNet_setControlID(7);  // no UDP socket: nothing to check against
    VNet_Address anywhere = transport_test::loopback(port);
    EXPECT_FALSE(second.VNet_sendDataRaw(anywhere, nullptr, 0));
}

TEST_F(Management, DeprecatedStreamCallsStillWork)
{
    VNet_BitStream* stream = VNet_Control::VNet_createBitStream();
    ASSERT_NE(stream, nullptr);
    EXPECT_TRUE(LogLines::contains("VNet_createBitStream is deprecated"));
    VNet_Control::VNet_deleteBitStream(stream);
    EXPECT_TRUE(LogLines::contains("VNet_deleteBitStream is deprecated"));
    EXPECT_EQ(VNet_Control::VNet_getCurrentTime(), Vornet::getTime());
    EXPECT_EQ(server->VNet_getNode(1), nullptr);
}

TEST(ControlWithoutSockets, DoesNothingOnTheNetwork)
{
    Vornet library;
    ASSERT_TRUE(library.Init());
    RecordingControl control;
    control.step();
    control.VNet_processInput(eVNet_Block);  // no UDP socket: nothing to wait for
    EXPECT_EQ(control.VNet_Connect(transport_test::localPort(5), nullptr), 0u);
    control.Shutdown();
    EXPECT_EQ(control.VNet_registerClass("x", 0), 0u);
    EXPECT_EQ(control.VNet_getPeer(1), nullptr);
}

}  // namespace
