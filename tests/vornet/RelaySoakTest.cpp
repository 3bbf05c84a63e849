// Two processes over real UDP on a bad network: this test's control and a
// peer program (vornet_soak_peer) talk through the impairment relay, which
// drops 30% of the datagrams, delays the rest by 100 ms with jitter that
// reorders them, and sends some twice. The handshake must complete and a
// thousand ordered messages must arrive each once and in order. The relay's
// seed is printed; QUILLOW_RELAY_SEED=<seed> repeats a run.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "ControlSupport.h"
#include "RelaySoakSupport.h"
#include "tests/support/ChildProcess.h"

namespace {

using namespace control_test;
using quillow::test::ChildProcess;

constexpr uint32_t kMessages = 1000;
// Generous bounds: the loops below end as soon as their condition holds.
constexpr uint32_t kHandshakeLimitMs = 30000;
// A run takes about two minutes: each message goes in a packet of its own,
// eight at most in flight, and a number comes round again only after the
// longest round trip.
constexpr uint32_t kDeliveryLimitSeconds = 300;

std::string outputFile(const std::string& name)
{
    return (std::filesystem::temp_directory_path() / (name + "-" + std::to_string(getpid()) + ".txt")).string();
}

class RelaySoak : public LibraryFixture {
protected:
    // Steps the client every millisecond until the condition holds or the
    // time is up; whether it holds.
    template <typename Condition>
    bool runUntil(uint32_t limitMs, Condition done)
    {
        const uint32_t end = Vornet::getTime() + limitMs;
        while (!done() && Vornet::getTime() < end) {
            client.step();
            Vornet::Sleep(1);
        }
        return done();
    }

    void TearDown() override
    {
        client.Shutdown();
        library.Clear();
    }

    RecordingControl client;
};

TEST_F(RelaySoak, OrderedMessagesCrossALossyReorderingDuplicatingNetworkBetweenTwoProcesses)
{
    const uint64_t seed = relay_soak::announcedSeed();
    SCOPED_TRACE("impairment relay seed " + std::to_string(seed));
    const relay_soak::SoakPorts ports;
    ASSERT_TRUE(client.VNet_initSockets(true, ports.client, 0, 0));

    ChildProcess relay({QUILLOW_IMPAIRMENT_RELAY, std::to_string(ports.client), std::to_string(ports.peer),
                        std::to_string(ports.relay), std::to_string(seed), std::to_string(kDeliveryLimitSeconds + 60)},
                       outputFile("impairment-relay"));
    ChildProcess peer({QUILLOW_SOAK_PEER, std::to_string(ports.peer), std::to_string(kMessages),
                       std::to_string(kDeliveryLimitSeconds)},
                      outputFile("soak-peer"));
    ASSERT_TRUE(relay.started());
    ASSERT_TRUE(peer.started());

    const unsigned id = client.VNet_Connect(transport_test::loopback(ports.relay), nullptr);
    ASSERT_TRUE(runUntil(kHandshakeLimitMs, [&] { return client.find("result") != nullptr; }));
    ASSERT_EQ(client.find("result")->code, unsigned(eVNet_ConnectAccepted));

    client.VNet_requestDownstreamLimit(id, 500, 512);
    for (uint32_t i = 0; i < kMessages; ++i) {
        ASSERT_TRUE(client.VNet_sendData(id, valueStream(i), eVNet_ReliableOrdered));
    }
    ASSERT_TRUE(runUntil(kDeliveryLimitSeconds * 1000 + 10000, [&] { return peer.exited(); }));
    EXPECT_EQ(peer.exitCode(), 0) << peer.output();
    EXPECT_NE(peer.output().find("each once and in order"), std::string::npos) << peer.output();
    // The peer's own end, once it is done, is the only close allowed.
    for (const Event& event : client.events) {
        if (event.name == "closed") {
            EXPECT_EQ(event.code, unsigned(eVNet_CloseDisconnected));
        }
    }
    std::printf("%s", relay.output().c_str());
}

}  // namespace
