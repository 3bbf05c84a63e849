// Writes the seed corpora of the networking targets of one library build:
// streams and datagram headers as the library itself writes them, in the
// cases its tests check. Run as
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

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s corpus-folder\n", argv[0]);
        return 2;
    }
    writeBitStreamSeeds(argv[1]);
    writeHeaderSeeds(argv[1]);
    return 0;
}
