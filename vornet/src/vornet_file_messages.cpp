#include "vornet_file_messages.h"

#include <cstring>

#include "vornet_assert.h"
#include "vornet_stream_reader.h"

namespace Vornet_Private {

namespace FileMessages {

void writeOffer(VNet_BitStream& out, const char* name, uint32_t size, uint32_t transferId, VNet_BitStream* userData)
{
    out.addString(name);
    out.addInt(size, 32);
    out.addInt(transferId, 32);
    if (userData) out.addBitStream(userData);
}

bool readOffer(VNet_BitStream& in, char (&name)[kMaxNameBytes + 1], bool* plainName, uint32_t* size,
               uint32_t* transferId)
{
    const unsigned length = in.getStringSize();
    in.getString(name, sizeof name);
    *plainName = isPlainFileName(name, length);
    StreamReader reader(in);
    *size = reader.getInt(32);
    VNet_BitStream::BitPos atId;
    in.saveReadState(atId);
    *transferId = reader.getInt(32);
    in.restoreReadState(atId);
    return reader.complete();
}

unsigned chunkOverheadBytes()
{
    // The event item's framing (item and mode markers, order number, kind
    // and size fields, about 30 bits) and the 64 bits kept free for what
    // ends the section; the checking build adds a tag to each.
    constexpr unsigned kFramingBits = checkingBuild ? 320 : 128;
    VNet_BitStream probe(16);
    const char byte = 0;
    writeChunk(probe, UINT32_MAX, &byte, 1);
    return (probe.getBitCount() - 8 + kFramingBits + 7) / 8;
}

void writeChunk(VNet_BitStream& out, uint32_t transferId, const char* bytes, unsigned length)
{
    out.addInt(transferId, 32);
    out.addInt(length, 16);
    if (length > 0) out.addBuffer(const_cast<char*>(bytes), static_cast<unsigned short>(length));
}

bool readChunk(VNet_BitStream& in, uint32_t* transferId, char* bytes, unsigned* length)
{
    StreamReader reader(in);
    *transferId = reader.getInt(32);
    *length = reader.getInt(16);
    if (!reader.complete()) return false;
    return *length == 0 || in.getBuffer(bytes, static_cast<unsigned short>(*length)) == *length;
}

void writeAnswer(VNet_BitStream& out, uint32_t transferId, bool accepted)
{
    out.addInt(transferId, 32);
    out.addBool(accepted);
}

bool readAnswer(VNet_BitStream& in, uint32_t* transferId, bool* accepted)
{
    StreamReader reader(in);
    *transferId = reader.getInt(32);
    *accepted = reader.getBool();
    return reader.complete();
}

void writeEnd(VNet_BitStream& out, uint32_t transferId)
{
    out.addInt(transferId, 32);
}

bool readEnd(VNet_BitStream& in, uint32_t* transferId)
{
    StreamReader reader(in);
    *transferId = reader.getInt(32);
    return reader.complete();
}

bool peekTransferId(VNet_BitStream& in, uint32_t* transferId)
{
    VNet_BitStream::BitPos saved;
    in.saveReadState(saved);
    in.resetReadState();
    const bool read = readEnd(in, transferId);
    in.restoreReadState(saved);
    return read;
}

}  // namespace FileMessages

bool isPlainFileName(const char* name, unsigned length)
{
    if (!name || length == 0 || std::strlen(name) != length) return false;
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) return false;
    return std::strpbrk(name, "/\\") == nullptr;
}

const char* finalPathComponent(const char* path)
{
    const char* last = path;
    for (const char* at = path; *at; ++at) {
        if (*at == '/' || *at == '\\') last = at + 1;
    }
    return last;
}

}  // namespace Vornet_Private
