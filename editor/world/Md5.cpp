#include "editor/world/Md5.h"

#include <cstdio>
#include <cstring>

namespace {

// Shift amounts per round and step.
constexpr uint32_t kShift[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

// The sine-derived constants: floor(abs(sin(i + 1)) * 2^32).
constexpr uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391,
};

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

// The round function and message word of step i (0..63).
void roundStep(int i, uint32_t b, uint32_t c, uint32_t d, uint32_t* f, int* word)
{
    switch (i / 16) {
    case 0: *f = (b & c) | (~b & d); *word = i; break;
    case 1: *f = (d & b) | (~d & c); *word = (5 * i + 1) % 16; break;
    case 2: *f = b ^ c ^ d; *word = (3 * i + 5) % 16; break;
    default: *f = c ^ (b | ~d); *word = (7 * i) % 16; break;
    }
}

void transform(uint32_t state[4], const unsigned char block[64])
{
    uint32_t x[16];
    for (int i = 0; i < 16; ++i) x[i] = littleEndianWord(block + 4 * i);
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    for (int i = 0; i < 64; ++i) {
        uint32_t f;
        int word;
        roundStep(i, b, c, d, &f, &word);
        const uint32_t rotated = rotateLeft(a + f + kSine[i] + x[word], kShift[i / 16][i % 4]);
        a = d;
        d = c;
        c = b;
        b += rotated;
    }
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

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
