#include "vornet/vornet_bitstream.h"

#include <bit>
#include <cstring>
#include <cwchar>
#include <new>

#include "vornet_assert.h"
#include "vornet_log.h"
#include "vornet_memory.h"
#include "vornet_tls.h"

using namespace Vornet_Private;

namespace {

// Item types of the checking build's tags.
enum ItemType : unsigned {
    eTypeBool = 0,
    eTypeSignedInt = 1,
    eTypeUnsignedInt = 2,
    eTypeFloat = 3,
    eTypeString = 4,
    eTypeBuffer = 5
};

const char* const typeExpressions[] = {
    "(type == eTypeBool)",  "(type == eTypeSignedInt)", "(type == eTypeUnsignedInt)",
    "(type == eTypeFloat)", "(type == eTypeString)",    "(type == eTypeBuffer)",
};

constexpr unsigned typeBits = 3;
constexpr unsigned sizeFieldBits = 16;
// Tag bits in front of items with and without a size field.
constexpr unsigned sizedTag = checkingBuild ? typeBits + sizeFieldBits : 0;
constexpr unsigned unsizedTag = checkingBuild ? typeBits : 0;
constexpr unsigned growthMargin = checkingBuild ? typeBits + sizeFieldBits : 0;

constexpr unsigned stringLengthBits = 9;
constexpr unsigned maxStringBytes = (1u << stringLengthBits) - 1;
// A string's own tag plus the tagged length in front of its bytes.
constexpr unsigned stringHeaderBits = unsizedTag + sizedTag + stringLengthBits;
// A float is its tag, the sign as a tagged bool, mantissa and exponent.
constexpr unsigned floatFixedBits = sizedTag + unsizedTag + 1 + 8;

constexpr unsigned maxStreamBytes = 0xFFFF;
constexpr unsigned firstAllocation = 512;
constexpr unsigned doublingLimit = 1024;
constexpr unsigned linearGrowth = 64;
constexpr unsigned shortHeaderLimit = 16;
constexpr unsigned serialisableBytes = 4096;

unsigned clampBits(unsigned bits, unsigned maximum)
{
    return bits > maximum ? maximum : bits;
}

// Mantissa and exponent travel most significant bit first.
uint32_t reverseBits(uint32_t value, unsigned count)
{
    if (count == 0) return 0;
    value = ((value >> 1) & 0x55555555u) | ((value & 0x55555555u) << 1);
    value = ((value >> 2) & 0x33333333u) | ((value & 0x33333333u) << 2);
    value = ((value >> 4) & 0x0F0F0F0Fu) | ((value & 0x0F0F0F0Fu) << 4);
    value = ((value >> 8) & 0x00FF00FFu) | ((value & 0x00FF00FFu) << 8);
    value = (value >> 16) | (value << 16);
    return value >> (32 - count);
}

constexpr unsigned wordBytes = 8;

// Eight bytes of the caller's memory as a word of the stream's bit order,
// and back.
uint64_t foreignWord(const unsigned char* at)
{
    uint64_t word;
    std::memcpy(&word, at, sizeof word);
    if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
    return word;
}

void putForeignWord(unsigned char* at, uint64_t word)
{
    if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
    std::memcpy(at, &word, sizeof word);
}

// Room for size bytes and the spare word past the last whole word (see
// storeBits in the header).
unsigned storageBytes(unsigned size)
{
    return (size + wordBytes - 1) / wordBytes * wordBytes + wordBytes;
}

// Room for size bytes and the spare word, all zero: bits past the fill
// position go on the wire as they are and must never carry old heap
// contents.
unsigned char* allocateBuffer(unsigned size)
{
    const unsigned bytes = storageBytes(size);
    auto* buffer = allocateArray<unsigned char>(bytes);
    if (buffer) std::memset(buffer, 0, bytes);
    return buffer;
}

}  // namespace

VNET_DEFINE_HOOK_ALLOCATION(VNet_BitStream)

// The release build runs the common case of the integer and bool items
// inline (see the header); their full paths are compiled here under the
// slow path's name. The checking build compiles them as the items.
#ifdef VORNET_CHECKING
#define FULL_PATH(item) item
#else
#define FULL_PATH(item) item##Slow
#endif

// count is 1..64: two aligned words, for block copies at any bit position.
[[gnu::always_inline]] inline uint64_t VNet_BitStream::loadBits(const unsigned char* buffer, unsigned int position,
                                                                unsigned int count)
{
    const unsigned char* word = buffer + position / 64 * 8;
    const unsigned shift = position % 64;
    // The double shift keeps a shift by 64 out of the arithmetic.
    const uint64_t value = (loadWord(word) >> shift) | ((loadWord(word + 8) << 1) << (63 - shift));
    return value & lowMask(count);
}

// ---------------------------------------------------------------------------
// Construction and ownership

VNet_BitStream::VNet_BitStream(unsigned short sizeHint)
    : m_ar(nullptr), m_bitcount(0), m_readbits(0), m_size(sizeHint), m_maxsize(sizeHint),
      m_bsflags(0)
{
    if (sizeHint == 0) return;
    m_ar = allocateBuffer(sizeHint);
    if (!m_ar) fatalError("VNet_BitStream::VNet_BitStream(): out of memory");
}

VNet_BitStream::VNet_BitStream(const VNet_BitStream& other)
    : m_ar(nullptr), m_bitcount(0), m_readbits(0), m_size(0), m_maxsize(other.m_maxsize),
      m_bsflags(0)
{
    *this = other;
}

VNet_BitStream& VNet_BitStream::operator=(const VNet_BitStream& other)
{
    if (this == &other) return *this;
    if (!other.m_ar || !other.m_size) {
        Clear();
    } else {
        if (!m_ar || m_size != other.m_size) {
            release(m_ar);
            m_ar = allocateBuffer(other.m_size);
            if (!m_ar) {
                Clear();
                logMessage(LogError, "VNet_BitStream():: out of mem");
                return *this;
            }
        }
        std::memcpy(m_ar, other.m_ar, other.m_size);
    }
    m_size = m_ar ? other.m_size : 0;
    m_bitcount = other.m_bitcount;
    m_maxsize = other.m_maxsize;
    m_readbits = other.m_readbits;
    return *this;
}

VNet_BitStream::~VNet_BitStream()
{
    (void)VNET_CHECK(!VNET_BS_LOCKED(this),
                     "You tried to delete a VNet_BitStream object owned by Vornet, please check your code!");
    release(m_ar);
    m_ar = nullptr;
    m_bitcount = 0;
    m_readbits = 0;
    m_size = 0;
}

void VNet_BitStream::Clear()
{
    release(m_ar);
    m_ar = nullptr;
    m_bitcount = 0;
    m_readbits = 0;
    m_size = 0;
}

void VNet_BitStream::rewind(unsigned short sizeHint)
{
    if (m_ar && m_size >= sizeHint) {
        // Bits past the fill position go on the wire as they are: the whole
        // buffer is cleared, since bits written before a restoreWriteState
        // may lie anywhere in it.
        std::memset(m_ar, 0, storageBytes(m_size));
    } else {
        release(m_ar);
        m_ar = allocateBuffer(sizeHint);
        if (!m_ar) fatalError("VNet_BitStream::VNet_BitStream(): out of memory");
        m_size = sizeHint;
    }
    m_maxsize = sizeHint;
    m_bitcount = 0;
    m_readbits = 0;
    m_bsflags = 0;
}

VNet_BitStream* VNet_BitStream::Duplicate() const
{
    if (VNET_BS_NODUPLICATE(this)) {
        logMessage(LogError, "VNet_BitStream::Duplicate(): this bitstream may not be duplicated");
        return nullptr;
    }
    auto* copy = new VNet_BitStream(*this);
    if (!copy) fatalError("VNet_BitStream::Duplicate(): out of mem");
    return copy;
}

// ---------------------------------------------------------------------------
// Raw bits and tags

bool VNet_BitStream::checkSize(unsigned int bits)
{
    if (m_bitcount + bits + growthMargin > m_size * 8u) grow(bits);
    return true;
}

[[gnu::noinline, gnu::cold]] void VNet_BitStream::grow(unsigned int bits)
{
    const uint64_t shortfall = uint64_t{getBitCount()} + bits + growthMargin - m_size * 8u;
    const uint64_t need = (shortfall + 7) / 8;
    // Sizes and positions are 16-bit: a stream cannot grow past 65535 bytes.
    if (m_size + need > maxStreamBytes) fatalError("VNet_BitStream::check_size(): out of memory");
    uint64_t size;
    if (!m_ar) {
        size = need > firstAllocation ? need : firstAllocation;
    } else {
        size = m_size >= doublingLimit ? m_size + linearGrowth : m_size * 2u;
        if (size - m_size < need) size = m_size + need;
    }
    if (size > maxStreamBytes) size = maxStreamBytes;
    unsigned char* buffer = allocateBuffer(static_cast<unsigned>(size));
    if (!buffer) fatalError("VNet_BitStream::check_size(): out of memory");
    if (m_ar) std::memcpy(buffer, m_ar, m_size);
    release(m_ar);
    m_ar = buffer;
    m_size = static_cast<uint16_t>(size);
}

void VNet_BitStream::incPos(BitPos* position)
{
    const unsigned bits = bitsOf(*position);
    if (bits / 8 >= maxStreamBytes) return;
    *position = positionOf(bits + 1);
}

// count is 1..64; the room is there (checkSize).
[[gnu::always_inline]] inline void VNet_BitStream::writeBits(uint64_t value, unsigned count)
{
    if (!VNET_ASSERT(hasRoom(count), "m_fillpos.pos < m_size")) return;
    appendBits(value, count);
}

void VNet_BitStream::writeBytes(const unsigned char* data, unsigned count)
{
    const unsigned at = getBitCount();
    if (count == 0 || !VNET_ASSERT(at + count * 8 <= m_size * 8u, "m_fillpos.pos < m_size")) return;
    if (at % 8 == 0) {
        std::memcpy(m_ar + at / 8, data, count);
    } else {
        unsigned done = 0;
        for (; done + wordBytes <= count; done += wordBytes) storeBits(m_ar, at + done * 8, foreignWord(data + done), 64);
        for (; done < count; ++done) storeBits(m_ar, at + done * 8, data[done], 8);
        // The last byte of an unaligned buffer is written whole: its bits
        // above the buffer are cleared.
        const unsigned end = at + count * 8;
        storeBits(m_ar, end, 0, 8 - end % 8);
    }
    m_bitcount = at + count * 8;
}

void VNet_BitStream::readBytes(unsigned char* out, unsigned count)
{
    const unsigned at = m_readbits;
    if (at % 8 == 0) {
        std::memcpy(out, m_ar + at / 8, count);
    } else {
        unsigned done = 0;
        for (; done + wordBytes <= count; done += wordBytes) putForeignWord(out + done, loadBits(m_ar, at + done * 8, 64));
        for (; done < count; ++done) out[done] = static_cast<unsigned char>(loadBits(m_ar, at + done * 8, 8));
    }
    m_readbits = at + count * 8;
}

// A tag is its type and, for sized items, the size above it: one write.
[[gnu::always_inline]] inline void VNet_BitStream::writeTag(unsigned int type, unsigned int size, bool sized)
{
    if constexpr (!checkingBuild) return;
    if (sized) {
        writeBits(type | (uint64_t{size} << typeBits), typeBits + sizeFieldBits);
    } else {
        writeBits(type, typeBits);
    }
}

[[gnu::always_inline]] inline void VNet_BitStream::checkTag(unsigned int type, unsigned int size, bool sized, const char* sizeExpression)
{
    if constexpr (!checkingBuild) return;
    const uint32_t found = takeBits(sized ? typeBits + sizeFieldBits : typeBits);
    const uint32_t expected = sized ? type | (size << typeBits) : type;
    if (found != expected) reportTagMismatch(found, type, size, sizeExpression);
}

[[gnu::noinline, gnu::cold]] void VNet_BitStream::reportTagMismatch(uint32_t found, unsigned int type, unsigned int size,
                                                                 const char* sizeExpression)
{
    const unsigned foundType = found & ((1u << typeBits) - 1);
    if (foundType != type) {
        logRaw("Asymmetrical read detected - wrong type: %d, expected: %d", foundType, type);
        assertionFailed(typeExpressions[type], "Asymmetrical read detected - wrong type", __FILE__, __LINE__);
    }
    // Unsized items come without a size expression.
    if (!sizeExpression) return;
    const unsigned foundSize = found >> typeBits;
    if (foundSize != size) {
        logRaw("Asymmetrical read detected - wrong size: %d, expected: %d", foundSize, size);
        assertionFailed(sizeExpression, "Asymmetrical read detected - wrong size", __FILE__, __LINE__);
    }
}

// A read that ran off the end leaves the position one bit past the fill
// position, so endOfStream tells the caller, and never further.
void VNet_BitStream::moveReadPastEnd()
{
    const unsigned end = getBitCount() + 1;
    if (m_readbits < end) m_readbits = end;
}

unsigned int VNet_BitStream::readableBits() const
{
    const unsigned read = m_readbits;
    return read < getBitCount() ? getBitCount() - read : 0;
}

// ---------------------------------------------------------------------------
// Appending

bool VNet_BitStream::FULL_PATH(addInt)(unsigned int value, unsigned char bits)
{
    if (bits == 0) return false;
    const unsigned count = clampBits(bits, 32);
    checkSize(sizedTag + count);
    writeTag(eTypeUnsignedInt, count, true);
    writeBits(value, count);
    return true;
}

bool VNet_BitStream::FULL_PATH(addSignedInt)(int value, unsigned char bits)
{
    if (bits == 0) return false;
    const unsigned count = clampBits(bits, 31);
    checkSize(sizedTag + count + 1);
    writeTag(eTypeSignedInt, count, true);
    writeBits(signedItem(value, count), count + 1);
    return true;
}

bool VNet_BitStream::FULL_PATH(addBool)(bool value)
{
    checkSize(unsizedTag + 1);
    writeTag(eTypeBool, 0, false);
    writeBits(value ? 1 : 0, 1);
    return true;
}

bool VNet_BitStream::addFloat(float value, unsigned char mantissaBits)
{
    const unsigned count = clampBits(mantissaBits, 23);
    const uint32_t bits = std::bit_cast<uint32_t>(value);
    checkSize(floatFixedBits + count);
    writeTag(eTypeFloat, count, true);
    writeTag(eTypeBool, 0, false);
    // Sign, mantissa and exponent in stream order, as one write of at most
    // 32 bits.
    const uint32_t mantissa = reverseBits((bits & 0x7FFFFF) >> (23 - count), count);
    const uint32_t exponent = reverseBits((bits >> 23) & 0xFF, 8);
    writeBits((bits >> 31) | (mantissa << 1) | (exponent << (count + 1)), count + 9);
    return true;
}

bool VNet_BitStream::addString(const char* text)
{
    if (!text) return false;
    const size_t length = std::strlen(text);
    const unsigned bytes = length > maxStringBytes ? maxStringBytes : static_cast<unsigned>(length);
    checkSize(stringHeaderBits + bytes * 8);
    writeTag(eTypeString, 0, false);
    writeTag(eTypeUnsignedInt, stringLengthBits, true);
    writeBits(bytes, stringLengthBits);
    writeBytes(reinterpret_cast<const unsigned char*>(text), bytes);
    return true;
}

bool VNet_BitStream::addStringW(const wchar_t* text)
{
    if (!text) return false;
    const size_t length = std::wcslen(text);
    const unsigned units = length > maxStringBytes / 2 ? maxStringBytes / 2 : static_cast<unsigned>(length);
    checkSize(stringHeaderBits + units * 16);
    writeTag(eTypeString, 0, false);
    writeTag(eTypeUnsignedInt, stringLengthBits, true);
    writeBits(units * 2, stringLengthBits);
    for (unsigned i = 0; i < units; ++i) {
        // One 16-bit unit per character; what does not fit one unit is
        // sent as the replacement character.
        const auto c = static_cast<uint32_t>(text[i]);
        writeBits(c > 0xFFFF ? 0xFFFD : c, 16);
    }
    return true;
}

bool VNet_BitStream::addBuffer(char* data, unsigned short bytes)
{
    if (!data || bytes == 0) return false;
    checkSize(sizedTag + bytes * 8u);
    writeTag(eTypeBuffer, bytes, true);
    writeBytes(reinterpret_cast<const unsigned char*>(data), bytes);
    return true;
}

bool VNet_BitStream::addBitStream(VNet_BitStream* other, bool)
{
    if (!other) return false;
    const unsigned bits = other->getBitCount();
    if (bits == 0) return true;
    checkSize(bits);
    copyBitsFrom(*other, bits);
    return true;
}

// Appends the first bits bits of another stream (which may be this one).
void VNet_BitStream::copyBitsFrom(const VNet_BitStream& other, unsigned bits)
{
    const unsigned at = getBitCount();
    if (!VNET_ASSERT(at + bits <= m_size * 8u, "m_fillpos.pos < m_size")) return;
    if (at % 8 == 0) {
        std::memcpy(m_ar + at / 8, other.m_ar, (bits + 7) / 8);
    } else {
        for (unsigned done = 0; done < bits; done += 64) {
            const unsigned count = clampBits(bits - done, 64);
            storeBits(m_ar, at + done, loadBits(other.m_ar, done, count), count);
        }
    }
    m_bitcount = at + bits;
}

// ---------------------------------------------------------------------------
// Reading

unsigned int VNet_BitStream::FULL_PATH(getInt)(unsigned char bits)
{
    if (bits == 0) return 0;
    const unsigned count = clampBits(bits, 32);
    if (!canRead(sizedTag + count)) return 0;
    checkTag(eTypeUnsignedInt, count, true, "(bits == _bits)");
    return takeBits(count);
}

int VNet_BitStream::FULL_PATH(getSignedInt)(unsigned char bits)
{
    if (bits == 0) return 0;
    const unsigned count = clampBits(bits, 31);
    if (!canRead(sizedTag + count + 1)) return 0;
    checkTag(eTypeSignedInt, count, true, "(bits == _bits)");
    return signedValue(takeBits(count + 1), count);
}

bool VNet_BitStream::FULL_PATH(getBool)()
{
    if (!canRead(unsizedTag + 1)) {
        moveReadPastEnd();
        return false;
    }
    checkTag(eTypeBool, 0, false, nullptr);
    return takeBits(1) != 0;
}

float VNet_BitStream::getFloat(unsigned char mantissaBits)
{
    const unsigned count = clampBits(mantissaBits, 23);
    if (!canRead(floatFixedBits + count)) return 0.0f;
    checkTag(eTypeFloat, count, true, "(bits == _mant_bits)");
    checkTag(eTypeBool, 0, false, nullptr);
    const uint32_t item = takeBits(count + 9);
    const uint32_t sign = item & 1;
    const uint32_t mantissa = reverseBits(item >> 1, count) << (23 - count);
    const uint32_t exponent = reverseBits(item >> (count + 1), 8);
    return std::bit_cast<float>((sign << 31) | (exponent << 23) | mantissa);
}

// Reads a string's length. False, nothing consumed, when the length is not
// there; false with the length consumed when its bytes are not all there.
bool VNet_BitStream::readStringHeader(unsigned int& length)
{
    length = 0;
    if (!canRead(stringHeaderBits)) return false;
    checkTag(eTypeString, 0, false, nullptr);
    checkTag(eTypeUnsignedInt, stringLengthBits, true, "(bits == _bits)");
    length = takeBits(stringLengthBits);
    return canRead(length * 8);
}

bool VNet_BitStream::peekStringLength(unsigned int& length)
{
    const uint32_t saved = m_readbits;
    const bool complete = readStringHeader(length);
    m_readbits = saved;
    return complete;
}

char* VNet_BitStream::getString()
{
    unsigned length;
    if (!readStringHeader(length)) return nullptr;
    // The caller frees the text with delete[], so it comes from the
    // caller's allocator rather than the library's hooks.
    char* text = new (std::nothrow) char[length + 1];
    if (!text) {
        logMessage(LogError, "VNet_BitStream(): failed in allocation of %d bytes", length + 1);
        return nullptr;
    }
    readBytes(reinterpret_cast<unsigned char*>(text), length);
    text[length] = 0;
    return text;
}

void VNet_BitStream::getString(char* out, unsigned short size)
{
    unsigned length;
    if (!readStringHeader(length)) {
        if (out && size) out[0] = 0;
        return;
    }
    const unsigned copied = out && size ? (length < size - 1u ? length : size - 1u) : 0;
    if (out && size) {
        std::memset(out, 0, size);
        readBytes(reinterpret_cast<unsigned char*>(out), copied);
    }
    // A cut string is still consumed whole.
    m_readbits = m_readbits + (length - copied) * 8;
}

void VNet_BitStream::getStringW(wchar_t* out, unsigned short size)
{
    unsigned length;
    if (!readStringHeader(length)) {
        if (out && size) out[0] = 0;
        return;
    }
    const unsigned units = length / 2;
    const unsigned copied = out && size ? (units < size - 1u ? units : size - 1u) : 0;
    if (out && size) {
        std::wmemset(out, 0, size);
        for (unsigned i = 0; i < copied; ++i) out[i] = static_cast<wchar_t>(takeBits(16));
    }
    m_readbits = m_readbits + (length - copied * 2) * 8;
}

const char* VNet_BitStream::getStringStatic()
{
    tlsdat* scratch = getTlsData();
    if (!scratch) {
        skipString();
        return "";
    }
    getString(scratch->stringBuffer.narrow, sizeof(scratch->stringBuffer.narrow));
    return scratch->stringBuffer.narrow;
}

const wchar_t* VNet_BitStream::getStringWStatic()
{
    tlsdat* scratch = getTlsData();
    if (!scratch) {
        skipString();
        return L"";
    }
    getStringW(scratch->stringBuffer.wide, sizeof(scratch->stringBuffer.wide) / sizeof(wchar_t));
    return scratch->stringBuffer.wide;
}

unsigned int VNet_BitStream::getStringSize()
{
    unsigned length;
    peekStringLength(length);
    return length;
}

unsigned int VNet_BitStream::getStringLength()
{
    return getStringSize();
}

unsigned int VNet_BitStream::getStringWLength()
{
    return getStringSize() / 2;
}

unsigned short VNet_BitStream::getBuffer(char* out, unsigned short bytes)
{
    if (!out || bytes == 0) {
        logMessage(LogWarning, "VNet_BitStream::getBuffer(): invalid input paramters: %p %d", static_cast<void*>(out),
                   bytes);
        return 0;
    }
    // Bounded by the written data, so a position past it cannot wrap.
    if (!canRead(sizedTag + bytes * 8u)) {
        logMessage(LogError, "VNet_BitStream::getBuffer(): not enough data in stream to read %d bytes", bytes);
        return 0;
    }
    checkTag(eTypeBuffer, bytes, true, "(bits == _bytes)");
    readBytes(reinterpret_cast<unsigned char*>(out), bytes);
    return bytes;
}

VNet_BitStream* VNet_BitStream::getBitStream(unsigned int bits, bool)
{
    if (!canRead(bits)) return nullptr;
    auto* part = new VNet_BitStream(static_cast<unsigned short>((bits + 7) / 8));
    if (!part) return nullptr;
    const unsigned at = m_readbits;
    for (unsigned done = 0; done < bits; done += 64) {
        const unsigned count = clampBits(bits - done, 64);
        part->writeBits(loadBits(m_ar, at + done, count), count);
    }
    m_readbits = at + bits;
    return part;
}

// ---------------------------------------------------------------------------
// Skipping: each consumes exactly what the matching read consumes.

void VNet_BitStream::skipInt(unsigned char bits)
{
    getInt(bits);
}

void VNet_BitStream::skipSignedInt(unsigned char bits)
{
    getSignedInt(bits);
}

void VNet_BitStream::skipBool()
{
    getBool();
}

void VNet_BitStream::skipFloat(unsigned char mantissaBits)
{
    getFloat(mantissaBits);
}

void VNet_BitStream::skipString()
{
    getString(nullptr, 0);
}

void VNet_BitStream::skipBuffer(unsigned short bytes)
{
    if (bytes == 0) {
        logMessage(LogWarning, "VNet_BitStream::getBuffer(): invalid input paramters: %d", bytes);
        return;
    }
    if (!canRead(sizedTag + bytes * 8u)) return;
    checkTag(eTypeBuffer, bytes, true, "(bits == _bytes)");
    m_readbits = m_readbits + bytes * 8u;
}

void VNet_BitStream::skipBits(unsigned int bits)
{
    const unsigned target = m_readbits + (bits & 0xFFFF);
    if (target > getBitCount()) {
        moveReadPastEnd();
        return;
    }
    m_readbits = target;
}

unsigned int VNet_BitStream::getTagOverheadInt()
{
    return sizedTag;
}

unsigned int VNet_BitStream::getTagOverheadBool()
{
    return unsizedTag;
}

unsigned int VNet_BitStream::getTagOverheadFloat()
{
    return sizedTag + unsizedTag;
}

unsigned int VNet_BitStream::getTagOverheadString()
{
    return unsizedTag + sizedTag;
}

unsigned int VNet_BitStream::getTagOverheadBuffer()
{
    return sizedTag;
}

// ---------------------------------------------------------------------------
// Positions and queries

void VNet_BitStream::restoreWriteState(const BitPos& state)
{
    if (!VNET_ASSERT(bitsOf(state) <= m_size * 8u, "restored write state inside the buffer")) return;
    m_bitcount = bitsOf(state);
}

int VNet_BitStream::getBufferMax() const
{
    return fillPos().pos - readPos().pos - (readPos().bit ? 1 : 0) + (fillPos().bit ? 1 : 0);
}

unsigned short VNet_BitStream::getSizeHint() const
{
    const unsigned size = fillPos().pos + (fillPos().bit ? 1u : 0u) + (fillPos().pos < shortHeaderLimit ? 1u : 2u);
    return static_cast<unsigned short>(size > maxStreamBytes ? maxStreamBytes : size);
}

bool VNet_BitStream::checkFull() const
{
    return m_bitcount / 8 > m_maxsize;
}

bool VNet_BitStream::checkMax(unsigned int bits) const
{
    return m_bitcount / 8 + bits / 8 < m_maxsize;
}

bool VNet_BitStream::isEqual(const VNet_BitStream& other) const
{
    const bool buffers = VNET_ASSERT(m_ar && other.m_ar, "m_ar && _other.m_ar");
    if (getBitCount() != other.getBitCount()) return false;
    if (!buffers) return getBitCount() == 0;
    if (std::memcmp(m_ar, other.m_ar, fillPos().pos) != 0) return false;
    if (fillPos().bit == 0) return true;
    return loadBits(m_ar, fillPos().pos * 8u, fillPos().bit) == loadBits(other.m_ar, fillPos().pos * 8u, fillPos().bit);
}

void VNet_BitStream::logReadState()
{
    logRaw("BStream[%p]: readstate: byte: %d bit %d", static_cast<void*>(this), readPos().pos, readPos().bit);
}

void VNet_BitStream::logWriteState()
{
    logRaw("BStream[%p]: writestate: byte: %d bit %d", static_cast<void*>(this), fillPos().pos, fillPos().bit);
}

// ---------------------------------------------------------------------------
// Serialised form: a 1-byte header below fill byte 16, else 2 bytes, then
// the written bytes.

bool VNet_BitStream::Serialize(char* out, unsigned short* outSize, unsigned short maxSize)
{
    if (!out || !outSize) return false;
    const unsigned dataBytes = fillPos().pos + (fillPos().bit ? 1u : 0u);
    const unsigned headerBytes = fillPos().pos < shortHeaderLimit ? 1u : 2u;
    if (headerBytes + dataBytes > maxSize) return false;
    if (!VNET_ASSERT(fillPos().pos < serialisableBytes, "m_fillpos.pos < 4096")) return false;
    const unsigned header = fillPos().bit | (fillPos().pos << 4);
    if (headerBytes == 1) {
        out[0] = static_cast<char>(header | 0x08);
    } else {
        out[0] = static_cast<char>(header & 0xFF);
        out[1] = static_cast<char>(header >> 8);
    }
    if (dataBytes) std::memcpy(out + headerBytes, m_ar, dataBytes);
    if (*outSize != 0) *outSize = static_cast<unsigned short>(headerBytes + dataBytes);
    return true;
}

bool VNet_BitStream::Deserialize(char* data, unsigned short size)
{
    if (!data || size == 0) return false;
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    const bool shortHeader = (bytes[0] & 0x08) != 0;
    const unsigned headerBytes = shortHeader ? 1 : 2;
    if (size < headerBytes) {
        logRaw("!ERROR: VNet_BitStream::deserialize(): size doesn't match (%d <> %d)", headerBytes, size);
        Clear();
        return false;
    }
    const unsigned header = shortHeader ? bytes[0] : bytes[0] | (bytes[1] << 8);
    const unsigned fillByte = header >> 4;
    const unsigned fillBit = header & 0x07;
    const unsigned dataBytes = fillByte + (fillBit ? 1 : 0);
    if (headerBytes + dataBytes != size) {
        logRaw("!ERROR: VNet_BitStream::deserialize(): size doesn't match (%d <> %d)", headerBytes + dataBytes, size);
        Clear();
        return false;
    }
    if (dataBytes == 0) {
        // An empty payload leaves an empty stream, not the previous one.
        Clear();
        return true;
    }
    // A buffer that holds the data already is filled again and keeps its
    // size: a stream made with the datagram's length as size hint, or one
    // that is reused, takes no second allocation.
    if (!m_ar || m_size < dataBytes) {
        unsigned char* buffer = allocateBuffer(dataBytes);
        if (!buffer) fatalError("VNet_BitStream::deserialize(): out of memory");
        release(m_ar);
        m_ar = buffer;
        m_size = static_cast<uint16_t>(dataBytes);
    }
    std::memmove(m_ar, bytes + headerBytes, dataBytes);
    // Past the data the buffer is zero, as a new one would be.
    std::memset(m_ar + dataBytes, 0, storageBytes(m_size) - dataBytes);
    if (m_maxsize < dataBytes) m_maxsize = static_cast<uint16_t>(dataBytes);
    m_bitcount = fillByte * 8 + fillBit;
    return true;
}
