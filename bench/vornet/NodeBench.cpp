// The node layer at scale: the cost of one output step of a server with N
// nodes seen by C clients (in-process), while 16 values change each step,
// and the bytes on the wire per changed value. The library clock is stepped
// one 16 ms frame per step, so every change goes out in the step after it
// and the figures do not depend on the machine's speed.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "vornet/src/vornet_clock.h"
#include "vornet/vornet.h"
#include "vornet/vornet_control.h"
#include "vornet/vornet_node.h"
#include "vornet/vornet_replicator.h"
#include "vornet/vornet_replicator_memblock.h"

namespace {

constexpr int kChangesPerStep = 16;
constexpr uint32_t kFrameMs = 16;

std::atomic<uint64_t> clockMicros{1000000};

uint64_t steppedClock()
{
    return clockMicros.load();
}

void advanceClock()
{
    clockMicros += kFrameMs * 1000;
}

// A node replicating one 32-bit value.
struct Counter {
    VNet_Node node;
    uint32_t value = 0;

    Counter()
    {
        node.beginReplicationSetup(1);
        node.addReplicator(new VNet_Replicate_Memblock(&value, sizeof value, 0x01, VNET_RULE_AUTHORITY_TO_PROXY, 0,
                                                       -1, -1),
                           true);
        node.endReplicationSetup();
    }
};

class Endpoint : public VNet_Control {
public:
    unsigned classId = VNet_registerClass("Counter", 0);
    unsigned connected = 0;
    bool levelReached = false;
    // By network id.
    std::vector<std::unique_ptr<Counter>> proxies;
    size_t proxyCount = 0;

    void onConnectResult(unsigned int id, unsigned int result, VNet_BitStream*) override
    {
        if (result != eVNet_ConnectAccepted) return;
        connected = id;
        // Room for every change of a step in one packet.
        VNet_requestDownstreamLimit(id, 60, 1024);
        VNet_requestVornMode(id, 1);
    }
    bool onConnectionRequest(unsigned int, VNet_BitStream*, VNet_BitStream*) override { return true; }
    void onConnectionEstablished(unsigned int) override {}
    void onConnectionClosed(unsigned int, unsigned int, VNet_BitStream*) override { connected = 0; }
    bool onVornLevelRequest(unsigned int, unsigned char, VNet_BitStream*) override { return true; }
    void onVornLevelResult(unsigned int, unsigned char, unsigned char, VNet_BitStream*) override
    {
        levelReached = true;
    }
    void onDynamicNodeRequest(unsigned int, unsigned int classId_, VNet_BitStream*, eVNet_NodeRole,
                              unsigned int networkId) override
    {
        if (networkId >= proxies.size()) proxies.resize(networkId + 1);
        proxies[networkId] = std::make_unique<Counter>();
        proxies[networkId]->node.registerRequestedNode(classId_, this);
        ++proxyCount;
    }
    void onTagNodeRequest(unsigned int, unsigned int, VNet_BitStream*, eVNet_NodeRole, unsigned int) override {}
    void onApplicationData(unsigned int, VNet_BitStream*) override {}
    bool onDiscoverRequest(const VNet_Address&, VNet_BitStream*, VNet_BitStream*) override { return false; }
    void onDiscoverAnswer(const VNet_Address&, VNet_BitStream*) override {}

    void step()
    {
        VNet_processInput(eVNet_NoBlock);
        VNet_processOutput();
    }
};

struct World {
    Vornet library;
    std::unique_ptr<Endpoint> server;
    std::vector<std::unique_ptr<Endpoint>> clients;
    std::vector<std::unique_ptr<Counter>> counters;
    bool ready = false;

    World(int nodes, int connections)
    {
        Vornet_Private::setClockSource(steppedClock);
        library.Init();
        server = std::make_unique<Endpoint>();
        server->VNet_initSockets(false, 0, 1, 0);
        server->VNet_setUpstreamLimit(1024u * 1000u * 64u, 1024u * 1000u);
        for (int i = 0; i < nodes; ++i) {
            counters.push_back(std::make_unique<Counter>());
            counters.back()->node.registerNodeDynamic(server->classId, server.get());
        }
        VNet_Address address;
        address.setType(eVNet_AddressLocal);
        address.setPort(1);
        for (int c = 0; c < connections; ++c) {
            clients.push_back(std::make_unique<Endpoint>());
            clients.back()->VNet_initSockets(false, 0, static_cast<unsigned short>(2 + c), 0);
            clients.back()->VNet_Connect(address, nullptr);
        }
        for (int step = 0; step < 20000 && !ready; ++step) {
            stepAll();
            ready = true;
            for (auto& client : clients) ready = ready && client->proxyCount == size_t(nodes);
        }
    }
    ~World()
    {
        counters.clear();
        clients.clear();
        server.reset();
        library.Clear();
        Vornet_Private::setClockSource(nullptr);
    }
    void stepAll()
    {
        advanceClock();
        server->step();
        for (auto& client : clients) client->step();
    }
    uint64_t bytesSent()
    {
        uint64_t total = 0;
        for (unsigned id = 1; id <= clients.size(); ++id) total += server->VNet_getConnectionStats(id).totalBytesSent;
        return total;
    }
    // Whether every client's proxies hold their authority's value.
    bool converged() const
    {
        for (const auto& client : clients) {
            for (const auto& counter : counters) {
                if (client->proxies[counter->node.getNetworkID()]->value != counter->value) return false;
            }
        }
        return true;
    }
};

void BM_ServerOutputStep(benchmark::State& state)
{
    const int nodes = static_cast<int>(state.range(0));
    const int connections = static_cast<int>(state.range(1));
    World world(nodes, connections);
    if (!world.ready) {
        state.SkipWithError("clients did not receive every node");
        return;
    }
    uint32_t round = 0;
    const uint64_t bytesBefore = world.bytesSent();
    for (auto _ : state) {
        state.PauseTiming();
        ++round;
        advanceClock();
        // Distinct nodes each step, each taking a value it never had.
        for (int k = 0; k < kChangesPerStep; ++k)
            world.counters[(size_t(round) * kChangesPerStep + size_t(k)) % world.counters.size()]->value = round;
        world.server->VNet_processInput(eVNet_NoBlock);
        state.ResumeTiming();
        world.server->VNet_processOutput();
        state.PauseTiming();
        for (auto& client : world.clients) client->step();
        state.ResumeTiming();
    }
    const double changed = double(state.iterations()) * kChangesPerStep * connections;
    const double bytes = double(world.bytesSent() - bytesBefore);
    // Every change must have reached every client within a few steps.
    for (int settle = 0; settle < 8 && !world.converged(); ++settle) world.stepAll();
    if (!world.converged()) state.SkipWithError("a change did not reach every client");
    state.counters["node_states"] = double(nodes) * connections;
    state.counters["ns_per_node_state"] = benchmark::Counter(double(nodes) * connections * 1e-9,
                                                             benchmark::Counter::kIsIterationInvariantRate |
                                                                 benchmark::Counter::kInvert);
    state.counters["bytes_per_changed_value"] = bytes / changed;
}

// N in {100, 1000, 10000} by C in {1, 8, 64}. Each point is measured in one
// run of a fixed number of steps (about two million node states in all), so
// its world is built once.
const bool registered = [] {
    for (int nodes : {100, 1000, 10000}) {
        for (int connections : {1, 8, 64}) {
            benchmark::RegisterBenchmark("BM_ServerOutputStep", BM_ServerOutputStep)
                ->Args({nodes, connections})
                ->Iterations(std::max(20, 2000000 / (nodes * connections)))
                ->Unit(benchmark::kMicrosecond);
        }
    }
    return true;
}();

}  // namespace
