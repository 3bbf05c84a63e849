// Bit strings of wire layouts, written by hand: a '1' or '0' per stream bit
// in stream order. The checking build puts a tag in front of every item
// (3 type bits, and 16 size bits for sized items, least significant first);
// the item builders add it there, so one hand-written layout serves both
// builds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "vornet/vornet_bitstream.h"

namespace bit_strings {

#ifdef VORNET_TEST_CHECKING
inline constexpr bool kTagged = true;
#else
inline constexpr bool kTagged = false;
#endif

// Every bit of a stream, in stream order, as a datagram payload carries
// them (read raw: the checking build's readers would take the tags).
inline std::string bitsOf(VNet_BitStream stream)
{
    const unsigned count = stream.getBitCount();
    std::vector<char> data(2 + count / 8 + 1, 0);
    unsigned short size = 1;
    if (!stream.Serialize(data.data(), &size, static_cast<unsigned short>(data.size()))) return "";
    // The payload header takes one byte below 16 whole bytes, else two.
    const unsigned header = count / 8 < 16 ? 1 : 2;
    std::string text;
    for (unsigned i = 0; i < count; ++i) text += (data[header + i / 8] >> (i % 8) & 1) ? '1' : '0';
    return text;
}

// A stream holding exactly the given bits, tags and all, as a datagram
// payload would bring them.
inline VNet_BitStream streamOfBits(const std::string& bits)
{
    std::vector<char> data(2 + (bits.size() + 7) / 8, 0);
    // The two-byte payload header: the fill bit, then the fill byte above it.
    const unsigned header = unsigned(bits.size() % 8) | unsigned(bits.size() / 8) << 4;
    data[0] = char(header & 0xFF);
    data[1] = char(header >> 8);
    for (size_t i = 0; i < bits.size(); ++i) {
        if (bits[i] == '1') data[2 + i / 8] = char(data[2 + i / 8] | 1 << (i % 8));
    }
    VNet_BitStream stream;
    stream.Deserialize(data.data(), static_cast<unsigned short>(data.size()));
    return stream;
}

// The tag of the checking build: nothing in release.
inline std::string tag(unsigned type, int size = -1)
{
    if (!kTagged) return "";
    std::string bits;
    for (unsigned i = 0; i < 3; ++i) bits += (type >> i & 1) ? '1' : '0';
    for (int i = 0; size >= 0 && i < 16; ++i) bits += (size >> i & 1) ? '1' : '0';
    return bits;
}

inline std::string boolItem(bool value)
{
    return tag(0) + (value ? "1" : "0");
}

// An unsigned item: its bits as written by hand, least significant first.
inline std::string uintItem(const std::string& bits)
{
    return tag(2, int(bits.size())) + bits;
}

// A signed item: the magnitude least significant first, then the sign.
inline std::string intItem(const std::string& magnitude, bool negative)
{
    return tag(1, int(magnitude.size())) + magnitude + (negative ? "1" : "0");
}

// A float item: sign, the top mantissa bits and the exponent, both most
// significant first; the sign is a tagged bool of its own.
inline std::string floatItem(bool negative, const std::string& mantissa, const std::string& exponent)
{
    return tag(3, int(mantissa.size())) + tag(0) + (negative ? "1" : "0") + mantissa + exponent;
}

}  // namespace bit_strings
