#pragma once

#include <cstdint>

#include "vornet/vornet_bitstream.h"

namespace Vornet_Private {

// The payloads of the file-transfer events. Each message has one writer and
// one reader; a reader is false for a payload cut short, which a peer may
// send as easily as a whole one.
namespace FileMessages {

// Longest offered name that arrives whole (the stream's string limit).
constexpr unsigned kMaxNameBytes = 511;
// The chunk's length field is 16 bits wide.
constexpr unsigned kMaxChunkBytes = 65535;

// Offer: name, size, transfer id, then the sender's user data.
void writeOffer(VNet_BitStream& out, const char* name, uint32_t size, uint32_t transferId,
                VNet_BitStream* userData);
// Leaves the stream at the transfer id, where the application reads on.
// *plainName tells whether the name can be written into the receiver's
// folder as it stands.
bool readOffer(VNet_BitStream& in, char (&name)[kMaxNameBytes + 1], bool* plainName, uint32_t* size,
               uint32_t* transferId);

// Bytes a chunk message takes in a packet beyond its data: the payload's
// own fields and the event item around it, with room for the bits that
// close the packet's node section.
unsigned chunkOverheadBytes();

void writeChunk(VNet_BitStream& out, uint32_t transferId, const char* bytes, unsigned length);
// bytes holds kMaxChunkBytes; *length may be 0.
bool readChunk(VNet_BitStream& in, uint32_t* transferId, char* bytes, unsigned* length);

// Answer to an offer, or an abort (accepted false) from either side.
void writeAnswer(VNet_BitStream& out, uint32_t transferId, bool accepted);
bool readAnswer(VNet_BitStream& in, uint32_t* transferId, bool* accepted);

void writeEnd(VNet_BitStream& out, uint32_t transferId);
bool readEnd(VNet_BitStream& in, uint32_t* transferId);

// Reads the transfer id at the front of any of the four payloads without
// moving the read position.
bool peekTransferId(VNet_BitStream& in, uint32_t* transferId);

}  // namespace FileMessages

// Whether a name a peer offers names a file in the receiver's folder and
// nothing else: not empty, not "." or "..", no separator ('/' or '\\') and
// no NUL before its end (length is the name's length on the wire).
bool isPlainFileName(const char* name, unsigned length);

// The name a file is offered under when the sender gives none: its path's
// last component, so that the peer can take it and no local folder shows.
const char* finalPathComponent(const char* path);

}  // namespace Vornet_Private
