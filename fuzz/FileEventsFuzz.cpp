// File messages from a peer go straight into a node's event reader: offers,
// chunks, answers and ends in any order, ordered or not, well formed or
// raw, mixed with the application's answers and its draining of the
// node's events. Accepted files are written in a scratch folder that is
// the working folder during an input and is emptied after it. Built against both
// library builds; the input does not depend on the build.
//
// Input: records, each an operation byte and its arguments:
//   0 offer:  ordered byte, name length byte and name, size word, id word
//   1 chunk:  ordered byte, id word, length byte and that many bytes
//   2 answer: ordered byte, id word, accepted byte
//   3 end:    ordered byte, id word
//   4 raw:    ordered byte, kind byte, length byte and that many bytes of
//             serialised stream as the payload
//   5 the application answers: id word, choice byte (bit 0 accept, bit 1
//     name a path of its own)
//   6 the application drains its events and asks about an id word
//   7 the node writes what it queued into a packet, which is then acked
// An ordered byte's bit 4 asks for an ordered item whose number is its low
// four bits.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "vornet/vornet.h"
#include "vornet/vornet_node.h"
#include "vornet_file_messages.h"
#include "vornet_node_private.h"

namespace {

using fuzz::FuzzInput;
using namespace Vornet_Private;
namespace fs = std::filesystem;

constexpr uint32_t kConnection = 1;

fs::path& scratch()
{
    static fs::path folder;
    return folder;
}

// The working folder of the run, whose relative corpus paths libFuzzer
// reads between inputs.
fs::path& home()
{
    static fs::path folder;
    return folder;
}

// One event item of a node section around the payload, and the section's end.
void writeItem(VNet_BitStream& section, uint8_t ordered, unsigned kind, VNet_BitStream& payload)
{
    section.addBool(true);
    section.addBool((ordered & 0x10) != 0);
    if (ordered & 0x10) section.addInt(ordered & 15u, 4);
    section.addBool(false);
    section.addBool(false);
    section.addInt(kind - 4, 2);
    const unsigned bits = payload.getBitCount();
    const bool big = bits / 8 >= 255;
    section.addBool(big);
    section.addInt(bits / 8, big ? 16 : 8);
    section.addInt(bits % 8, 3);
    section.addBitStream(&payload);
}

// Builds the payload the operation asks for; false for none.
bool payloadFor(uint8_t operation, FuzzInput& input, VNet_BitStream& payload, unsigned* kind)
{
    switch (operation) {
    case 0: {
        std::vector<char> name = input.take(input.byte() % 32).rest();
        name.push_back('\0');
        const uint32_t size = input.word();
        FileMessages::writeOffer(payload, name.data(), size, input.word(), nullptr);
        *kind = eVNet_EventFileIncoming;
        return true;
    }
    case 1: {
        const uint32_t id = input.word();
        std::vector<char> bytes = input.take(input.byte()).rest();
        FileMessages::writeChunk(payload, id, bytes.data(), unsigned(bytes.size()));
        *kind = eVNet_EventFileData;
        return true;
    }
    case 2: {
        const uint32_t id = input.word();
        FileMessages::writeAnswer(payload, id, input.byte() & 1);
        *kind = eVNet_EventFileAborted;
        return true;
    }
    case 3:
        FileMessages::writeEnd(payload, input.word());
        *kind = eVNet_EventFileComplete;
        return true;
    default: {
        *kind = eVNet_EventFileIncoming + input.byte() % 4;
        std::vector<char> bytes = input.take(input.byte()).rest();
        return !bytes.empty() && payload.Deserialize(bytes.data(), static_cast<unsigned short>(bytes.size()));
    }
    }
}

void drain(VNet_Node& node, uint32_t id)
{
    while (node.checkEventWaiting()) {
        eVNet_Event kind = eVNet_EventNone;
        VNet_BitStream* stream = node.getNextEvent(&kind, nullptr, nullptr, nullptr);
        if (stream) stream->getInt(32);
    }
    (void)node.getFileInfo(kConnection, id).path;
}

void writeAndAck(VNet_Node_Private* node, NodeConnState* state)
{
    VNet_BitStream packet(64);
    NodeRecords records;
    Vornet_Private::EntryRoom room;
    room.limitBits = room.budgetBits = 60000 * 8;
    node->writeEvents(state, &packet, room, &records, nullptr);
    for (auto* n = records.events.first(); n; n = n->next) {
        node->eventDelivered(kConnection, n->payload->eventId, n->payload->order);
        delete n->payload;
    }
    records.events.clear();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static Vornet library;
    library.Init();
    // Offered names are written relative to the working folder.
    std::string folder = (fs::temp_directory_path() / "quillow-file-events-XXXXXX").string();
    if (!mkdtemp(folder.data())) std::abort();
    scratch() = folder;
    home() = fs::current_path();
    std::atexit([] {
        std::error_code ignored;
        fs::remove_all(scratch(), ignored);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    fs::current_path(scratch());
    {
        VNet_Node node;
        VNet_Node_Private* priv = VNet_Node_Private::of(&node);
        if (!priv->addConnection(kConnection)) return 0;
        NodeConnState* state = priv->linkedState(kConnection);
        while (!input.empty()) {
            const uint8_t operation = input.byte() % 8;
            if (operation == 5) {
                const uint32_t id = input.word();
                const uint8_t choice = input.byte();
                node.acceptFile(kConnection, id, (choice & 2) ? "own-name.bin" : nullptr, choice & 1);
                continue;
            }
            if (operation == 6) {
                drain(node, input.word());
                continue;
            }
            if (operation == 7) {
                writeAndAck(priv, state);
                continue;
            }
            const uint8_t ordered = input.byte();
            VNet_BitStream payload(64);
            unsigned kind = 0;
            if (!payloadFor(operation, input, payload, &kind)) continue;
            VNet_BitStream section(64);
            writeItem(section, ordered, kind, payload);
            section.addBool(false);
            priv->readEvents(state, &section, 0, nullptr);
        }
        drain(node, 0);
    }
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(scratch(), ignored)) fs::remove_all(entry.path(), ignored);
    fs::current_path(home());
    return 0;
}
