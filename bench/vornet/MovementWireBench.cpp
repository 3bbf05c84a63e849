// The movement replicator over the wire: 100 moving objects on a server and
// their proxies on a client, over in-process sockets with the library clock
// stepped by the simulation (30 packets a second, 50 ms lag each way).
// Bytes per second per object as the server's connection counts them, and
// the proxies' RMS error, by threshold and loss, against nodes that send
// their position as two floats whenever it changed.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cmath>
#include <map>
#include <memory>
#include <vector>

#include "MovementPath.h"
#include "vornet/src/vornet_clock.h"
#include "vornet/vornet.h"
#include "vornet/vornet_control.h"
#include "vornet/vornet_node.h"
#include "vornet/vornet_replicator_movement.h"

namespace {

using movement_bench::Path;

constexpr int kObjects = 100;
constexpr uint32_t kTick = 16;
constexpr uint32_t kDuration = 20000;
constexpr uint32_t kLag = 50;
constexpr unsigned char kBits = 16;
constexpr float kSpeed = 0.1f;

std::atomic<uint64_t> simulatedMicros{0};

uint64_t simulatedClock()
{
    return simulatedMicros.load();
}

struct Quiet : VNet_MoveUpdateListener<float> {
    void onInputReceived(VNet_BitStream*, bool, unsigned int, unsigned int) override {}
    void onLocalInput(VNet_BitStream*) override {}
    void onCorrection(float*, float*, float*, bool, unsigned int) override {}
    void onUpdateReceived(VNet_BitStream*, float*, float*, float*, unsigned int) override {}
};

// A moving object: by dead reckoning with the given error threshold, or,
// with threshold 0, its position as two replicated floats.
struct Mover {
    explicit Mover(float threshold)
    {
        node.beginReplicationSetup(2);
        if (threshold > 0) {
            movement = new VNet_Replicate_Movement<float, 2>(kBits, 0x01, VNET_RULE_AUTHORITY_TO_PROXY, 0, -1, -1);
            movement->setUpdateListener(&quiet);
            static_cast<VNet_RSetupMovement<float>*>(movement->getSetup())->setConstantErrorThreshold(threshold);
            node.addReplicator(movement, true);
        } else {
            for (float& element : position) node.addReplicationFloat(&element, kBits, 0x01, VNET_RULE_AUTHORITY_TO_PROXY);
        }
        node.endReplicationSetup();
    }

    void move(const Path& path, bool newArc)
    {
        if (movement) {
            float* velocity = newArc ? const_cast<float*>(path.velocity) : nullptr;
            movement->updateState(const_cast<float*>(path.position), velocity, nullptr, false);
        } else {
            position[0] = path.position[0];
            position[1] = path.position[1];
        }
    }

    void shown(float* out)
    {
        if (movement) {
            movement->getExtrapolatedPosition(0, out);
        } else {
            out[0] = position[0];
            out[1] = position[1];
        }
    }

    VNet_Node node;
    Quiet quiet;
    VNet_Replicate_Movement<float, 2>* movement = nullptr;
    float position[2] = {0, 0};
};

class Endpoint : public VNet_Control {
public:
    explicit Endpoint(float threshold) : threshold(threshold) {}

    const float threshold;
    const unsigned classId = VNet_registerClass("Mover", 0);
    unsigned connected = 0;
    bool levelReached = false;
    std::map<unsigned, std::unique_ptr<Mover>> proxies;

    void onConnectResult(unsigned int id, unsigned int result, VNet_BitStream*) override
    {
        if (result == eVNet_ConnectAccepted) connected = id;
    }
    bool onConnectionRequest(unsigned int, VNet_BitStream*, VNet_BitStream*) override { return true; }
    void onConnectionEstablished(unsigned int id) override { connected = id; }
    void onConnectionClosed(unsigned int, unsigned int, VNet_BitStream*) override { connected = 0; }
    bool onVornLevelRequest(unsigned int, unsigned char, VNet_BitStream*) override { return true; }
    void onVornLevelResult(unsigned int, unsigned char, unsigned char, VNet_BitStream*) override
    {
        levelReached = true;
    }
    void onDynamicNodeRequest(unsigned int, unsigned int requested, VNet_BitStream*, eVNet_NodeRole,
                              unsigned int networkId) override
    {
        auto proxy = std::make_unique<Mover>(threshold);
        if (proxy->node.registerRequestedNode(requested, this)) proxies[networkId] = std::move(proxy);
    }
    void onTagNodeRequest(unsigned int, unsigned int, VNet_BitStream*, eVNet_NodeRole, unsigned int) override {}
    void onApplicationData(unsigned int, VNet_BitStream*) override {}
    bool onDiscoverRequest(const VNet_Address&, VNet_BitStream*, VNet_BitStream*) override { return false; }
    void onDiscoverAnswer(const VNet_Address&, VNet_BitStream*) override {}
};

struct Outcome {
    double bytesPerSecondPerObject = 0;
    double rmsError = 0;
    bool ready = false;
};

// Everything of one run; the members go in reverse order, the library last.
struct Run {
    explicit Run(float threshold) : server(threshold), client(threshold) {}

    Vornet library;
    Endpoint server;
    Endpoint client;
    std::vector<std::unique_ptr<Mover>> objects;
    std::vector<Path> paths;

    void step()
    {
        client.VNet_processInput(eVNet_NoBlock);
        client.VNet_processOutput();
        server.VNet_processInput(eVNet_NoBlock);
        server.VNet_processOutput();
        client.VNet_processReplicators(kTick);
        server.VNet_processReplicators(kTick);
        simulatedMicros += kTick * 1000u;
    }

    bool start(unsigned seed)
    {
        if (!server.VNet_initSockets(false, 0, 1, 0) || !client.VNet_initSockets(false, 0, 2, 0)) return false;
        for (int i = 0; i < kObjects; ++i) {
            objects.push_back(std::make_unique<Mover>(server.threshold));
            objects.back()->node.registerNodeDynamic(server.classId, &server);
            paths.emplace_back(seed * 1000 + unsigned(i), kTick, kSpeed);
        }
        VNet_Address address;
        address.setType(eVNet_AddressLocal);
        address.setPort(1);
        client.VNet_Connect(address, nullptr);
        for (int i = 0; i < 20000 && client.proxies.size() < size_t(kObjects); ++i) {
            if (client.connected && !client.levelReached && i % 50 == 0) {
                client.VNet_requestDownstreamLimit(client.connected, 30, 1024);
                client.VNet_requestVornMode(client.connected, 1);
            }
            step();
        }
        return client.proxies.size() == size_t(kObjects);
    }

    Outcome simulate(double lossRate)
    {
        Outcome outcome;
        server.VNet_simulateLoss(0, float(lossRate));
        client.VNet_simulateLoss(0, float(lossRate));
        server.VNet_simulateLag(0, kLag);
        client.VNet_simulateLag(0, kLag);
        const uint32_t bytesBefore = server.VNet_getConnectionStats(server.connected).totalBytesSent;
        double squaredError = 0;
        long samples = 0;
        for (uint32_t now = kTick; now <= kDuration; now += kTick) {
            for (int i = 0; i < kObjects; ++i) {
                const bool arc = paths[size_t(i)].advance(now);
                objects[size_t(i)]->move(paths[size_t(i)], arc || now == kTick);
            }
            step();
            if (now < 1000) continue;
            for (int i = 0; i < kObjects; ++i) {
                float shown[2];
                client.proxies[objects[size_t(i)]->node.getNetworkID()]->shown(shown);
                const Path& path = paths[size_t(i)];
                squaredError += std::pow(shown[0] - path.position[0], 2) + std::pow(shown[1] - path.position[1], 2);
                ++samples;
            }
        }
        const uint32_t bytes = server.VNet_getConnectionStats(server.connected).totalBytesSent - bytesBefore;
        outcome.bytesPerSecondPerObject = bytes / double(kObjects) / (kDuration / 1000.0);
        outcome.rmsError = std::sqrt(squaredError / double(samples));
        outcome.ready = true;
        return outcome;
    }
};

void report(benchmark::State& state, float threshold)
{
    Outcome outcome;
    unsigned seed = 1;
    for (auto _ : state) {
        simulatedMicros = 1000000;
        Vornet_Private::setClockSource(simulatedClock);
        {
            Run run(threshold);
            if (run.library.Init() && run.start(seed++)) outcome = run.simulate(state.range(1) / 100.0);
            run.client.proxies.clear();
            run.objects.clear();
        }
        Vornet_Private::setClockSource(nullptr);
        if (!outcome.ready) {
            state.SkipWithError("the client did not receive every object");
            return;
        }
    }
    state.counters["bytes_per_s_per_object"] = outcome.bytesPerSecondPerObject;
    state.counters["rms_error"] = outcome.rmsError;
}

void DeadReckoningOverTheWire(benchmark::State& state)
{
    report(state, static_cast<float>(state.range(0)));
}

void PositionFloatsOverTheWire(benchmark::State& state)
{
    report(state, 0);
}

BENCHMARK(DeadReckoningOverTheWire)
    ->ArgsProduct({{25, 5, 1}, {0, 10}})
    ->ArgNames({"threshold", "loss_percent"})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(PositionFloatsOverTheWire)
    ->ArgsProduct({{0}, {0, 10}})
    ->ArgNames({"", "loss_percent"})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

