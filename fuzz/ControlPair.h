// Two controls talking over in-process sockets on a library clock moved
// by hand: the control target starts each input from them, and the seed
// program records what they say to each other.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "vornet/vornet.h"
#include "vornet/vornet_control.h"
#include "vornet_clock.h"

namespace fuzz::control {

constexpr unsigned short kClientPort = 1;
constexpr unsigned short kServerPort = 2;

// The connection states an input starts from.
enum class ConnectionStage : uint8_t {
    // No connection: the datagrams come from a stranger.
    Fresh,
    // The client's request is answered; neither side is connected yet.
    Handshake,
    Connected,
    // The client has sent data and its Disconnect; the server has not read them.
    Disconnecting,
    // The server has read the Disconnect.
    Closing
};
constexpr uint8_t kStages = 5;

inline std::atomic<uint64_t> clockMicros{1000000};

inline uint64_t fuzzClock()
{
    return clockMicros.load();
}

inline void advance(uint32_t milliseconds)
{
    clockMicros += uint64_t(milliseconds) * 1000;
}

// Accepts whatever is asked and reads what it is given, as an application
// would.
class FuzzControl : public VNet_Control {
public:
    unsigned connection = 0;

    void onConnectResult(unsigned int id, unsigned int, VNet_BitStream* reply) override
    {
        connection = id;
        if (reply) reply->getInt(32);
    }
    bool onConnectionRequest(unsigned int, VNet_BitStream* request, VNet_BitStream* reply) override
    {
        if (request) request->getInt(32);
        reply->addInt(7, 32);
        return true;
    }
    void onConnectionEstablished(unsigned int id) override { connection = id; }
    void onConnectionClosed(unsigned int, unsigned int, VNet_BitStream* stream) override
    {
        if (stream) stream->getStringStatic();
    }
    bool onVornLevelRequest(unsigned int, unsigned char, VNet_BitStream*) override { return true; }
    void onVornLevelResult(unsigned int, unsigned char, unsigned char, VNet_BitStream*) override {}
    void onDynamicNodeRequest(unsigned int, unsigned int, VNet_BitStream*, eVNet_NodeRole, unsigned int) override {}
    void onTagNodeRequest(unsigned int, unsigned int, VNet_BitStream*, eVNet_NodeRole, unsigned int) override {}
    void onApplicationData(unsigned int, VNet_BitStream* stream) override { stream->getInt(32); }
    bool onDiscoverRequest(const VNet_Address&, VNet_BitStream*, VNet_BitStream*) override { return false; }
    void onDiscoverAnswer(const VNet_Address&, VNet_BitStream*) override {}

    void step()
    {
        VNet_processInput(eVNet_NoBlock);
        VNet_processOutput();
    }
};

inline VNet_Address localAddress(unsigned short port)
{
    VNet_Address address;
    address.setType(eVNet_AddressLocal);
    address.setPort(port);
    return address;
}

// The two controls, stepped 5 ms apart; the client on its own port or
// another one.
struct Pair {
    std::unique_ptr<FuzzControl> client = std::make_unique<FuzzControl>();
    std::unique_ptr<FuzzControl> server = std::make_unique<FuzzControl>();

    explicit Pair(unsigned short clientPort = kClientPort)
    {
        server->VNet_initSockets(false, 0, kServerPort, 0);
        client->VNet_initSockets(false, 0, clientPort, 0);
    }
    void step()
    {
        client->step();
        server->step();
        advance(5);
    }
    bool connected() const { return client->connection != 0 && server->connection != 0; }
    void runUntilConnected()
    {
        for (int i = 0; i < 100 && !connected(); ++i) step();
    }
};

}  // namespace fuzz::control
