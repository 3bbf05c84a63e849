// Dead reckoning against plain position updates: bytes per second per moving
// object and the proxy's RMS error over 100 objects, by threshold and loss.
// The simulation steps its own clock, so the figures do not depend on the
// machine; the time measured is the cost of the simulation.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <random>
#include <vector>

#include "MovementPath.h"
#include "vornet/src/vornet_replicator_movement_private.h"

namespace {

using namespace Vornet_Private;
using movement_bench::Path;

constexpr unsigned char bits = 16;
constexpr uint32_t tick = 16;          // frames of the application
constexpr uint32_t sendEvery = 33;     // send opportunities: 30 packets a second
constexpr uint32_t lag = 50;           // one way
constexpr uint32_t interpolation = 100;
constexpr uint32_t duration = 20000;
constexpr int objects = 100;
constexpr float speed = 0.1f;          // units per millisecond

struct Quiet : VNet_MoveUpdateListener<float> {
    void onInputReceived(VNet_BitStream*, bool, unsigned int, unsigned int) override {}
    void onLocalInput(VNet_BitStream*) override {}
    void onCorrection(float*, float*, float*, bool, unsigned int) override {}
    void onUpdateReceived(VNet_BitStream*, float*, float*, float*, unsigned int) override {}
};

struct Outcome {
    double bytes = 0;
    double squaredError = 0;
    long samples = 0;
};

struct InFlight {
    uint32_t arrival;
    bool lost;
    VNet_BitStream* stream;
};

// threshold 0 means the baseline: every opportunity sends the quantised
// position and the proxy shows the last one received.
Outcome simulate(float threshold, double lossRate, unsigned seed)
{
    Outcome outcome;
    std::mt19937 lossRandom(seed);
    std::bernoulli_distribution loss(lossRate);
    for (int object = 0; object < objects; ++object) {
        Path path(seed * 1000 + unsigned(object), tick, speed);
        MovementCore<float, 2> authority, proxy;
        Quiet quiet;
        proxy.updateListener = &quiet;
        float baselineShown[2] = {0, 0};
        std::deque<InFlight> link;
        for (uint32_t now = tick; now <= duration; now += tick) {
            authority.process(tick, interpolation);
            proxy.process(tick, interpolation);
            const bool arc = path.advance(now);
            authority.updateState(path.position, arc || now == tick ? path.velocity : nullptr, nullptr, false);
            if (now % sendEvery < tick) {
                auto* stream = new VNet_BitStream(12);
                if (threshold == 0) {
                    writeValues<float, 2>(*stream, path.position, bits);
                } else {
                    auto* record = authority.recordFor(1);
                    const unsigned plan = authority.planUpdate(*record, bits, threshold, false);
                    if (plan & updateSend) {
                        authority.writeStateUpdate(*stream, plan, record->force, bits);
                        authority.recordSent(*record, plan, bits);
                    }
                }
                outcome.bytes += stream->getBitCount() / 8.0;
                const bool lost = loss(lossRandom);
                if (stream->getBitCount()) {
                    link.push_back({now + (lost ? 2 * lag : lag), lost, stream});
                } else {
                    delete stream;
                }
            }
            while (!link.empty() && link.front().arrival <= now) {
                InFlight message = link.front();
                link.pop_front();
                if (threshold == 0) {
                    if (!message.lost) readValues<float, 2>(*message.stream, baselineShown, bits);
                } else if (message.lost) {
                    authority.markLost(*authority.recordFor(1));
                } else {
                    proxy.receiveStateUpdate(*message.stream, bits, interpolation, 1000 / sendEvery, 0);
                }
                delete message.stream;
            }
            if (now < 1000) continue;
            float shown[2];
            if (threshold == 0) {
                std::copy(baselineShown, baselineShown + 2, shown);
            } else {
                proxy.extrapolatedPosition(0, shown, interpolation);
            }
            const float error = positionDrift<float, 2>(shown, path.position);
            outcome.squaredError += double(error) * error;
            ++outcome.samples;
        }
        for (auto& message : link) delete message.stream;
    }
    return outcome;
}

void report(benchmark::State& state, float threshold)
{
    const double lossRate = state.range(1) / 100.0;
    Outcome outcome;
    unsigned seed = 1;
    for (auto _ : state) outcome = simulate(threshold, lossRate, seed++);
    state.counters["bytes_per_s_per_object"] = outcome.bytes / objects / (duration / 1000.0);
    state.counters["rms_error"] = std::sqrt(outcome.squaredError / outcome.samples);
}

void DeadReckoning(benchmark::State& state)
{
    report(state, static_cast<float>(state.range(0)));
}

void FullPositionsEveryPacket(benchmark::State& state)
{
    report(state, 0);
}

BENCHMARK(DeadReckoning)
    ->ArgsProduct({{25, 5, 1}, {0, 10}})
    ->ArgNames({"threshold", "loss_percent"})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(FullPositionsEveryPacket)
    ->ArgsProduct({{0}, {0, 10}})
    ->ArgNames({"", "loss_percent"})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
