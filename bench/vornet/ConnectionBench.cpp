// Connections at work: round trips of ordered data over loopback UDP and
// in-process sockets (with the CPU time per packet), the bytes an idle UDP
// connection puts on the wire each second, and the allocations per packet
// counted through the library's allocation hooks.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <memory>

#include "platform/UdpSocket.h"
#include "vornet/vornet.h"
#include "vornet/vornet_control.h"

namespace {

// Every allocation through the hooks, and those of the benchmark's own
// thread; the difference is the socket reader's.
std::atomic<uint64_t> allocations{0};
thread_local uint64_t ownAllocations = 0;

void* countingAllocate(unsigned int bytes)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    ++ownAllocations;
    return std::malloc(bytes);
}

void countingFree(void* memory)
{
    std::free(memory);
}

// Where the allocations of the benchmark's thread happened: making and
// handing over a message, the output step, the input step (the message
// handling of the echo callback taken out).
struct AllocationTally {
    uint64_t messages = 0;
    uint64_t output = 0;
    uint64_t input = 0;
};
AllocationTally tally;

// Echoes every message back when told to; counts what arrives.
class Endpoint : public VNet_Control {
public:
    bool echo = false;
    uint64_t received = 0;
    unsigned connected = 0;

    void onConnectResult(unsigned int id, unsigned int result, VNet_BitStream*) override
    {
        if (result == eVNet_ConnectAccepted) connected = id;
    }
    bool onConnectionRequest(unsigned int, VNet_BitStream*, VNet_BitStream*) override { return true; }
    void onConnectionEstablished(unsigned int id) override { connected = id; }
    void onConnectionClosed(unsigned int, unsigned int, VNet_BitStream*) override { connected = 0; }
    bool onVornLevelRequest(unsigned int, unsigned char, VNet_BitStream*) override { return true; }
    void onVornLevelResult(unsigned int, unsigned char, unsigned char, VNet_BitStream*) override {}
    void onDynamicNodeRequest(unsigned int, unsigned int, VNet_BitStream*, eVNet_NodeRole, unsigned int) override {}
    void onTagNodeRequest(unsigned int, unsigned int, VNet_BitStream*, eVNet_NodeRole, unsigned int) override {}
    void onApplicationData(unsigned int id, VNet_BitStream* stream) override
    {
        ++received;
        if (!echo) return;
        const uint64_t before = ownAllocations;
        auto* answer = new VNet_BitStream(8);
        answer->addInt(stream->getInt(32), 32);
        VNet_sendData(id, answer, eVNet_ReliableOrdered);
        tally.messages += ownAllocations - before;
        messageAllocationsInInput += ownAllocations - before;
    }
    bool onDiscoverRequest(const VNet_Address&, VNet_BitStream*, VNet_BitStream*) override { return false; }
    void onDiscoverAnswer(const VNet_Address&, VNet_BitStream*) override {}

    void step()
    {
        messageAllocationsInInput = 0;
        const uint64_t beforeInput = ownAllocations;
        VNet_processInput(eVNet_NoBlock);
        tally.input += ownAllocations - beforeInput - messageAllocationsInInput;
        const uint64_t beforeOutput = ownAllocations;
        VNet_processOutput();
        tally.output += ownAllocations - beforeOutput;
    }

private:
    uint64_t messageAllocationsInInput = 0;
};

unsigned short freePort()
{
    platform::UdpSocket probe;
    if (!probe.open() || !probe.bind(platform::kLoopbackAddress, 0)) return 0;
    return probe.localPort();
}

// A client connected to a server, over UDP on 127.0.0.1 or in-process.
struct Link {
    explicit Link(bool udp)
    {
        library.Init();
        server.echo = true;
        if (udp) {
            const unsigned short port = freePort();
            server.VNet_initSockets(true, port, 0, 0);
            client.VNet_initSockets(true, freePort(), 0, 0);
            VNet_Address address;
            address.setType(eVNet_AddressUDP);
            address.setIP(127, 0, 0, 1);
            address.setPort(port);
            client.VNet_Connect(address, nullptr);
        } else {
            server.VNet_initSockets(false, 0, 2, 0);
            client.VNet_initSockets(false, 0, 1, 0);
            VNet_Address address;
            address.setType(eVNet_AddressLocal);
            address.setPort(2);
            client.VNet_Connect(address, nullptr);
        }
        const uint32_t start = Vornet::getTime();
        while (!(client.connected && server.connected) && Vornet::getTime() - start < 5000) step();
        // Fast enough that the rate never holds a reply back.
        client.VNet_requestDownstreamLimit(client.connected, 1000, 1024);
        server.VNet_requestDownstreamLimit(server.connected, 1000, 1024);
    }
    void step()
    {
        client.step();
        server.step();
    }

    // One message there and back; false when it never came.
    bool roundTrip()
    {
        const uint64_t before = client.received;
        const uint64_t allocationsBefore = ownAllocations;
        auto* message = new VNet_BitStream(8);
        message->addInt(7, 32);
        client.VNet_sendData(client.connected, message, eVNet_ReliableOrdered);
        tally.messages += ownAllocations - allocationsBefore;
        for (int i = 0; i < 1000000 && client.received == before; ++i) step();
        return client.received != before;
    }

    // Declared first, so it goes last: the controls give their sockets back
    // before the library object destroys the registry.
    Vornet library;
    Endpoint server;
    Endpoint client;
};

// Round trips a connection makes before the benchmarks time it.
constexpr int kFirstTrips = 64;

void roundTrips(benchmark::State& state, bool udp)
{
    Link link(udp);
    if (!link.client.connected) {
        state.SkipWithError("not connected");
        return;
    }
    // Past its first trips: until a connection has measured its path, it
    // reuses its sequence numbers only after a cautious wait.
    for (int i = 0; i < kFirstTrips; ++i) link.roundTrip();
    const unsigned id = link.client.connected;
    const uint32_t sentBefore = link.client.VNet_getConnectionStats(id).totalBytesSent;
    uint64_t trips = 0;
    for (auto _ : state) {
        if (!link.roundTrip()) {
            state.SkipWithError("message lost");
            return;
        }
        ++trips;
    }
    state.counters["round_trips"] = benchmark::Counter(double(trips), benchmark::Counter::kIsRate);
    // Two data packets per trip: items per second is data packets per
    // second of CPU time, its inverse the CPU time per packet.
    state.SetItemsProcessed(int64_t(trips * 2));
    const VNet_ConnStats& stats = link.client.VNet_getConnectionStats(id);
    state.counters["client_bytes_per_trip"] = double(stats.totalBytesSent - sentBefore) / double(trips ? trips : 1);
}

void BM_RoundTripUdpLoopback(benchmark::State& state)
{
    roundTrips(state, true);
}
BENCHMARK(BM_RoundTripUdpLoopback)->Unit(benchmark::kMicrosecond);

void BM_RoundTripInProcess(benchmark::State& state)
{
    roundTrips(state, false);
}
BENCHMARK(BM_RoundTripInProcess)->Unit(benchmark::kMicrosecond);

// Hands a batch of ordered 32-byte messages to the client and steps both
// sides until the server has them all; false when some never came.
bool sendBatch(Link& link, int count)
{
    const uint64_t before = link.server.received;
    for (int i = 0; i < count; ++i) {
        auto* message = new VNet_BitStream(32);
        for (uint32_t word = 0; word < 8; ++word) message->addInt(word, 32);
        link.client.VNet_sendData(link.client.connected, message, eVNet_ReliableOrdered);
    }
    for (int i = 0; i < 10000000 && link.server.received - before < uint64_t(count); ++i) link.step();
    return link.server.received - before == uint64_t(count);
}

// Ordered messages one way over loopback UDP, a batch per iteration, on a
// connection whose first batch has gone already: it runs at the rates
// asked. The counter is messages per second.
void BM_OneWayUdpLoopback(benchmark::State& state)
{
    constexpr int kBatch = 100;
    Link link(true);
    link.server.echo = false;
    if (!link.client.connected || !sendBatch(link, kBatch)) {
        state.SkipWithError("not connected");
        return;
    }
    uint64_t messages = 0;
    for (auto _ : state) {
        if (!sendBatch(link, kBatch)) {
            state.SkipWithError("message lost");
            return;
        }
        messages += kBatch;
    }
    state.counters["messages"] = benchmark::Counter(double(messages), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_OneWayUdpLoopback)->Unit(benchmark::kMillisecond)->UseRealTime();

// One iteration is one second of an idle UDP connection at the default
// rate; the counter is what the client put on the wire in that second.
void BM_IdleConnectionBytesPerSecond(benchmark::State& state)
{
    Link link(true);
    // Back to the default rate of 15 packets per second.
    link.client.VNet_requestDownstreamLimit(link.client.connected, 15, 200);
    link.server.VNet_requestDownstreamLimit(link.server.connected, 15, 200);
    const unsigned id = link.client.connected;
    double bytes = 0;
    for (auto _ : state) {
        const uint32_t start = Vornet::getTime();
        const uint32_t before = link.client.VNet_getConnectionStats(id).totalBytesSent;
        while (Vornet::getTime() - start < 1000) {
            link.step();
            Vornet::Sleep(1);
        }
        bytes = double(link.client.VNet_getConnectionStats(id).totalBytesSent - before);
    }
    state.counters["bytes_per_second"] = bytes;
}
BENCHMARK(BM_IdleConnectionBytesPerSecond)->Iterations(3)->Unit(benchmark::kMillisecond);

// Datagrams one side sent between two readings of its statistics; the
// per-second counts may have rolled over in between.
uint32_t packetsSent(const VNet_ConnStats& before, const VNet_ConnStats& after)
{
    if (after.lastSecondStart == before.lastSecondStart) return after.packetsSentThisSecond - before.packetsSentThisSecond;
    return after.packetsSentLastSecond - before.packetsSentThisSecond + after.packetsSentThisSecond;
}

// Allocations through the hooks in steady state, over a connection in one
// process or over loopback UDP: per application message (its stream and the
// hand-over included), per datagram sent (the output step) and per datagram
// received (the input step and, over UDP, the socket reader). Every
// datagram sent is received once.
void Allocations(benchmark::State& state, bool udp)
{
    Vornet::overrideMemoryHandlers(countingAllocate, countingFree);
    {
        Link link(udp);
        const unsigned clientId = link.client.connected;
        const unsigned serverId = link.server.connected;
        for (int i = 0; i < 100; ++i) link.roundTrip();
        tally = AllocationTally{};
        uint64_t datagrams = 0;
        uint64_t otherThreads = 0;
        uint64_t trips = 0;
        for (auto _ : state) {
            const VNet_ConnStats client = link.client.VNet_getConnectionStats(clientId);
            const VNet_ConnStats server = link.server.VNet_getConnectionStats(serverId);
            const uint64_t before = allocations.load();
            const uint64_t ownBefore = ownAllocations;
            if (!link.roundTrip()) {
                state.SkipWithError("message lost");
                break;
            }
            otherThreads += allocations.load() - before - (ownAllocations - ownBefore);
            datagrams += packetsSent(client, link.client.VNet_getConnectionStats(clientId)) +
                         packetsSent(server, link.server.VNet_getConnectionStats(serverId));
            ++trips;
        }
        const double sent = double(datagrams ? datagrams : 1);
        state.counters["allocations_per_message"] =
            double(tally.messages + tally.output + tally.input + otherThreads) / double(2 * (trips ? trips : 1));
        state.counters["message_handover_allocations"] = double(tally.messages) / double(2 * (trips ? trips : 1));
        state.counters["allocations_per_datagram_sent"] = double(tally.output) / sent;
        state.counters["allocations_per_datagram_received"] = double(tally.input + otherThreads) / sent;
        state.counters["datagrams_per_message"] = sent / double(2 * (trips ? trips : 1));
    }
    Vornet::overrideMemoryHandlers(nullptr, nullptr);
}
BENCHMARK_CAPTURE(Allocations, in_process, false)->Iterations(2000);
BENCHMARK_CAPTURE(Allocations, udp_loopback, true)->Iterations(2000);

}  // namespace
