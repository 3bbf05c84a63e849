// Two processes over real UDP on a bad network, with nodes: this test's
// control and a peer program (vornet_soak_node_peer) talk through the
// impairment relay, which drops 30% of the datagrams, delays the rest by
// 100 ms with jitter that reorders them, and sends some twice. The peer's
// objects change in rounds while one of them sends a file; the client's
// proxies must end up holding the last round's values and the file must
// arrive byte for byte. The relay's seed is printed;
// QUILLOW_RELAY_SEED=<seed> repeats a run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "FileTransferSupport.h"
#include "NodeSupport.h"
#include "RelaySoakSupport.h"
#include "tests/support/ChildProcess.h"

namespace {

using namespace node_test;
using file_test::FileEndpoint;
using quillow::test::ChildProcess;

constexpr int kThings = 8;
constexpr int kRounds = 20;
constexpr size_t kFileBytes = 24000;
constexpr uint32_t kFileSeed = 22;
const std::string kFileName = "soak.bin";
// Generous bounds: the loops below end as soon as their condition holds.
constexpr uint32_t kHandshakeLimitMs = 30000;
constexpr uint32_t kLimitSeconds = 180;

class RelaySoakNodes : public LibraryFixture {
protected:
    void SetUp() override
    {
        LibraryFixture::SetUp();
        client = std::make_unique<NodeControl>();
        for (int i = 0; i < kThings; ++i) {
            expected.push_back(std::make_unique<Thing>());
            expected.back()->set(kRounds, i);
        }
    }
    void TearDown() override
    {
        endpoints.clear();
        client.reset();
        library.Clear();
    }

    // Steps the client every millisecond, answering file offers on every
    // proxy, until the condition holds or the time is up; whether it holds.
    template <typename Condition>
    bool runUntil(uint32_t limitMs, Condition done)
    {
        const uint32_t end = Vornet::getTime() + limitMs;
        while (!done() && Vornet::getTime() < end) {
            client->step();
            pollProxies();
            Vornet::Sleep(1);
        }
        return done();
    }

    // The endpoint drains all of a proxy's events, not only its files.
    void pollProxies()
    {
        for (const auto& [networkId, proxy] : client->proxies) {
            auto& endpoint = endpoints[networkId];
            if (!endpoint) endpoint = std::make_unique<FileEndpoint>(proxy->node, inbox.path());
            endpoint->poll();
            noteRound(networkId, proxy->text);
        }
    }

    // An older value may never take the place of a newer one: the sender
    // would not send it again, as the newer one was delivered.
    void noteRound(unsigned networkId, const char* text)
    {
        int round = 0;
        if (std::sscanf(text, "thing %*d round %d", &round) != 1) return;
        int& highest = highestRound[networkId];
        if (round < highest) {
            regressions.insert("proxy " + std::to_string(networkId) + " went from round " +
                                  std::to_string(highest) + " back to " + std::to_string(round));
        }
        highest = std::max(highest, round);
    }

    // How many of the last round's values some proxy holds.
    int convergedThings() const
    {
        return int(std::count_if(expected.begin(), expected.end(), [&](const auto& thing) {
            return std::any_of(client->proxies.begin(), client->proxies.end(),
                               [&](const auto& proxy) { return proxy.second->sameAs(*thing); });
        }));
    }
    bool converged() const { return client->proxies.size() == size_t(kThings) && convergedThings() == kThings; }

    bool fileComplete() const
    {
        return std::any_of(endpoints.begin(), endpoints.end(),
                           [&](const auto& endpoint) { return endpoint.second->has("complete " + kFileName); });
    }
    bool fileArrivedWhole() const
    {
        return fileComplete() && file_test::readFile(inbox / kFileName) == file_test::patternBytes(kFileBytes, kFileSeed);
    }

    std::string state() const
    {
        return std::to_string(client->proxies.size()) + " proxies, " + std::to_string(convergedThings()) + " of " +
               std::to_string(kThings) + " with the last round, file " + (fileComplete() ? "complete" : "incomplete");
    }

    // What each proxy's text holds, a line each.
    std::string proxyTexts() const
    {
        std::string texts;
        for (const auto& [networkId, proxy] : client->proxies) {
            texts += "proxy " + std::to_string(networkId) + ": " + proxy->text + "\n";
        }
        return texts;
    }

    std::unique_ptr<NodeControl> client;
    std::vector<std::unique_ptr<Thing>> expected;
    file_test::TempFolder inbox;
    std::map<unsigned, std::unique_ptr<FileEndpoint>> endpoints;
    // The highest round each proxy's text has shown, and every time one
    // showed a lower round after it.
    std::map<unsigned, int> highestRound;
    std::set<std::string> regressions;
};

TEST_F(RelaySoakNodes, ValuesConvergeAndAFileArrivesWholeBetweenTwoProcesses)
{
    const uint64_t seed = relay_soak::announcedSeed();
    SCOPED_TRACE("impairment relay seed " + std::to_string(seed));
    const relay_soak::SoakPorts ports;
    ASSERT_TRUE(client->VNet_initSockets(true, ports.client, 0, 0));

    // What the programs print goes with them, once the test has shown it.
    const file_test::TempFolder outputs;
    ChildProcess relay({QUILLOW_IMPAIRMENT_RELAY, std::to_string(ports.client), std::to_string(ports.peer),
                        std::to_string(ports.relay), std::to_string(seed), std::to_string(kLimitSeconds + 60)},
                       (outputs / "relay.txt").string());
    ChildProcess peer({QUILLOW_SOAK_NODE_PEER, std::to_string(ports.peer), std::to_string(kThings),
                       std::to_string(kRounds), std::to_string(kFileBytes), std::to_string(kFileSeed),
                       std::to_string(kLimitSeconds)},
                      (outputs / "peer.txt").string());
    ASSERT_TRUE(relay.started());
    ASSERT_TRUE(peer.started());

    const unsigned id = client->VNet_Connect(transport_test::loopback(ports.relay), nullptr);
    ASSERT_TRUE(runUntil(kHandshakeLimitMs, [&] { return client->find("result") != nullptr; }));
    ASSERT_EQ(client->find("result")->code, unsigned(eVNet_ConnectAccepted));
    // Room for file chunks: 100 packets of up to 1000 bytes a second.
    client->VNet_requestDownstreamLimit(id, 100, 1000);
    ASSERT_TRUE(client->VNet_requestVornMode(id, 1));

    const uint32_t start = Vornet::getTime();
    const bool arrived =
        runUntil(kLimitSeconds * 1000, [&] { return (converged() && fileArrivedWhole()) || peer.exited(); }) &&
        converged() && fileArrivedWhole();
    std::printf("%s after %u ms\n", state().c_str(), unsigned(Vornet::getTime() - start));
    // Ended now, the relay still prints its counts.
    if (!arrived) relay.stop(1000);
    ASSERT_TRUE(arrived) << state() << "\n" << proxyTexts() << peer.output() << relay.output();
    EXPECT_TRUE(regressions.empty()) << testing::PrintToString(regressions);

    ASSERT_TRUE(client->VNet_Disconnect(id, nullptr));
    ASSERT_TRUE(runUntil(kLimitSeconds * 1000, [&] { return peer.exited(); }));
    EXPECT_EQ(peer.exitCode(), 0) << peer.output();
    relay.stop(1000);
    std::printf("%s%s", peer.output().c_str(), relay.output().c_str());
}

}  // namespace
