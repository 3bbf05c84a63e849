#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <type_traits>

#include "vornet/vornet_bitstream.h"

namespace Vornet_Private {

// The element type of a replicator's value form or pointer form.
template <typename T>
using ElementOf = std::remove_pointer_t<T>;

// ---------------------------------------------------------------------------
// Float to integer conversions. Every one clamps before it converts: a NaN
// gives 0 and a value beyond the target's range its nearest end, never
// undefined behaviour.

inline int32_t clampToInt32(double value)
{
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0) return std::numeric_limits<int32_t>::max();
    if (value <= -2147483648.0) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

inline uint32_t clampToUint32(double value)
{
    if (std::isnan(value) || value <= 0.0) return 0;
    if (value >= 4294967295.0) return std::numeric_limits<uint32_t>::max();
    return static_cast<uint32_t>(value);
}

inline int64_t clampToInt64(double value)
{
    if (std::isnan(value)) return 0;
    if (value >= 9223372036854775807.0) return std::numeric_limits<int64_t>::max();
    if (value <= -9223372036854775808.0) return std::numeric_limits<int64_t>::min();
    return static_cast<int64_t>(value);
}

// Truncation toward zero. An unsigned element takes the low 32 bits of the
// 64-bit truncation, so a position just below zero wraps as unsigned
// arithmetic does.
template <typename E>
E truncateTo(double value)
{
    if constexpr (std::is_same_v<E, float>) {
        return static_cast<float>(value);
    } else if constexpr (std::is_same_v<E, int>) {
        return clampToInt32(value);
    } else {
        return static_cast<uint32_t>(clampToInt64(value));
    }
}

// The two rounding rules of the replicators, kept apart on purpose: peers
// expect each where it is used, and they part below -0.5 (-1.7 gives -2
// under the first and -1 under the second).
//
// Smoothing: the nearest integer, a half upward (x + 0.5 rounded down);
// results beyond the type clamp to its ends.
template <typename E>
E roundHalfUp(float x)
{
    if constexpr (std::is_same_v<E, float>) {
        return x;
    } else if constexpr (std::is_same_v<E, int>) {
        return clampToInt32(std::floor(static_cast<double>(x) + 0.5));
    } else {
        return clampToUint32(std::floor(static_cast<double>(x) + 0.5));
    }
}

// Extrapolation and the spline: x + 0.5 truncated toward zero (2.5 gives 3,
// -1.7 gives -1).
template <typename E>
E roundHalfTruncated(float x)
{
    if constexpr (std::is_same_v<E, float>) {
        return x;
    } else {
        return truncateTo<E>(static_cast<double>(x) + 0.5);
    }
}

// Integer elements enter float arithmetic as their own signedness says.
template <typename E>
float toFloat(E value)
{
    return static_cast<float>(value);
}

// ---------------------------------------------------------------------------
// Element encodings. With b bits: an int is min(b, 31) magnitude bits and a
// sign, an unsigned int min(b, 32) bits, both nothing at b = 0; a float
// keeps its sign, its exponent and the top min(b, 23) mantissa bits.

template <typename E>
struct ElementCodec;

template <>
struct ElementCodec<int> {
    static void write(VNet_BitStream& stream, int value, unsigned char bits) { stream.addSignedInt(value, bits); }
    static int read(VNet_BitStream& stream, unsigned char bits) { return stream.getSignedInt(bits); }
    static void skip(VNet_BitStream& stream, unsigned char bits) { stream.skipSignedInt(bits); }

    // The value a reader gets back.
    static int quantise(int value, unsigned char bits)
    {
        if (bits == 0) return 0;
        const unsigned count = bits > 31 ? 31 : bits;
        const uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
        const uint32_t low = magnitude & ((1u << count) - 1);
        if (value >= 0) return static_cast<int>(low);
        // A negative sign over a zero field reads as -2^count.
        if (low == 0) return static_cast<int>(-(int64_t{1} << count));
        return -static_cast<int>(low);
    }
};

template <>
struct ElementCodec<unsigned int> {
    static void write(VNet_BitStream& stream, unsigned int value, unsigned char bits) { stream.addInt(value, bits); }
    static unsigned int read(VNet_BitStream& stream, unsigned char bits) { return stream.getInt(bits); }
    static void skip(VNet_BitStream& stream, unsigned char bits) { stream.skipInt(bits); }

    static unsigned int quantise(unsigned int value, unsigned char bits)
    {
        if (bits == 0) return 0;
        return bits >= 32 ? value : value & ((1u << bits) - 1);
    }
};

template <>
struct ElementCodec<float> {
    static void write(VNet_BitStream& stream, float value, unsigned char bits) { stream.addFloat(value, bits); }
    static float read(VNet_BitStream& stream, unsigned char bits) { return stream.getFloat(bits); }
    static void skip(VNet_BitStream& stream, unsigned char bits) { stream.skipFloat(bits); }

    static float quantise(float value, unsigned char bits)
    {
        const unsigned count = bits > 23 ? 23 : bits;
        uint32_t raw;
        std::memcpy(&raw, &value, sizeof(raw));
        raw &= ~((1u << (23 - count)) - 1);
        std::memcpy(&value, &raw, sizeof(raw));
        return value;
    }
};

// Elements go in index order, each with the same bit count.
template <typename E, unsigned int SIZE>
void writeValues(VNet_BitStream& stream, const E* values, unsigned char bits)
{
    for (unsigned int i = 0; i < SIZE; ++i) ElementCodec<E>::write(stream, values[i], bits);
}

// False when the stream ended before the last element: the missing ones
// read as 0, which a caller may not take for values.
template <typename E, unsigned int SIZE>
bool readValues(VNet_BitStream& stream, E* values, unsigned char bits)
{
    const bool itemsHaveBits = bits != 0 || std::is_same_v<E, float>;
    bool complete = true;
    for (unsigned int i = 0; i < SIZE; ++i) {
        VNet_BitStream::BitPos before, after;
        stream.saveReadState(before);
        values[i] = ElementCodec<E>::read(stream, bits);
        stream.saveReadState(after);
        if (itemsHaveBits && before.pos == after.pos && before.bit == after.bit) complete = false;
    }
    return complete;
}

// Consumes exactly what readValues would, the checking build's tags included.
template <typename E, unsigned int SIZE>
void skipValues(VNet_BitStream& stream, unsigned char bits)
{
    for (unsigned int i = 0; i < SIZE; ++i) ElementCodec<E>::skip(stream, bits);
}

template <typename E, unsigned int SIZE>
void quantiseValues(E* values, unsigned char bits)
{
    for (unsigned int i = 0; i < SIZE; ++i) values[i] = ElementCodec<E>::quantise(values[i], bits);
}

}  // namespace Vornet_Private
