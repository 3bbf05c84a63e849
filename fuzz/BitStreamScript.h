// The operations of the bit stream target's script, shared by the target and
// the program that writes its seeds. An operation byte names a group in its
// top three bits and the operation within the group in the low bits; an
// argument follows (one byte for bit counts, two for sizes, none for the
// copies and queries).
#pragma once

#include <cstdint>

namespace fuzz::script {

// Group 0 (top bits 000 to 010): scalars, followed by the bit count.
enum Scalar : uint8_t {
    GetInt = 0, GetSignedInt, GetBool, GetFloat, SkipInt, SkipSignedInt, SkipBool, SkipFloat
};
// Group 3: strings, followed by an output size of two bytes.
enum Text : uint8_t {
    GetString = 0x60, GetStringInto, GetStringWInto, GetStringStatic, GetStringWStatic, StringSizes, SkipString
};
// Group 4: blocks, followed by a size of two bytes.
enum Block : uint8_t { GetBuffer = 0x80, SkipBuffer, GetBitStream, SkipBits };
// Groups 5 to 7: the whole stream; appends take their own arguments.
enum Whole : uint8_t {
    Duplicate = 0xA0, Assign, SaveRead, RestoreRead, ResetRead, Serialize, Queries, AppendInt, AppendText, AppendSelf
};

constexpr unsigned group(uint8_t operation)
{
    return operation >> 5;
}

}  // namespace fuzz::script
