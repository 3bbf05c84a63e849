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

std::atomic<uint64_t> allocations{0};

void* countingAllocate(unsigned int bytes)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(bytes);
}

void countingFree(void* memory)
{
    std::free(memory);
}

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
        auto* answer = new VNet_BitStream(8);
        answer->addInt(stream->getInt(32), 32);
        VNet_sendData(id, answer, eVNet_ReliableOrdered);
    }
    bool onDiscoverRequest(const VNet_Address&, VNet_BitStream*, VNet_BitStream*) override { return false; }
    void onDiscoverAnswer(const VNet_Address&, VNet_BitStream*) override {}

    void step()
    {
        VNet_processInput(eVNet_NoBlock);
        VNet_processOutput();
    }
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
        auto* message = new VNet_BitStream(8);
        message->addInt(7, 32);
        client.VNet_sendData(client.connected, message, eVNet_ReliableOrdered);
        for (int i = 0; i < 1000000 && client.received == before; ++i) step();
        return client.received != before;
    }

    // Declared first, so it goes last: the controls give their sockets back
    // before the library object destroys the registry.
    Vornet library;
    Endpoint server;
    Endpoint client;
};

void roundTrips(benchmark::State& state, bool udp)
{
    Link link(udp);
    if (!link.client.connected) {
        state.SkipWithError("not connected");
        return;
    }
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

// Allocations through the hooks for each packet sent and received, over a
// connection in one process.
void BM_AllocationsPerPacket(benchmark::State& state)
{
    Vornet::overrideMemoryHandlers(countingAllocate, countingFree);
    {
        Link link(false);
        const unsigned clientId = link.client.connected;
        const unsigned serverId = link.server.connected;
        uint64_t counted = 0;
        uint64_t packets = 0;
        for (auto _ : state) {
            const uint64_t before = allocations.load();
            const uint32_t packetsBefore = link.client.VNet_getConnectionStats(clientId).packetsSentThisSecond +
                                           link.server.VNet_getConnectionStats(serverId).packetsSentThisSecond;
            link.roundTrip();
            counted += allocations.load() - before;
            packets += link.client.VNet_getConnectionStats(clientId).packetsSentThisSecond +
                       link.server.VNet_getConnectionStats(serverId).packetsSentThisSecond - packetsBefore;
        }
        // Each packet is sent once and received once.
        state.counters["allocations_per_packet"] = double(counted) / double(packets ? packets : 1);
    }
    Vornet::overrideMemoryHandlers(nullptr, nullptr);
}
BENCHMARK(BM_AllocationsPerPacket)->Iterations(2000);

}  // namespace
