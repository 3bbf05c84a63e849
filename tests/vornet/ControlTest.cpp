// Two controls in one process over in-process sockets, with the library
// clock under the test's hand: handshake outcomes, disconnects, time-outs,
// application data, levels and management calls.
#include <gtest/gtest.h>

#include <memory>

#include "ControlSupport.h"
#include "vornet/src/vornet_core.h"

namespace {

using namespace control_test;

constexpr unsigned short kServerPort = 2;
constexpr unsigned short kClientPort = 1;
constexpr unsigned short kScriptPort = 9;

class Controls : public LibraryFixture {
protected:
    void SetUp() override
    {
        LibraryFixture::SetUp();
        Vornet_Private::setConnectionTimeout(1000);
        server = std::make_unique<RecordingControl>();
        client = std::make_unique<RecordingControl>();
        server->VNet_setDebugName("server");
        client->VNet_setDebugName("client");
        ASSERT_TRUE(server->VNet_initSockets(false, 0, kServerPort, 0));
        ASSERT_TRUE(client->VNet_initSockets(false, 0, kClientPort, 0));
    }
    void TearDown() override
    {
        client.reset();
        server.reset();
        Vornet_Private::setConnectionTimeout(20000);
        library.Clear();
        // Both builds read what they wrote, item for item.
        EXPECT_FALSE(LogLines::contains("Assertion"));
        EXPECT_FALSE(LogLines::contains("Asymmetrical"));
    }

    // Both controls take a few steps, 10 ms apart.
    void pump(int steps = 10, uint32_t ms = 10)
    {
        for (int i = 0; i < steps; ++i) {
            client->step();
            server->step();
            clock.advance(ms);
        }
    }

    unsigned connect(uint32_t requestValue = 0)
    {
        return client->VNet_Connect(transport_test::localPort(kServerPort),
                                    requestValue ? valueStream(requestValue) : nullptr);
    }

    TestClock clock;
    std::unique_ptr<RecordingControl> server;
    std::unique_ptr<RecordingControl> client;
};

// ---------------------------------------------------------------------------
// Handshake outcomes

struct HandshakeCase {
    const char* name;
    bool accept;
    uint32_t reply;
    unsigned clientResult;
    int established;
};

class Handshake : public Controls, public ::testing::WithParamInterface<HandshakeCase> {};

TEST_P(Handshake, EachSideHearsItsOutcome)
{
    const HandshakeCase& c = GetParam();
    server->acceptRequests = c.accept;
    server->replyValue = c.reply;
    const unsigned id = connect(0x1234);
    ASSERT_EQ(id, 1u);
    pump();

    const Event* request = server->find("request");
    ASSERT_NE(request, nullptr);
    EXPECT_EQ(request->id, 1u);
    EXPECT_TRUE(request->hasValue);
    EXPECT_EQ(request->value, 0x1234u);

    const Event* result = client->find("result");
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(result->id, id);
    EXPECT_EQ(result->code, c.clientResult);
    EXPECT_EQ(result->hasValue, c.reply != 0);
    if (c.reply) {
        EXPECT_EQ(result->value, c.reply);
    }
    EXPECT_EQ(client->count("result"), 1);
    EXPECT_EQ(server->count("established"), c.established);
    EXPECT_EQ(server->count("closed") + client->count("closed"), 0);
    EXPECT_EQ(client->VNet_getPeer(id) != nullptr, c.accept);
}

INSTANTIATE_TEST_SUITE_P(Outcomes, Handshake,
                         ::testing::Values(HandshakeCase{"accept", true, 0, eVNet_ConnectAccepted, 1},
                                           HandshakeCase{"acceptWithReply", true, 77, eVNet_ConnectAccepted, 1},
                                           HandshakeCase{"denyWithReply", false, 99, eVNet_ConnectDenied, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Controls, DeniedConnectionsAreRemovedOnBothSides)
{
    server->acceptRequests = false;
    const unsigned id = connect();
    pump(20);
    EXPECT_EQ(client->VNet_getPeer(id), nullptr);
    EXPECT_EQ(server->VNet_getPeer(1), nullptr);
    EXPECT_EQ(server->VNet_getGroupManager().getGroupSize(VNET_CONNGROUP_ALL), 0u);
}

TEST_F(Controls, ConnectingToNobodyTimesOutAtTheBoundary)
{
    // A socket that takes the request and never answers.
    ScriptedPeer silent(kScriptPort, kClientPort);
    const unsigned id = client->VNet_Connect(transport_test::localPort(kScriptPort), nullptr);
    ASSERT_NE(id, 0u);
    client->step();
    // The request was sent at this time; the time-out counts from it.
    clock.advance(1000);
    client->step();
    EXPECT_EQ(client->count("result"), 0) << "exactly the time-out has passed, not more";
    clock.advance(1);
    client->step();
    const Event* result = client->find("result");
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(result->code, unsigned(eVNet_ConnectTimedOut));
    EXPECT_EQ(client->VNet_getPeer(id), nullptr);
    // It kept asking while it waited.
    int requests = 0;
    for (const Wire& wire : silent.drain()) requests += wire.kind == 2;
    EXPECT_GT(requests, 1);
}

TEST_F(Controls, UnresolvableHostReportsLater)
{
    ASSERT_TRUE(client->VNet_initSockets(true, 0, kClientPort, 0));
    VNet_Address address;
    ASSERT_TRUE(address.setAddress(eVNet_AddressUDP, 0, "no-such-host.invalid:4000"));
    const unsigned id = client->VNet_Connect(address, nullptr);
    ASSERT_NE(id, 0u) << "the failure arrives later";
    for (int i = 0; i < 1000 && client->count("result") == 0; ++i) {
        client->step();
        Vornet::Sleep(10);
    }
    const Event* result = client->find("result");
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(result->code, unsigned(eVNet_ConnectUnresolved));
}

TEST_F(Controls, DisconnectWhileTheNameIsLookedUpEndsAtOnce)
{
    ASSERT_TRUE(client->VNet_initSockets(true, 0, kClientPort, 0));
    VNet_Address address;
    ASSERT_TRUE(address.setAddress(eVNet_AddressUDP, 0, "localhost:4000"));
    const unsigned id = client->VNet_Connect(address, nullptr);
    ASSERT_NE(id, 0u);
    EXPECT_TRUE(client->VNet_Disconnect(id, valueStream(1)));
    client->step();
    EXPECT_EQ(client->VNet_getPeer(id), nullptr) << "nothing was sent: nobody to tell";
    for (int i = 0; i < 50; ++i) {
        client->step();
        clock.advance(10);
    }
    EXPECT_EQ(client->count("result") + client->count("closed"), 0) << "the application ended it itself";
}

TEST_F(Controls, ConnectWithoutAddressFailsAtOnce)
{
    ASSERT_TRUE(client->VNet_initSockets(true, 0, kClientPort, 0));
    VNet_Address nowhere;
    nowhere.setType(eVNet_AddressUDP);
    nowhere.setPort(4000);
    EXPECT_EQ(client->VNet_Connect(nowhere, valueStream(1)), 0u);
    // Ids are never reused, failed attempts included.
    EXPECT_EQ(connect(), 2u);
}

TEST_F(Controls, WrongVersionIsAnsweredAndReported)
{
    // A hand-built request of version 2 is answered with WrongVersion.
    ScriptedPeer peer(kScriptPort, kServerPort);
    peer.send(Wire{true, 2, 0, 8, 0xFF, 0, false, [](VNet_BitStream& s) { requestBody(s, 2); }}, 8);
    server->step();
    Wire answer;
    ASSERT_TRUE(peer.receive(&answer));
    EXPECT_EQ(answer.kind, 4);
    EXPECT_EQ(server->count("request"), 0);

    // A real opener told so by a peer hears result 4.
    ScriptedPeer acceptor(kScriptPort + 1, kClientPort);
    const unsigned id = client->VNet_Connect(transport_test::localPort(kScriptPort + 1), nullptr);
    client->step();
    Wire request;
    ASSERT_TRUE(acceptor.receive(&request));
    ASSERT_EQ(request.kind, 2);
    acceptor.send(Wire{true, 4, 0, 9, 0xFF, 0, false, {}});
    client->step();
    const Event* result = client->find("result");
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(result->code, unsigned(eVNet_ConnectWrongVersion));
    EXPECT_EQ(client->VNet_getPeer(id), nullptr);
}

TEST_F(Controls, RequestWithWrongMarkerIsDroppedSilently)
{
    ScriptedPeer peer(kScriptPort, kServerPort);
    peer.send(Wire{true, 2, 0, 8, 0xFF, 0, false, [](VNet_BitStream& s) {
                       for (int i = 0; i < 7; ++i) s.addBool(true);
                       s.addInt(3, 16);
                   }},
              8);
    server->step();
    Wire answer;
    EXPECT_FALSE(peer.receive(&answer));
    EXPECT_EQ(server->count("request"), 0);
}

TEST_F(Controls, SecondRequestFromTheSamePeerResetsTheConnection)
{
    const unsigned id = connect();
    pump();
    ASSERT_EQ(server->count("established"), 1);
    // Another request from the client's own address: a restarted opener.
    ScriptedPeer restarted(kClientPort, kServerPort);
    restarted.send(Wire{true, 2, 0, 8, 0xFF, 0, false, [](VNet_BitStream& s) { requestBody(s, 3, 20); }}, 8);
    server->step();
    const Event* closed = server->find("closed");
    ASSERT_NE(closed, nullptr);
    EXPECT_EQ(closed->code, unsigned(eVNet_CloseReset));
    EXPECT_EQ(server->count("request"), 1) << "the resetting request itself is dropped";
    (void)id;
}

TEST_F(Controls, OpenerResetByTheSamePeerStillHearsItsResult)
{
    ScriptedPeer peer(kScriptPort, kClientPort);
    const unsigned id = client->VNet_Connect(transport_test::localPort(kScriptPort), nullptr);
    client->step();
    peer.drain();
    // The peer opens towards the client at the same moment.
    peer.send(Wire{true, 2, 0, 8, 0xFF, 0, false, [](VNet_BitStream& s) { requestBody(s); }}, 8);
    client->step();
    const Event* result = client->find("result");
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(result->id, id);
    EXPECT_EQ(result->code, unsigned(eVNet_ConnectTimedOut));
}

// ---------------------------------------------------------------------------
// Established connections

TEST_F(Controls, DisconnectIsAnnouncedAndHeardOnBothSides)
{
    const unsigned id = connect();
    pump();
    ASSERT_TRUE(client->VNet_Disconnect(id, valueStream(0xBEEF)));
    pump();
    const Event* serverClosed = server->find("closed");
    ASSERT_NE(serverClosed, nullptr);
    EXPECT_EQ(serverClosed->code, unsigned(eVNet_CloseDisconnected));
    EXPECT_TRUE(serverClosed->hasValue);
    EXPECT_EQ(serverClosed->value, 0xBEEFu);
    const Event* clientClosed = client->find("closed");
    ASSERT_NE(clientClosed, nullptr);
    EXPECT_EQ(clientClosed->code, unsigned(eVNet_CloseDisconnected));
    EXPECT_EQ(client->VNet_getPeer(id), nullptr);
    EXPECT_EQ(server->VNet_getPeer(1), nullptr);
    EXPECT_FALSE(client->VNet_Disconnect(id, valueStream(1))) << "the id names no connection any more";
}

TEST_F(Controls, AControlWithAnIdOfItsOwnIsReachedOverSocketsWithoutIds)
{
    // Without ids in the header every datagram is for whoever reads.
    server->VNet_setControlID(5);
    connect();
    pump();
    EXPECT_EQ(server->count("established"), 1);
    ASSERT_NE(client->find("result"), nullptr);
    EXPECT_EQ(client->find("result")->code, unsigned(eVNet_ConnectAccepted));
}

TEST_F(Controls, IdleConnectionStaysUpAndSilentPeerTimesOut)
{
    const unsigned id = connect();
    pump(300, 10);  // three seconds, three time-outs long
    EXPECT_EQ(client->count("closed") + server->count("closed"), 0);
    ASSERT_NE(client->VNet_getPeer(id), nullptr);
    EXPECT_GT(client->VNet_getConnectionStats(id).packetsSentLastSecond, 0u);

    // The server stops processing: the client times out after 1000 ms.
    for (int i = 0; i < 120; ++i) {
        client->step();
        clock.advance(10);
    }
    const Event* closed = client->find("closed");
    ASSERT_NE(closed, nullptr);
    EXPECT_EQ(closed->code, unsigned(eVNet_CloseTimedOut));
}

TEST_F(Controls, DestroyingAControlTellsItsPeers)
{
    connect();
    pump();
    client.reset();
    server->step();
    const Event* closed = server->find("closed");
    ASSERT_NE(closed, nullptr);
    EXPECT_EQ(closed->code, unsigned(eVNet_CloseDisconnected));
}

TEST_F(Controls, OrderedAndUnreliableDataArrive)
{
    const unsigned id = connect();
    pump();
    for (uint32_t i = 0; i < 40; ++i) ASSERT_TRUE(client->VNet_sendData(id, valueStream(i), eVNet_ReliableOrdered));
    pump(40);
    ASSERT_EQ(server->data.size(), 40u);
    for (uint32_t i = 0; i < 40; ++i) EXPECT_EQ(server->data[i], i);

    server->data.clear();
    ASSERT_TRUE(client->VNet_sendData(id, valueStream(5), eVNet_Unreliable));
    ASSERT_TRUE(client->VNet_sendData(id, valueStream(6), eVNet_ReliableUnordered));
    pump();
    EXPECT_EQ(server->data, (std::vector<uint32_t>{5, 6}));
}

TEST_F(Controls, DataThatCannotTravelIsRefused)
{
    const unsigned id = connect();
    pump();
    EXPECT_FALSE(client->VNet_sendData(id, nullptr, eVNet_ReliableOrdered));
    EXPECT_FALSE(client->VNet_sendData(id, valueStream(1), eVNet_UnreliableNotify));
    EXPECT_FALSE(client->VNet_sendData(0, valueStream(1), eVNet_ReliableOrdered));
    // More than any packet can carry, even in-process.
    auto* huge = new VNet_BitStream(8);
    for (int i = 0; i < 65480 / 4; ++i) huge->addBool(true);
    for (int i = 0; huge->getBitCount() < 65480u * 8; ++i) huge->addInt(0xFFFFFFFFu, 32);
    EXPECT_FALSE(client->VNet_sendData(id, huge, eVNet_ReliableOrdered));
    // Nothing stuck: data after the refusals still flows.
    ASSERT_TRUE(client->VNet_sendData(id, valueStream(3), eVNet_ReliableOrdered));
    pump();
    EXPECT_EQ(server->data, (std::vector<uint32_t>{3}));
}

TEST_F(Controls, LevelChangesAreAskedAndAnswered)
{
    const unsigned id = connect();
    pump();
    // The opener asks; the acceptor's application decides.
    ASSERT_TRUE(client->VNet_requestVornMode(id, 4));
    pump();
    const Event* asked = server->find("levelRequest");
    ASSERT_NE(asked, nullptr);
    EXPECT_EQ(asked->code, 4u);
    const Event* told = client->find("levelResult");
    ASSERT_NE(told, nullptr);
    EXPECT_EQ(told->code, 4u) << "result 0 at level 4";

    server->acceptLevels = false;
    client->events.clear();
    ASSERT_TRUE(client->VNet_requestVornMode(id, 5));
    pump();
    told = client->find("levelResult");
    ASSERT_NE(told, nullptr);
    EXPECT_EQ(told->code, 1005u) << "refused";

    // Levels above 127 are refused with result 1, nothing else happens.
    client->events.clear();
    server->events.clear();
    ASSERT_TRUE(client->VNet_requestVornMode(id, 200));
    pump();
    EXPECT_EQ(server->count("levelRequest"), 0);
    told = client->find("levelResult");
    ASSERT_NE(told, nullptr);
    EXPECT_EQ(told->code, 1200u);

    // The acceptor sets levels directly.
    EXPECT_TRUE(server->VNet_requestVornMode(1, 7));
    EXPECT_FALSE(server->VNet_requestVornMode(1, 128));
    EXPECT_FALSE(server->VNet_requestVornMode(99, 1));
}

}  // namespace
