// Two controls over real UDP on 127.0.0.1 with the real clock: handshake,
// data both ways, disconnect and hostile datagrams from a raw socket.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ControlSupport.h"
#include "platform/UdpSocket.h"

namespace {

using namespace control_test;

VNet_Address loopback(unsigned short port)
{
    return transport_test::loopback(port);
}

class UdpControls : public LibraryFixture {
protected:
    void SetUp() override
    {
        LibraryFixture::SetUp();
        server = std::make_unique<RecordingControl>();
        client = std::make_unique<RecordingControl>();
        serverPort = freePort();
        ASSERT_NE(serverPort, 0);
        ASSERT_TRUE(server->VNet_initSockets(true, serverPort, 0, 0));
        ASSERT_TRUE(client->VNet_initSockets(true, freePort(), 0, 0));
    }
    void TearDown() override
    {
        client.reset();
        server.reset();
        library.Clear();
    }

    // Steps both controls every millisecond until the condition holds, for
    // at most the given real time.
    template <typename Condition>
    bool runUntil(Condition done, int limitMs = 10000)
    {
        for (int ms = 0; ms < limitMs; ++ms) {
            if (done()) return true;
            client->step();
            server->step();
            Vornet::Sleep(1);
        }
        return done();
    }

    unsigned connect()
    {
        const unsigned id = client->VNet_Connect(loopback(serverPort), valueStream(11));
        if (!runUntil([&] { return client->find("result") && server->count("established"); })) return 0;
        return id;
    }

    std::unique_ptr<RecordingControl> server;
    std::unique_ptr<RecordingControl> client;
    unsigned short serverPort = 0;
};

TEST_F(UdpControls, ConnectExchangeAndDisconnect)
{
    server->replyValue = 22;
    const unsigned id = connect();
    ASSERT_NE(id, 0u);
    EXPECT_EQ(client->find("result")->code, unsigned(eVNet_ConnectAccepted));
    EXPECT_EQ(client->find("result")->value, 22u);
    EXPECT_EQ(server->find("request")->value, 11u);
    const VNet_Address* peer = server->VNet_getPeer(1);
    ASSERT_NE(peer, nullptr);
    EXPECT_EQ(peer->getIP(), platform::kLoopbackAddress);

    for (uint32_t i = 0; i < 20; ++i) {
        ASSERT_TRUE(client->VNet_sendData(id, valueStream(i), eVNet_ReliableOrdered));
        ASSERT_TRUE(server->VNet_sendData(1, valueStream(100 + i), eVNet_ReliableOrdered));
    }
    ASSERT_TRUE(runUntil([&] { return server->data.size() == 20 && client->data.size() == 20; }));
    for (uint32_t i = 0; i < 20; ++i) {
        EXPECT_EQ(server->data[i], i);
        EXPECT_EQ(client->data[i], 100 + i);
    }
    const VNet_ConnStats& stats = client->VNet_getConnectionStats(id);
    EXPECT_GT(stats.totalBytesSent, 0u);
    EXPECT_GT(stats.totalBytesReceived, 0u);

    ASSERT_TRUE(server->VNet_Disconnect(1, valueStream(33)));
    ASSERT_TRUE(runUntil([&] { return client->find("closed") && server->find("closed"); }));
    EXPECT_EQ(client->find("closed")->value, 33u);
    EXPECT_TRUE(runUntil([&] { return client->VNet_getPeer(id) == nullptr; }));
}

TEST_F(UdpControls, RawDataReachesARawSocket)
{
    platform::UdpSocket raw;
    ASSERT_TRUE(raw.open());
    ASSERT_TRUE(raw.bind(platform::kLoopbackAddress, 0));
    ASSERT_TRUE(raw.setNonBlocking());
    VNet_Address to = loopback(raw.localPort());
    char bytes[] = "plain";
    ASSERT_TRUE(client->VNet_sendDataRaw(to, bytes, sizeof bytes));
    char buffer[64];
    size_t length = 0;
    platform::Ipv4Endpoint from;
    platform::ReceiveStatus status = platform::ReceiveStatus::Empty;
    for (int i = 0; i < 1000 && status != platform::ReceiveStatus::Received; ++i) {
        status = raw.receiveFrom(buffer, sizeof buffer, &length, &from);
        if (status != platform::ReceiveStatus::Received) Vornet::Sleep(1);
    }
    ASSERT_EQ(status, platform::ReceiveStatus::Received);
    EXPECT_EQ(length, sizeof bytes);
}

// Datagrams no peer of ours would send, from a raw socket.
TEST_F(UdpControls, HostileDatagramsAreDroppedAndTheConnectionGoesOn)
{
    const unsigned id = connect();
    ASSERT_NE(id, 0u);
    platform::UdpSocket raw;
    ASSERT_TRUE(raw.open());
    ASSERT_TRUE(raw.bind(platform::kLoopbackAddress, 0));
    const platform::Ipv4Endpoint target{platform::kLoopbackAddress, serverPort};
    std::vector<std::vector<unsigned char>> datagrams = {
        {0x00},
        {0x08},
        {0x18, 0xFF},
        {0xF8, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
        std::vector<unsigned char>(1024, 0xFF),
        std::vector<unsigned char>(1400, 0x5A),
    };
    // A well-formed request cut at every length.
    VNet_BitStream request(64);
    request.addBool(true);
    request.addBool(true);
    request.addInt(0, 32);
    request.addBool(false);
    request.addBool(true);
    writeKindCode(request, 2);
    request.addInt(0, 4);
    request.addInt(8, 4);
    for (int i = 0; i < 8; ++i) request.addBool(true);
    requestBody(request, 3, 0, 0xFFFF);
    char whole[256];
    unsigned short size = sizeof whole;
    ASSERT_TRUE(request.Serialize(whole, &size, sizeof whole));
    for (unsigned short cut = 1; cut < size; ++cut) {
        std::vector<unsigned char> part(whole, whole + cut);
        part[0] = static_cast<unsigned char>((part[0] & 0x07) | ((cut - 1) << 4) | 0x08);
        datagrams.push_back(part);
    }
    for (const auto& datagram : datagrams) ASSERT_TRUE(raw.sendTo(datagram.data(), datagram.size(), target));
    // The whole request opens a second connection: the server survived it
    // all and still takes requests.
    ASSERT_TRUE(raw.sendTo(whole, size, target));
    ASSERT_TRUE(runUntil([&] { return server->count("request") == 2; }));

    ASSERT_TRUE(client->VNet_sendData(id, valueStream(5), eVNet_ReliableOrdered));
    ASSERT_TRUE(runUntil([&] { return !server->data.empty(); }));
    EXPECT_EQ(server->data.front(), 5u);
    EXPECT_EQ(client->count("closed"), 0);
}


// ---------------------------------------------------------------------------
// Controls sharing one port, told apart by their ids

TEST_F(UdpControls, ControlsSharingAPortTakeOnlyTheirOwnPackets)
{
    const unsigned short shared = freePort();
    RecordingControl first;
    RecordingControl second;
    RecordingControl opener;
    ASSERT_TRUE(first.VNet_initSockets(true, shared, 0, 2));
    ASSERT_TRUE(second.VNet_initSockets(true, shared, 0, 2));
    first.VNet_setControlID(1);
    second.VNet_setControlID(2);
    ASSERT_TRUE(opener.VNet_initSockets(true, freePort(), 0, 2));
    VNet_Address target = loopback(shared);
    target.setControlID(2);
    opener.VNet_Connect(target, nullptr);
    for (int ms = 0; ms < 10000 && !opener.find("result"); ++ms) {
        opener.step();
        first.step();
        second.step();
        Vornet::Sleep(1);
    }
    ASSERT_NE(opener.find("result"), nullptr);
    EXPECT_EQ(opener.find("result")->code, unsigned(eVNet_ConnectAccepted));
    EXPECT_EQ(second.count("request"), 1);
    EXPECT_EQ(first.count("request"), 0);
}

TEST_F(UdpControls, AControlGivenItsIdBeforeItsSocketsIsReached)
{
    // Sockets without ids in the header: the id the control has does not
    // matter to what it receives.
    const unsigned short port = freePort();
    RecordingControl late;
    late.VNet_setControlID(5);
    ASSERT_TRUE(late.VNet_initSockets(true, port, 0, 0));
    client->VNet_Connect(loopback(port), nullptr);
    for (int ms = 0; ms < 10000 && !(client->find("result") && late.count("established")); ++ms) {
        client->step();
        late.step();
        Vornet::Sleep(1);
    }
    ASSERT_NE(client->find("result"), nullptr);
    EXPECT_EQ(client->find("result")->code, unsigned(eVNet_ConnectAccepted));
    EXPECT_EQ(late.count("established"), 1);
}

// ---------------------------------------------------------------------------
// Upstream distribution

struct DistributionCase {
    const char* name;
    unsigned total;
    unsigned perConnection;
    // Downstream limits the clients ask for (packets per second, bytes per
    // packet); 0 keeps the default.
    std::vector<std::pair<unsigned short, unsigned short>> clients;
    std::vector<std::string> lines;
};

class Distribution : public UdpControls, public ::testing::WithParamInterface<DistributionCase> {};

TEST_P(Distribution, SharesTheUpstreamAsAsked)
{
    const DistributionCase& c = GetParam();
    server->VNet_setDebugName("server");
    server->VNet_setUpstreamLimit(c.total, c.perConnection);
    std::vector<std::unique_ptr<RecordingControl>> clients;
    for (const auto& limit : c.clients) {
        clients.push_back(std::make_unique<RecordingControl>());
        ASSERT_TRUE(clients.back()->VNet_initSockets(true, freePort(), 0, 0));
        const unsigned id = clients.back()->VNet_Connect(loopback(serverPort), nullptr);
        if (limit.first) clients.back()->VNet_requestDownstreamLimit(id, limit.first, limit.second);
    }
    auto run = [&](auto done) {
        for (int ms = 0; ms < 10000 && !done(); ++ms) {
            for (auto& client : clients) client->step();
            server->step();
            Vornet::Sleep(1);
        }
        return done();
    };
    ASSERT_TRUE(run([&] {
        size_t asked = 0;
        for (const auto& limit : c.clients) {
            asked += !limit.first || LogLines::contains("peer requested new connection quality: " +
                                                        std::to_string(limit.second) + " bpp/" +
                                                        std::to_string(limit.first) + " pps");
        }
        return server->count("established") == int(c.clients.size()) && asked == c.clients.size();
    }));
    LogLines::clear();
    server->VNet_setUpstreamLimit(c.total, c.perConnection);
    EXPECT_TRUE(run([&] { return LogLines::contains(c.lines.back()); }));
    for (const std::string& line : c.lines) EXPECT_TRUE(LogLines::contains(line)) << line;
}

INSTANTIATE_TEST_SUITE_P(
    Examples, Distribution,
    ::testing::Values(
        DistributionCase{"threeEqual",
                         3000,
                         3000,
                         {{0, 0}, {0, 0}, {0, 0}},
                         {"[server]: new outgoing bandwidth for 1: 66 bpp / 15 pps",
                          "[server]: new outgoing bandwidth for 2: 66 bpp / 15 pps",
                          "[server]: new outgoing bandwidth for 3: 66 bpp / 15 pps"}},
        DistributionCase{"spareGoesToTheHungry",
                         3000,
                         3000,
                         {{10, 50}, {10, 500}},
                         {"[server]: new outgoing bandwidth for 1: 50 bpp / 10 pps",
                          "[server]: new outgoing bandwidth for 2: 100 bpp / 10 pps"}},
        DistributionCase{"unlimited",
                         0,
                         0,
                         {{10, 50}, {10, 500}},
                         {"[server]: new outgoing bandwidth for 1: 50 bpp / 10 pps",
                          "[server]: new outgoing bandwidth for 2: 500 bpp / 10 pps"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
