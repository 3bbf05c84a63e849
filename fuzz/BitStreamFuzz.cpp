// A received datagram is hostile: Deserialize takes any bytes, then a script
// read from the front of the input reads, skips, copies and appends items of
// every type in any order and with any sizes, as a peer that lies about its
// packet layout would make the library do. Built against both builds of the
// library; the checking build must survive asymmetrical reads as well.
//
// Input: one byte giving the script's length, the script (an operation byte
// and its arguments, repeated), then the datagram.
#include <cstdint>
#include <memory>
#include <vector>

#include "BitStreamScript.h"
#include "FuzzInput.h"
#include "vornet/vornet_bitstream.h"

namespace {

using fuzz::FuzzInput;
using namespace fuzz::script;

// Reads into a buffer of exactly the size asked for, so that the sanitizer
// sees every byte written past it.
void readText(VNet_BitStream& stream, uint8_t operation, uint16_t size)
{
    switch (operation) {
    case GetString: {
        std::unique_ptr<char[]> text(stream.getString());
        break;
    }
    case GetStringInto: {
        std::vector<char> out(size);
        stream.getString(size ? out.data() : nullptr, size);
        break;
    }
    case GetStringWInto: {
        std::vector<wchar_t> out(size);
        stream.getStringW(size ? out.data() : nullptr, size);
        break;
    }
    case GetStringStatic:
        stream.getStringStatic();
        break;
    case GetStringWStatic:
        stream.getStringWStatic();
        break;
    case StringSizes:
        stream.getStringSize();
        stream.getStringLength();
        stream.getStringWLength();
        break;
    default:
        stream.skipString();
        break;
    }
}

void readBlock(VNet_BitStream& stream, uint8_t operation, uint16_t size)
{
    switch (operation) {
    case GetBuffer: {
        std::vector<char> out(size);
        stream.getBuffer(size ? out.data() : nullptr, size);
        break;
    }
    case SkipBuffer:
        stream.skipBuffer(size);
        break;
    case GetBitStream: {
        // A slice is read on as a stream of its own.
        std::unique_ptr<VNet_BitStream> slice(stream.getBitStream(size));
        if (slice) {
            slice->getInt(static_cast<unsigned char>(size));
            std::unique_ptr<char[]> text(slice->getString());
        }
        break;
    }
    default:
        stream.skipBits(size);
        break;
    }
}

void readScalar(VNet_BitStream& stream, uint8_t operation, uint8_t bits)
{
    switch (operation) {
    case GetInt:
        stream.getInt(bits);
        break;
    case GetSignedInt:
        stream.getSignedInt(bits);
        break;
    case GetBool:
        stream.getBool();
        break;
    case GetFloat:
        stream.getFloat(bits);
        break;
    case SkipInt:
        stream.skipInt(bits);
        break;
    case SkipSignedInt:
        stream.skipSignedInt(bits);
        break;
    case SkipBool:
        stream.skipBool();
        break;
    default:
        stream.skipFloat(bits);
        break;
    }
}

// A stream that would grow past 64 KiB ends the process by design; the
// library never appends that much to a received stream, so neither do we.
constexpr unsigned kAppendLimitBits = 8 * 8192;

// Copies, positions and queries, and appends to a received stream (a reply
// built on top of what came in).
void handleWhole(VNet_BitStream& stream, uint8_t operation, FuzzInput& script, VNet_BitStream::BitPos& saved)
{
    if (operation >= AppendInt && stream.getBitCount() > kAppendLimitBits) return;
    switch (operation) {
    case Duplicate: {
        std::unique_ptr<VNet_BitStream> copy(stream.Duplicate());
        if (copy) copy->isEqual(stream);
        break;
    }
    case Assign: {
        VNet_BitStream assigned;
        assigned = stream;
        assigned.getInt(32);
        break;
    }
    case SaveRead:
        stream.saveReadState(saved);
        break;
    case RestoreRead:
        stream.restoreReadState(saved);
        break;
    case ResetRead:
        stream.resetReadState();
        break;
    case Serialize: {
        unsigned short size = stream.getSizeHint();
        std::vector<char> out(size);
        stream.Serialize(out.data(), &size, static_cast<unsigned short>(out.size()));
        break;
    }
    case Queries:
        stream.endOfStream();
        stream.getBufferMax();
        stream.checkFull();
        stream.checkMax(script.word());
        break;
    case AppendInt:
        stream.addInt(script.word(), script.byte());
        break;
    case AppendText: {
        std::vector<char> bytes(script.byte() + 1u, 'x');
        bytes.back() = '\0';
        stream.addString(bytes.data());
        stream.addBuffer(bytes.data(), static_cast<unsigned short>(bytes.size()));
        break;
    }
    default: {
        VNet_BitStream copy(stream);
        stream.addBitStream(&copy);
        break;
    }
    }
}

void runOne(VNet_BitStream& stream, FuzzInput& script, VNet_BitStream::BitPos& saved)
{
    const uint8_t operation = script.byte();
    switch (group(operation)) {
    case 0:
    case 1:
    case 2:
        readScalar(stream, operation & 7, script.byte());
        break;
    case 3:
        readText(stream, GetString | (operation & 7), script.word());
        break;
    case 4:
        readBlock(stream, GetBuffer | (operation & 3), script.word());
        break;
    default:
        handleWhole(stream, Duplicate | (operation & 15), script, saved);
        break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    FuzzInput script = input.take(input.byte());
    std::vector<char> datagram = input.rest();
    if (datagram.size() > UINT16_MAX) return 0;
    VNet_BitStream stream;
    if (!stream.Deserialize(datagram.data(), static_cast<unsigned short>(datagram.size()))) return 0;
    VNet_BitStream::BitPos saved{0, 0};
    while (!script.empty()) runOne(stream, script, saved);
    return 0;
}
