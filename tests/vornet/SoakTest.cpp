// Connections under loss: the handshake and a thousand ordered messages at
// 30% simulated loss both ways, over in-process sockets with the library
// clock stepped by the test.
#include <gtest/gtest.h>

#include <memory>

#include "ControlSupport.h"

namespace {

using namespace control_test;

constexpr unsigned short kServerPort = 2;
constexpr unsigned short kClientPort = 1;
constexpr int kMessages = 1000;
// Enough for the whole exchange many times over; the loops end on success.
constexpr int kStepLimit = 200000;

class Soak : public LibraryFixture {
protected:
    void SetUp() override
    {
        LibraryFixture::SetUp();
        server = std::make_unique<RecordingControl>();
        client = std::make_unique<RecordingControl>();
        ASSERT_TRUE(server->VNet_initSockets(false, 0, kServerPort, 0));
        ASSERT_TRUE(client->VNet_initSockets(false, 0, kClientPort, 0));
        server->VNet_simulateLoss(0, 0.3f);
        client->VNet_simulateLoss(0, 0.3f);
    }
    void TearDown() override
    {
        client.reset();
        server.reset();
        library.Clear();
    }

    // Steps both controls 5 ms apart until the condition holds; the number
    // of milliseconds it took, or -1.
    template <typename Condition>
    int runUntil(Condition done)
    {
        for (int step = 0; step < kStepLimit; ++step) {
            if (done()) return step * 5;
            client->step();
            server->step();
            clock.advance(5);
        }
        return -1;
    }

    TestClock clock;
    std::unique_ptr<RecordingControl> server;
    std::unique_ptr<RecordingControl> client;
};

TEST_F(Soak, HandshakeSucceedsWithinSecondsAtThirtyPercentLoss)
{
    for (int attempt = 0; attempt < 20; ++attempt) {
        client->events.clear();
        const unsigned id = client->VNet_Connect(transport_test::localPort(kServerPort), valueStream(attempt));
        ASSERT_NE(id, 0u);
        const int ms = runUntil([&] { return client->find("result") != nullptr; });
        ASSERT_GE(ms, 0);
        EXPECT_EQ(client->find("result")->code, unsigned(eVNet_ConnectAccepted)) << "attempt " << attempt;
        EXPECT_LT(ms, 5000) << "attempt " << attempt;
        client->VNet_Disconnect(id, nullptr);
        runUntil([&] { return client->VNet_getPeer(id) == nullptr; });
    }
}

TEST_F(Soak, OrderedMessagesArriveOnceAndInOrderAtThirtyPercentLoss)
{
    const unsigned id = client->VNet_Connect(transport_test::localPort(kServerPort), nullptr);
    ASSERT_GE(runUntil([&] { return client->find("result") != nullptr && server->count("established") == 1; }), 0);
    for (uint32_t i = 0; i < kMessages; ++i) ASSERT_TRUE(client->VNet_sendData(id, valueStream(i), eVNet_ReliableOrdered));
    const int took = runUntil([&] { return server->data.size() >= size_t(kMessages); });
    ASSERT_GE(took, 0);
    // Two seconds longer: nothing may come twice.
    int more = 400;
    runUntil([&] { return more-- == 0; });
    ASSERT_EQ(server->data.size(), size_t(kMessages));
    for (uint32_t i = 0; i < kMessages; ++i) ASSERT_EQ(server->data[i], i);
    EXPECT_EQ(client->count("closed") + server->count("closed"), 0);
    EXPECT_NE(client->VNet_getPeer(id), nullptr);
    const VNet_ConnStats& stats = client->VNet_getConnectionStats(id);
    EXPECT_GT(stats.lostLastSecond, 0u);
    EXPECT_GT(stats.lossPercent, 0u);
}

}  // namespace

namespace {

// Nothing gets through any more, so nothing is acknowledged or received:
// both sides must still time out, also across seconds in which they send
// nothing new.
TEST_F(Soak, TotalLossEndsBothSidesByTimeOut)
{
    client->VNet_Connect(transport_test::localPort(kServerPort), nullptr);
    ASSERT_GE(runUntil([&] { return client->find("result") != nullptr && server->count("established") == 1; }), 0);
    server->VNet_simulateLoss(0, 1.0f);
    client->VNet_simulateLoss(0, 1.0f);
    ASSERT_GE(runUntil([&] { return client->find("closed") != nullptr && server->find("closed") != nullptr; }), 0);
    EXPECT_EQ(client->find("closed")->code, unsigned(eVNet_CloseTimedOut));
    EXPECT_EQ(server->find("closed")->code, unsigned(eVNet_CloseTimedOut));
}

}  // namespace
