#include "editor/world/Md5.h"

#include <cstdio>
#include <cstring>

namespace {

uint32_t rotateLeft(uint32_t x, uint32_t n)
{
    return (x << n) | (x >> (32 - n));
}

uint32_t littleEndianWord(const unsigned char* bytes)
{
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
           uint32_t(bytes[3]) << 24;
}

void storeLittleEndian(unsigned char* out, uint32_t word)
{
    for (int i = 0; i < 4; ++i) out[i] = static_cast<unsigned char>(word >> (8 * i));
}

// The four rounds written out, so that every step's message word, constant
// and shift are fixed at compile time: each step mixes one message word into
// one of the four state words with the round's function, adds the step's
// constant (floor(abs(sin(i + 1)) * 2^32) for step i) and rotates by the
// round's shift for that position.
#define MD5_STEP(f, a, b, c, d, word, constant, shift) \
    do {                                               \
        a += f(b, c, d) + (word) + (constant);         \
        a = rotateLeft(a, shift) + b;                  \
    } while (0)

inline uint32_t roundF(uint32_t b, uint32_t c, uint32_t d)
{
    return d ^ (b & (c ^ d));
}

inline uint32_t roundG(uint32_t b, uint32_t c, uint32_t d)
{
    return c ^ (d & (b ^ c));
}

inline uint32_t roundH(uint32_t b, uint32_t c, uint32_t d)
{
    return b ^ c ^ d;
}

inline uint32_t roundI(uint32_t b, uint32_t c, uint32_t d)
{
    return c ^ (b | ~d);
}

void transform(uint32_t state[4], const unsigned char block[64])
{
    uint32_t x[16];
    for (int i = 0; i < 16; ++i) x[i] = littleEndianWord(block + 4 * i);
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];

    MD5_STEP(roundF, a, b, c, d, x[0], 0xd76aa478, 7);
    MD5_STEP(roundF, d, a, b, c, x[1], 0xe8c7b756, 12);
    MD5_STEP(roundF, c, d, a, b, x[2], 0x242070db, 17);
    MD5_STEP(roundF, b, c, d, a, x[3], 0xc1bdceee, 22);
    MD5_STEP(roundF, a, b, c, d, x[4], 0xf57c0faf, 7);
    MD5_STEP(roundF, d, a, b, c, x[5], 0x4787c62a, 12);
    MD5_STEP(roundF, c, d, a, b, x[6], 0xa8304613, 17);
    MD5_STEP(roundF, b, c, d, a, x[7], 0xfd469501, 22);
    MD5_STEP(roundF, a, b, c, d, x[8], 0x698098d8, 7);
    MD5_STEP(roundF, d, a, b, c, x[9], 0x8b44f7af, 12);
    MD5_STEP(roundF, c, d, a, b, x[10], 0xffff5bb1, 17);
    MD5_STEP(roundF, b, c, d, a, x[11], 0x895cd7be, 22);
    MD5_STEP(roundF, a, b, c, d, x[12], 0x6b901122, 7);
    MD5_STEP(roundF, d, a, b, c, x[13], 0xfd987193, 12);
    MD5_STEP(roundF, c, d, a, b, x[14], 0xa679438e, 17);
    MD5_STEP(roundF, b, c, d, a, x[15], 0x49b40821, 22);

    MD5_STEP(roundG, a, b, c, d, x[1], 0xf61e2562, 5);
    MD5_STEP(roundG, d, a, b, c, x[6], 0xc040b340, 9);
    MD5_STEP(roundG, c, d, a, b, x[11], 0x265e5a51, 14);
    MD5_STEP(roundG, b, c, d, a, x[0], 0xe9b6c7aa, 20);
    MD5_STEP(roundG, a, b, c, d, x[5], 0xd62f105d, 5);
    MD5_STEP(roundG, d, a, b, c, x[10], 0x02441453, 9);
    MD5_STEP(roundG, c, d, a, b, x[15], 0xd8a1e681, 14);
    MD5_STEP(roundG, b, c, d, a, x[4], 0xe7d3fbc8, 20);
    MD5_STEP(roundG, a, b, c, d, x[9], 0x21e1cde6, 5);
    MD5_STEP(roundG, d, a, b, c, x[14], 0xc33707d6, 9);
    MD5_STEP(roundG, c, d, a, b, x[3], 0xf4d50d87, 14);
    MD5_STEP(roundG, b, c, d, a, x[8], 0x455a14ed, 20);
    MD5_STEP(roundG, a, b, c, d, x[13], 0xa9e3e905, 5);
    MD5_STEP(roundG, d, a, b, c, x[2], 0xfcefa3f8, 9);
    MD5_STEP(roundG, c, d, a, b, x[7], 0x676f02d9, 14);
    MD5_STEP(roundG, b, c, d, a, x[12], 0x8d2a4c8a, 20);

    MD5_STEP(roundH, a, b, c, d, x[5], 0xfffa3942, 4);
    MD5_STEP(roundH, d, a, b, c, x[8], 0x8771f681, 11);
    MD5_STEP(roundH, c, d, a, b, x[11], 0x6d9d6122, 16);
    MD5_STEP(roundH, b, c, d, a, x[14], 0xfde5380c, 23);
    MD5_STEP(roundH, a, b, c, d, x[1], 0xa4beea44, 4);
    MD5_STEP(roundH, d, a, b, c, x[4], 0x4bdecfa9, 11);
    MD5_STEP(roundH, c, d, a, b, x[7], 0xf6bb4b60, 16);
    MD5_STEP(roundH, b, c, d, a, x[10], 0xbebfbc70, 23);
    MD5_STEP(roundH, a, b, c, d, x[13], 0x289b7ec6, 4);
    MD5_STEP(roundH, d, a, b, c, x[0], 0xeaa127fa, 11);
    MD5_STEP(roundH, c, d, a, b, x[3], 0xd4ef3085, 16);
    MD5_STEP(roundH, b, c, d, a, x[6], 0x04881d05, 23);
    MD5_STEP(roundH, a, b, c, d, x[9], 0xd9d4d039, 4);
    MD5_STEP(roundH, d, a, b, c, x[12], 0xe6db99e5, 11);
    MD5_STEP(roundH, c, d, a, b, x[15], 0x1fa27cf8, 16);
    MD5_STEP(roundH, b, c, d, a, x[2], 0xc4ac5665, 23);

    MD5_STEP(roundI, a, b, c, d, x[0], 0xf4292244, 6);
    MD5_STEP(roundI, d, a, b, c, x[7], 0x432aff97, 10);
    MD5_STEP(roundI, c, d, a, b, x[14], 0xab9423a7, 15);
    MD5_STEP(roundI, b, c, d, a, x[5], 0xfc93a039, 21);
    MD5_STEP(roundI, a, b, c, d, x[12], 0x655b59c3, 6);
    MD5_STEP(roundI, d, a, b, c, x[3], 0x8f0ccc92, 10);
    MD5_STEP(roundI, c, d, a, b, x[10], 0xffeff47d, 15);
    MD5_STEP(roundI, b, c, d, a, x[1], 0x85845dd1, 21);
    MD5_STEP(roundI, a, b, c, d, x[8], 0x6fa87e4f, 6);
    MD5_STEP(roundI, d, a, b, c, x[15], 0xfe2ce6e0, 10);
    MD5_STEP(roundI, c, d, a, b, x[6], 0xa3014314, 15);
    MD5_STEP(roundI, b, c, d, a, x[13], 0x4e0811a1, 21);
    MD5_STEP(roundI, a, b, c, d, x[4], 0xf7537e82, 6);
    MD5_STEP(roundI, d, a, b, c, x[11], 0xbd3af235, 10);
    MD5_STEP(roundI, c, d, a, b, x[2], 0x2ad7d2bb, 15);
    MD5_STEP(roundI, b, c, d, a, x[9], 0xeb86d391, 21);

    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

#undef MD5_STEP

}  // namespace

Md5Context::Md5Context()
{
    md5Init(*this);
}

void md5Init(Md5Context& context)
{
    context.state[0] = 0x67452301;
    context.state[1] = 0xefcdab89;
    context.state[2] = 0x98badcfe;
    context.state[3] = 0x10325476;
    context.count[0] = context.count[1] = 0;
    std::memset(context.buffer, 0, sizeof context.buffer);
    std::memset(context.digest, 0, sizeof context.digest);
    context.hexDigest[0] = '\0';
}

void md5Update(Md5Context& context, const unsigned char* bytes, uint32_t length)
{
    uint32_t used = (context.count[0] >> 3) & 0x3F;
    const uint32_t bits = length << 3;
    context.count[0] += bits;
    if (context.count[0] < bits) ++context.count[1];
    context.count[1] += length >> 29;

    uint32_t offset = 0;
    const uint32_t room = 64 - used;
    if (length >= room) {
        std::memcpy(context.buffer + used, bytes, room);
        transform(context.state, context.buffer);
        for (offset = room; offset + 63 < length; offset += 64) transform(context.state, bytes + offset);
        used = 0;
    }
    std::memcpy(context.buffer + used, bytes + offset, length - offset);
}

void md5Final(Md5Context& context)
{
    unsigned char bitCount[8];
    storeLittleEndian(bitCount, context.count[0]);
    storeLittleEndian(bitCount + 4, context.count[1]);

    static const unsigned char padding[64] = {0x80};
    const uint32_t used = (context.count[0] >> 3) & 0x3F;
    md5Update(context, padding, used < 56 ? 56 - used : 120 - used);
    md5Update(context, bitCount, 8);

    for (int i = 0; i < 4; ++i) storeLittleEndian(context.digest + 4 * i, context.state[i]);
    for (int i = 0; i < 16; ++i) std::snprintf(context.hexDigest + 2 * i, 3, "%02x", context.digest[i]);

    std::memset(context.state, 0, sizeof context.state);
    std::memset(context.count, 0, sizeof context.count);
    std::memset(context.buffer, 0, sizeof context.buffer);
}

std::string md5Hex(std::string_view text)
{
    Md5Context context;
    md5Update(context, reinterpret_cast<const unsigned char*>(text.data()),
              static_cast<uint32_t>(text.size()));
    md5Final(context);
    return context.hexDigest;
}
