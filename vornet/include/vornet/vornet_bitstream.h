#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "vornet/vornet_export.h"

// Stream lock bits: a stream handed to the library belongs to it, and a
// stream lent to a callback may not be duplicated.
#define VNET_BS_LOCKED_FLAG 0x01
#define VNET_BS_NODUPLICATE_FLAG 0x02
#define VNET_BS_LOCKED(stream) (((stream)->getFlags() & VNET_BS_LOCKED_FLAG) != 0)
#define VNET_BS_NODUPLICATE(stream) (((stream)->getFlags() & VNET_BS_NODUPLICATE_FLAG) != 0)

namespace Vornet_Private {
class PacketPool;
}

// Bit-level serialisation buffer. Bits fill each byte from the least
// significant bit upward; integers go least significant bit first, a float's
// mantissa and exponent most significant first. The checking build puts a
// type tag in front of every item and verifies it on read, so the two
// builds' streams do not mix.
//
// In the release build the common case of the integer and bool items (room
// in the buffer, width in range) runs inline in the caller; the rest goes to
// the library. A program that uses the checking library must be compiled
// with VORNET_CHECKING defined (the library's build target passes it on): a
// program compiled the other way finds neither build's symbols in the other
// library and fails to link instead of mixing the two encodings.
class VNET_API VNet_BitStream {
public:
    struct BitPos {
        uint16_t bit;  // 0..7 within the byte
        uint16_t pos;  // byte index
    };

    explicit VNet_BitStream(unsigned short sizeHint = 64);
    VNet_BitStream(const VNet_BitStream& other);
    VNet_BitStream& operator=(const VNet_BitStream& other);
    ~VNet_BitStream();

    static void* operator new(size_t bytes) noexcept;
    static void* operator new[](size_t bytes) noexcept;
    static void operator delete(void* memory) noexcept;
    static void operator delete[](void* memory) noexcept;

    // Frees the buffer and empties the stream; the next append allocates.
    void Clear();
    // A copy owned by the caller; null for a stream that may not be copied.
    VNet_BitStream* Duplicate() const;

#ifdef VORNET_CHECKING
    bool addInt(unsigned int value, unsigned char bits);
    bool addSignedInt(int value, unsigned char bits);
    bool addBool(bool value);
#else
    bool addInt(unsigned int value, unsigned char bits)
    {
        if (bits - 1u >= 32u || !hasRoom(bits)) return addIntSlow(value, bits);
        appendBits(value, bits);
        return true;
    }
    bool addSignedInt(int value, unsigned char bits)
    {
        if (bits - 1u >= 31u || !hasRoom(bits + 1u)) return addSignedIntSlow(value, bits);
        appendBits(signedItem(value, bits), bits + 1u);
        return true;
    }
    bool addBool(bool value)
    {
        if (!hasRoom(1)) return addBoolSlow(value);
        appendBits(value ? 1 : 0, 1);
        return true;
    }
#endif
    bool addFloat(float value, unsigned char mantissaBits);
    // At most 511 bytes (255 wide characters) are sent; longer texts are cut.
    bool addString(const char* text);
    bool addStringW(const wchar_t* text);
    bool addBuffer(char* data, unsigned short bytes);
    bool addBitStream(VNet_BitStream* other, bool unused = false);

#ifdef VORNET_CHECKING
    unsigned int getInt(unsigned char bits);
    int getSignedInt(unsigned char bits);
    bool getBool();
#else
    unsigned int getInt(unsigned char bits)
    {
        if (bits - 1u >= 32u || !hasData(bits)) return getIntSlow(bits);
        return takeBits(bits);
    }
    int getSignedInt(unsigned char bits)
    {
        if (bits - 1u >= 31u || !hasData(bits + 1u)) return getSignedIntSlow(bits);
        return signedValue(takeBits(bits + 1u), bits);
    }
    bool getBool()
    {
        if (!hasData(1)) return getBoolSlow();
        return takeBits(1) != 0;
    }
#endif
    float getFloat(unsigned char mantissaBits);
    // Allocated through the library (free with delete[]), or null.
    char* getString();
    // size counts characters including the terminator.
    void getString(char* out, unsigned short size);
    void getStringW(wchar_t* out, unsigned short size);
    // Per-thread buffers, valid until the thread's next such read.
    const char* getStringStatic();
    const wchar_t* getStringWStatic();
    unsigned int getStringSize();
    unsigned int getStringLength();
    unsigned int getStringWLength();
    unsigned short getBuffer(char* out, unsigned short bytes);
    VNet_BitStream* getBitStream(unsigned int bits, bool unused = false);

    void skipInt(unsigned char bits);
    void skipSignedInt(unsigned char bits);
    void skipBool();
    void skipFloat(unsigned char mantissaBits);
    void skipString();
    void skipBuffer(unsigned short bytes);
    // Raw move without tag; stops one bit past the end.
    void skipBits(unsigned int bits);

    // Tag bits in front of an item of each kind: what skipBits must add.
    static unsigned int getTagOverheadInt();
    static unsigned int getTagOverheadBool();
    static unsigned int getTagOverheadFloat();
    static unsigned int getTagOverheadString();
    static unsigned int getTagOverheadBuffer();

    void saveWriteState(BitPos& state) const { state = positionOf(m_bitcount); }
    void restoreWriteState(const BitPos& state);
    void saveReadState(BitPos& state) const { state = positionOf(m_readbits); }
    void restoreReadState(const BitPos& state) { m_readbits = bitsOf(state); }
    void resetReadState() { m_readbits = 0; }

    unsigned int getBitCount() const { return m_bitcount; }
    bool endOfStream() const { return m_readbits > m_bitcount; }
    int getBufferMax() const;
    unsigned short getSizeHint() const;
    bool checkFull() const;
    bool checkMax(unsigned int bits) const;
    bool isEqual(const VNet_BitStream& other) const;

    void logReadState();
    void logWriteState();

    bool Serialize(char* out, unsigned short* outSize, unsigned short maxSize);
    bool Deserialize(char* data, unsigned short size);

    uint8_t getFlags() const { return m_bsflags; }
    void setFlag(uint8_t flag, bool on) { m_bsflags = on ? (m_bsflags | flag) : (m_bsflags & ~flag); }

protected:
    bool checkSize(unsigned int bits);
    void incPos(BitPos* position);

    unsigned char* m_ar;
    // The fill and read positions, in bits; their byte-and-bit forms are
    // worked out when asked for.
    uint32_t m_bitcount;
    uint32_t m_readbits;
    uint16_t m_size;
    uint16_t m_maxsize;
    uint8_t m_bsflags;

private:
    // The library keeps streams for reuse and empties them itself.
    friend class Vornet_Private::PacketPool;
    // As a new stream of the size hint, keeping the buffer when it holds
    // that many bytes.
    void rewind(unsigned short sizeHint);

    static unsigned int bitsOf(const BitPos& position) { return position.pos * 8u + position.bit; }
    BitPos fillPos() const { return positionOf(m_bitcount); }
    BitPos readPos() const { return positionOf(m_readbits); }
    static BitPos positionOf(unsigned int bits)
    {
        return BitPos{static_cast<uint16_t>(bits % 8), static_cast<uint16_t>(bits / 8)};
    }

    // Bits are moved a 64-bit word at a time. Stream bit p is bit p % 64 of
    // little-endian word p / 64, so whole words hold the stream's bit order.
    // The buffer has a spare zero word past its last whole word, so an
    // item's words, and the eight bytes from an item's first byte, always lie
    // inside it. Stores go to the aligned words an item touches: an append
    // then reads back exactly the word the one before it stored.
    //
    // The buffer is read and written as 64-bit words (of any alignment, the
    // allocation hooks promise none) and otherwise only byte-wise: a word
    // store cannot change the stream's own fields, so the compiler keeps
    // them in registers from one inline item to the next.
    typedef uint64_t BufferWord __attribute__((aligned(1)));
    static uint64_t loadWord(const unsigned char* at)
    {
        uint64_t word = *reinterpret_cast<const BufferWord*>(at);
        if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
        return word;
    }
    static void storeWord(unsigned char* at, uint64_t word)
    {
        if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
        *reinterpret_cast<BufferWord*>(at) = word;
    }
    // count is 1..64.
    static uint64_t lowMask(unsigned int count) { return ~uint64_t{0} >> (64 - count); }
    // Writes count (1..64) bits at a bit position; the other bits stay.
    static void storeBits(unsigned char* buffer, unsigned int position, uint64_t value, unsigned int count)
    {
        unsigned char* word = buffer + position / 64 * 8;
        const unsigned shift = position % 64;
        const uint64_t mask = lowMask(count);
        value &= mask;
        storeWord(word, (loadWord(word) & ~(mask << shift)) | (value << shift));
        if (shift + count <= 64) return;
        const unsigned spilled = 64 - shift;
        storeWord(word + 8, (loadWord(word + 8) & ~(mask >> spilled)) | (value >> spilled));
    }
    // Reads count (1..64) bits at a bit position from two aligned words.
    static uint64_t loadBits(const unsigned char* buffer, unsigned int position, unsigned int count);
    // Reads count (1..57) bits at a bit position: they lie within the eight
    // bytes from their first byte.
    static uint64_t loadItemBits(const unsigned char* buffer, unsigned int position, unsigned int count)
    {
        return loadWord(buffer + position / 8) >> (position % 8) & lowMask(count);
    }

    // The inline items: room and data are counted in bits.
    bool hasRoom(unsigned int bits) const { return m_bitcount + bits <= m_size * 8u; }
    bool hasData(unsigned int bits) const { return m_readbits + bits <= m_bitcount; }
    // count is 1..64; the room is there.
    void appendBits(uint64_t value, unsigned int count)
    {
        const unsigned at = m_bitcount;
        storeBits(m_ar, at, value, count);
        m_bitcount = at + count;
    }
    // count is 1..32; the data is there.
    uint32_t takeBits(unsigned int count)
    {
        const unsigned at = m_readbits;
        m_readbits = at + count;
        return static_cast<uint32_t>(loadItemBits(m_ar, at, count));
    }
    // A signed item: the count low bits of the magnitude, then the sign.
    static uint64_t signedItem(int value, unsigned int count)
    {
        const uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
        return (magnitude & lowMask(count)) | (uint64_t{value < 0} << count);
    }
    static int signedValue(uint32_t item, unsigned int count)
    {
        const uint32_t magnitude = item & static_cast<uint32_t>(lowMask(count));
        if (!(item >> count)) return static_cast<int>(magnitude);
        // A negative sign over a zero field can only come from -2^count (the
        // magnitude's high bit fell off); INT_MIN itself is one such value.
        if (magnitude == 0) return static_cast<int>(-(int64_t{1} << count));
        return -static_cast<int>(magnitude);
    }
#ifndef VORNET_CHECKING
    // The items' full paths: widths out of range, growth, the stream's end.
    // Marked cold, so the callers' code keeps the common case in line.
    [[gnu::cold]] bool addIntSlow(unsigned int value, unsigned char bits);
    [[gnu::cold]] bool addSignedIntSlow(int value, unsigned char bits);
    [[gnu::cold]] bool addBoolSlow(bool value);
    [[gnu::cold]] unsigned int getIntSlow(unsigned char bits);
    [[gnu::cold]] int getSignedIntSlow(unsigned char bits);
    [[gnu::cold]] bool getBoolSlow();
#endif
    unsigned int readableBits() const;
    bool canRead(unsigned int bits) const { return m_readbits + bits <= m_bitcount; }
    void moveReadPastEnd();

    void writeTag(unsigned int type, unsigned int size, bool sized);
    void checkTag(unsigned int type, unsigned int size, bool sized, const char* sizeExpression);
    void reportTagMismatch(uint32_t found, unsigned int type, unsigned int size, const char* sizeExpression);
    void grow(unsigned int bits);
    void writeBits(uint64_t value, unsigned int count);
    void writeBytes(const unsigned char* data, unsigned int count);
    void readBytes(unsigned char* out, unsigned int count);
    void copyBitsFrom(const VNet_BitStream& other, unsigned int bits);

    bool readStringHeader(unsigned int& length);
    bool peekStringLength(unsigned int& length);
};
