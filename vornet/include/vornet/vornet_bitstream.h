#pragma once

#include <cstddef>
#include <cstdint>

#include "vornet/vornet_export.h"

// Stream lock bits: a stream handed to the library belongs to it, and a
// stream lent to a callback may not be duplicated.
#define VNET_BS_LOCKED_FLAG 0x01
#define VNET_BS_NODUPLICATE_FLAG 0x02
#define VNET_BS_LOCKED(stream) (((stream)->getFlags() & VNET_BS_LOCKED_FLAG) != 0)
#define VNET_BS_NODUPLICATE(stream) (((stream)->getFlags() & VNET_BS_NODUPLICATE_FLAG) != 0)

// Bit-level serialisation buffer. Bits fill each byte from the least
// significant bit upward; integers go least significant bit first, a float's
// mantissa and exponent most significant first. The checking build puts a
// type tag in front of every item and verifies it on read, so the two
// builds' streams do not mix.
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

    bool addInt(unsigned int value, unsigned char bits);
    bool addSignedInt(int value, unsigned char bits);
    bool addBool(bool value);
    bool addFloat(float value, unsigned char mantissaBits);
    // At most 511 bytes (255 wide characters) are sent; longer texts are cut.
    bool addString(const char* text);
    bool addStringW(const wchar_t* text);
    bool addBuffer(char* data, unsigned short bytes);
    bool addBitStream(VNet_BitStream* other, bool unused = false);

    unsigned int getInt(unsigned char bits);
    int getSignedInt(unsigned char bits);
    bool getBool();
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

    void saveWriteState(BitPos& state) const { state = m_fillpos; }
    void restoreWriteState(const BitPos& state);
    void saveReadState(BitPos& state) const { state = m_readpos; }
    void restoreReadState(const BitPos& state) { m_readpos = state; }
    void resetReadState() { m_readpos = BitPos{0, 0}; }

    unsigned int getBitCount() const { return bitsOf(m_fillpos); }
    bool endOfStream() const { return bitsOf(m_readpos) > bitsOf(m_fillpos); }
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
    // Always the fill position in bits: every change of one sets the other.
    uint32_t m_bitcount;
    BitPos m_fillpos;
    BitPos m_readpos;
    uint16_t m_size;
    uint16_t m_maxsize;
    uint8_t m_bsflags;

private:
    static unsigned int bitsOf(const BitPos& position) { return position.pos * 8u + position.bit; }
    unsigned int readableBits() const;
    bool canRead(unsigned int bits) const { return bitsOf(m_readpos) + bits <= bitsOf(m_fillpos); }
    void moveReadPastEnd();

    void writeTag(unsigned int type, unsigned int size, bool sized);
    void checkTag(unsigned int type, unsigned int size, bool sized, const char* sizeExpression);
    void reportTagMismatch(uint32_t found, unsigned int type, unsigned int size, const char* sizeExpression);
    void grow(unsigned int bits);
    void writeBits(uint64_t value, unsigned int count);
    uint32_t readBits(unsigned int count);
    void writeBytes(const unsigned char* data, unsigned int count);
    void readBytes(unsigned char* out, unsigned int count);
    void copyBitsFrom(const VNet_BitStream& other, unsigned int bits);

    bool readStringHeader(unsigned int& length);
    bool peekStringLength(unsigned int& length);
    void takeBuffer(unsigned char* buffer, uint16_t size);
};
