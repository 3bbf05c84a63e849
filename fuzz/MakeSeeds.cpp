// Writes the seed corpora of the networking targets of one library build:
// streams and datagram headers as the library itself writes them, in the
// cases its tests check, and the datagrams two controls exchange from
// handshake to disconnect. Run as
//   fuzz_make_seeds_vc fuzz/corpus    and    fuzz_make_seeds_vcd fuzz/corpus
// from the source tree; the corpora are committed.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "BitStreamScript.h"
#include "ControlPair.h"
#include "vornet_packet.h"
#include "vornet_socket_local.h"
#include "vornet_socket_udp.h"

namespace {

namespace fs = std::filesystem;
using namespace fuzz::script;
using Bytes = std::vector<uint8_t>;

#ifdef VORNET_CHECKING
const char* const kBuild = "vcd";
#else
const char* const kBuild = "vc";
#endif

Bytes serialised(VNet_BitStream& stream)
{
    unsigned short size = stream.getSizeHint();
    std::vector<char> bytes(size);
    if (!stream.Serialize(bytes.data(), &size, size)) return {};
    return Bytes(bytes.begin(), bytes.begin() + size);
}

void writeSeed(const fs::path& folder, const std::string& name, const Bytes& bytes)
{
    fs::create_directories(folder);
    std::ofstream(folder / name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                          static_cast<std::streamsize>(bytes.size()));
}

char bytes1234[] = {0x12, 0x34};

// Every item type once, in the order the scripts below read them.
void writeEveryItem(VNet_BitStream& stream)
{
    stream.addInt(5, 3);
    stream.addSignedInt(-3, 4);
    stream.addBool(true);
    stream.addFloat(1.0f, 23);
    stream.addString("Hi");
    stream.addStringW(L"A");
    stream.addBuffer(bytes1234, 2);
    VNet_BitStream inner;
    inner.addInt(5, 3);
    inner.addBool(true);
    stream.addBitStream(&inner);
}

struct ScriptCase {
    const char* name;
    Bytes script;
};

const ScriptCase kScripts[] = {
    {"every-item-read",
     {GetInt, 3, GetSignedInt, 4, GetBool, 0, GetFloat, 23, GetStringInto, 8, 0, GetStringWInto, 8, 0, GetBuffer, 2,
      0, GetBitStream, 4, 0}},
    {"every-item-skipped",
     {SkipInt, 3, SkipSignedInt, 4, SkipBool, 0, SkipFloat, 23, SkipString, 0, 0, SkipString, 0, 0, SkipBuffer, 2,
      0, SkipBits, 4, 0}},
    {"strings-peeked-and-cut",
     {SkipInt, 3, SkipSignedInt, 4, SkipBool, 0, SkipFloat, 23, StringSizes, 0, 0, GetStringInto, 2, 0,
      GetStringWStatic, 0, 0, GetString, 0, 0}},
    {"copies-and-positions",
     {SaveRead, Duplicate, Assign, GetInt, 3, RestoreRead, GetInt, 3, Serialize, Queries, 8, 0, ResetRead,
      GetStringStatic, 0, 0}},
    {"appends-after-reading", {GetInt, 3, AppendInt, 0x34, 0x12, 16, AppendText, 5, AppendSelf, GetInt, 32}},
};

void writeBitStreamSeeds(const fs::path& corpus)
{
    const fs::path folder = corpus / (std::string("fuzz_bitstream_") + kBuild);
    VNet_BitStream stream;
    writeEveryItem(stream);
    const Bytes datagram = serialised(stream);
    for (const ScriptCase& c : kScripts) {
        Bytes seed{static_cast<uint8_t>(c.script.size())};
        seed.insert(seed.end(), c.script.begin(), c.script.end());
        seed.insert(seed.end(), datagram.begin(), datagram.end());
        writeSeed(folder, c.name, seed);
    }
}

struct HeaderCase {
    const char* name;
    bool local;
    uint8_t width;
    uint8_t source;
    uint8_t destination;
    uint32_t flags;
};

// The header cases of the socket tests, each followed by what a control
// sends first: the packet's leading bool and a value.
const HeaderCase kHeaders[] = {
    {"udp-plain-no-ids", false, 0, 0, 0, 0},
    {"udp-connection-request", false, 3, 2, 5, VNet_Socket::FlagConnectionRequest},
    {"udp-discovery-request", false, 3, 2, 5, VNet_Socket::FlagDiscoverRequest},
    {"udp-discovery-answer", false, 3, 2, 5, VNet_Socket::FlagDiscoverAnswer},
    {"udp-plain-8-bit-ids", false, 8, 200, 7, 0},
    {"local-3-bit-id", true, 3, 2, 5, 0},
    {"local-8-bit-id", true, 8, 0, 200, 0},
};

Bytes headerDatagram(const HeaderCase& c)
{
    VNet_SocketUDP udp;
    VNet_SocketLocal local(1);
    VNet_Socket& socket = c.local ? static_cast<VNet_Socket&>(local) : udp;
    socket.setControlIDSize(c.width);
    VNet_Packet packet(static_cast<unsigned short>(64));
    socket.addPacketHeader(&packet, c.source, c.destination, c.flags);
    // An answer carries the answerer's port right after the header.
    if (c.flags == VNet_Socket::FlagDiscoverAnswer) packet.getStream()->addInt(4000, 16);
    packet.getStream()->addBool(true);
    packet.getStream()->addInt(0xC0FFEE, 32);
    return serialised(*packet.getStream());
}

void writeHeaderSeeds(const fs::path& corpus)
{
    const fs::path folder = corpus / (std::string("fuzz_datagram_header_") + kBuild);
    for (const HeaderCase& c : kHeaders) {
        // Every id 0 to 7 receives and listens.
        Bytes seed{c.width, 0xFF};
        const Bytes datagram = headerDatagram(c);
        seed.insert(seed.end(), datagram.begin(), datagram.end());
        writeSeed(folder, c.name, seed);
    }
}

// Between the controls of a pair whose client sits on kRelayedClientPort
// and connects to kRelayPort: what the client sends is recorded and passed
// on to the server from the client's usual port, and what the server
// answers there is recorded and passed back. So each datagram is recorded
// as the control target's impostor would send it.
class RecordingRelay {
public:
    static constexpr unsigned short kRelayPort = 3;
    static constexpr unsigned short kRelayedClientPort = 4;

    RecordingRelay()
        : towardServer_(Vornet::requestSocket(eVNet_AddressLocal, kRelayPort, false)),
          towardClient_(Vornet::requestSocket(eVNet_AddressLocal, fuzz::control::kClientPort, false))
    {
        for (VNet_Socket* socket : {towardServer_, towardClient_}) {
            socket->setControlIDSize(0);
            socket->attachReceiver(0);
        }
    }
    ~RecordingRelay()
    {
        for (VNet_Socket* socket : {towardServer_, towardClient_}) {
            socket->detachReceiver(0);
            Vornet::releaseSocket(socket);
        }
    }

    void pass()
    {
        passOn(*towardServer_, *towardClient_, fuzz::control::kServerPort, toServer);
        passOn(*towardClient_, *towardServer_, kRelayedClientPort, toClient);
    }

    std::vector<Bytes> toServer;
    std::vector<Bytes> toClient;

private:
    static void passOn(VNet_Socket& from, VNet_Socket& through, unsigned short port, std::vector<Bytes>& record)
    {
        while (VNet_Packet* packet = from.popPacket(0)) {
            record.push_back(serialised(*packet->getStream()));
            packet->setDestination(fuzz::control::localAddress(port));
            through.sendPacket(packet);
        }
    }

    VNet_Socket* towardServer_;
    VNet_Socket* towardClient_;
};

VNet_BitStream* valueStream(uint32_t value)
{
    auto* stream = new VNet_BitStream(8);
    stream->addInt(value, 32);
    return stream;
}

// A whole conversation: handshake, data both ways, the client's disconnect.
void converse(fuzz::control::Pair& pair, RecordingRelay& relay)
{
    auto step = [&] {
        pair.client->step();
        relay.pass();
        pair.server->step();
        relay.pass();
        fuzz::control::advance(5);
    };
    pair.client->VNet_Connect(fuzz::control::localAddress(RecordingRelay::kRelayPort), valueStream(1));
    for (int i = 0; i < 100 && !pair.connected(); ++i) step();
    for (uint32_t i = 0; i < 3; ++i) {
        pair.client->VNet_sendData(pair.client->connection, valueStream(i), eVNet_ReliableOrdered);
        pair.server->VNet_sendData(pair.server->connection, valueStream(i), eVNet_Unreliable);
        step();
    }
    pair.client->VNet_Disconnect(pair.client->connection, nullptr);
    for (int i = 0; i < 20; ++i) step();
}

// One seed per starting state and receiving side, each holding every
// datagram that side received, 5 ms apart.
void writeControlSeeds(const fs::path& corpus)
{
    using namespace fuzz::control;
    Vornet_Private::setClockSource(&fuzzClock);
    Vornet library;
    library.Init();
    std::vector<Bytes> toServer, toClient;
    {
        Pair pair(RecordingRelay::kRelayedClientPort);
        RecordingRelay relay;
        converse(pair, relay);
        toServer = relay.toServer;
        toClient = relay.toClient;
    }
    library.Clear();
    const char* const stages[] = {"fresh", "handshake", "connected", "disconnecting", "closing"};
    const fs::path folder = corpus / (std::string("fuzz_control_") + kBuild);
    for (uint8_t stage = 0; stage < kStages; ++stage) {
        for (bool client : {false, true}) {
            Bytes seed{static_cast<uint8_t>(stage | (client ? 0x80 : 0))};
            for (const Bytes& datagram : client ? toClient : toServer) {
                if (datagram.size() > 255) continue;
                seed.push_back(static_cast<uint8_t>(datagram.size()));
                seed.insert(seed.end(), datagram.begin(), datagram.end());
                seed.push_back(5);
            }
            writeSeed(folder, std::string(client ? "client-" : "server-") + stages[stage], seed);
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s corpus-folder\n", argv[0]);
        return 2;
    }
    writeBitStreamSeeds(argv[1]);
    writeHeaderSeeds(argv[1]);
    writeControlSeeds(argv[1]);
    return 0;
}
