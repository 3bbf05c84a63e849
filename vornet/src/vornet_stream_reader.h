#pragma once

#include <cstdint>

#include "vornet/vornet_bitstream.h"

namespace Vornet_Private {

// Reads the fixed items of a received datagram and remembers whether one of
// them ran past its end: a stream gives 0 or false for what it does not
// hold, which a truncated datagram must not pass off as a value.
class StreamReader {
public:
    explicit StreamReader(VNet_BitStream& stream) : m_stream(stream) {}

    bool getBool()
    {
        const bool value = m_stream.getBool();
        if (m_stream.endOfStream()) m_complete = false;
        return value;
    }

    uint32_t getInt(unsigned bits)
    {
        if (bits == 0) return 0;
        VNet_BitStream::BitPos before;
        m_stream.saveReadState(before);
        const uint32_t value = m_stream.getInt(static_cast<unsigned char>(bits));
        VNet_BitStream::BitPos after;
        m_stream.saveReadState(after);
        if (before.pos == after.pos && before.bit == after.bit) m_complete = false;
        return value;
    }

    bool complete() const { return m_complete; }

private:
    VNet_BitStream& m_stream;
    bool m_complete = true;
};

}  // namespace Vornet_Private
