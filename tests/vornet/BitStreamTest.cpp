// Bit stream wire format, round trips, skips and hostile input. The checking
// build tags every item, so each vector has one layout per build.
#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "vornet/vornet.h"
#include "vornet/vornet_bitstream.h"

namespace {

#ifdef VORNET_TEST_CHECKING
constexpr bool checking = true;
#else
constexpr bool checking = false;
#endif

using Bytes = std::vector<unsigned>;

struct Layout {
    Bytes bytes;
    uint16_t fillBit;
    uint16_t fillByte;
};

struct EncodingCase {
    const char* name;
    std::function<void(VNet_BitStream&)> write;
    Layout release;
    Layout tagged;
};

char bytes1234[] = {0x12, 0x34};
char bytesFF00[] = {char(0xFF), 0x00};

const EncodingCase encodingCases[] = {
    {"unsigned 5 in 3 bits", [](VNet_BitStream& s) { s.addInt(5, 3); }, {{0x05}, 3, 0}, {{0x1A, 0x00, 0x28}, 6, 2}},
    {"unsigned 0xABCD in 16 bits", [](VNet_BitStream& s) { s.addInt(0xABCD, 16); }, {{0xCD, 0xAB}, 0, 2},
     {{0x82, 0x00, 0x68, 0x5E, 0x05}, 3, 4}},
    {"signed -3 in 4 bits", [](VNet_BitStream& s) { s.addSignedInt(-3, 4); }, {{0x13}, 5, 0},
     {{0x21, 0x00, 0x98}, 0, 3}},
    {"signed 100 in 7 bits", [](VNet_BitStream& s) { s.addSignedInt(100, 7); }, {{0x64}, 0, 1},
     {{0x39, 0x00, 0x20, 0x03}, 3, 3}},
    {"bool true", [](VNet_BitStream& s) { s.addBool(true); }, {{0x01}, 1, 0}, {{0x08}, 4, 0}},
    {"float 1.0 with 23 bits", [](VNet_BitStream& s) { s.addFloat(1.0f, 23); }, {{0x00, 0x00, 0x00, 0xFE}, 0, 4},
     {{0xBB, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3F}, 6, 6}},
    {"float -1.5 with 2 bits", [](VNet_BitStream& s) { s.addFloat(-1.5f, 2); }, {{0xF3, 0x07}, 3, 1},
     {{0x13, 0x00, 0xC0, 0xFC, 0x01}, 1, 4}},
    {"float 2.0 with 0 bits", [](VNet_BitStream& s) { s.addFloat(2.0f, 0); }, {{0x02, 0x00}, 1, 1},
     {{0x03, 0x00, 0x80, 0x00}, 7, 3}},
    {"string Hi", [](VNet_BitStream& s) { s.addString("Hi"); }, {{0x02, 0x90, 0xD2, 0x00}, 1, 3},
     {{0x54, 0x02, 0x80, 0x00, 0xA4, 0x34}, 7, 5}},
    {"wide string A", [](VNet_BitStream& s) { s.addStringW(L"A"); }, {{0x02, 0x82, 0x00, 0x00}, 1, 3},
     {{0x54, 0x02, 0x80, 0x80, 0x20, 0x00}, 7, 5}},
    {"buffer 12 34", [](VNet_BitStream& s) { s.addBuffer(bytes1234, 2); }, {{0x12, 0x34}, 0, 2},
     {{0x15, 0x00, 0x90, 0xA0, 0x01}, 3, 4}},
    {"buffer after one bit",
     [](VNet_BitStream& s) {
         s.addBool(true);
         s.addBuffer(bytesFF00, 2);
     },
     {{0xFF, 0x01, 0x00}, 1, 2},
     {{0x58, 0x01, 0x80, 0x7F, 0x00}, 7, 4}},
    {"nested stream after one bit",
     [](VNet_BitStream& s) {
         VNet_BitStream inner;
         inner.addInt(5, 3);
         inner.addBool(true);
         s.addBool(false);
         s.addBitStream(&inner);
     },
     {{0x1A}, 5, 0},
     {{0xA0, 0x01, 0x80, 0x22}, 6, 3}},
};

Bytes writtenBytes(VNet_BitStream& stream)
{
    char out[128];
    unsigned short size = 1;
    EXPECT_TRUE(stream.Serialize(out, &size, sizeof(out)));
    const unsigned header = stream.getBitCount() / 8 < 16 ? 1 : 2;
    Bytes bytes;
    for (unsigned i = header; i < size; ++i) bytes.push_back(static_cast<unsigned char>(out[i]));
    return bytes;
}

TEST(BitStreamEncoding, ItemsHaveTheirExactBits)
{
    for (const EncodingCase& c : encodingCases) {
        SCOPED_TRACE(c.name);
        VNet_BitStream stream;
        c.write(stream);
        const Layout& expected = checking ? c.tagged : c.release;
        EXPECT_EQ(writtenBytes(stream), expected.bytes);
        VNet_BitStream::BitPos fill;
        stream.saveWriteState(fill);
        EXPECT_EQ(fill.bit, expected.fillBit);
        EXPECT_EQ(fill.pos, expected.fillByte);
    }
}

TEST(BitStreamEncoding, TagOverheadMatchesTheBuild)
{
    EXPECT_EQ(VNet_BitStream::getTagOverheadInt(), checking ? 19u : 0u);
    EXPECT_EQ(VNet_BitStream::getTagOverheadBool(), checking ? 3u : 0u);
    EXPECT_EQ(VNet_BitStream::getTagOverheadFloat(), checking ? 22u : 0u);
    EXPECT_EQ(VNet_BitStream::getTagOverheadString(), checking ? 22u : 0u);
    EXPECT_EQ(VNet_BitStream::getTagOverheadBuffer(), checking ? 19u : 0u);
}

struct HeaderCase {
    uint16_t fillBit;
    uint16_t fillByte;
    Bytes header;
};

TEST(BitStreamSerialisedForm, HeaderSwitchesToTwoBytesAtByteSixteen)
{
    const HeaderCase cases[] = {
        {0, 0, {0x08}},         {5, 0, {0x0D}},         {0, 15, {0xF8}},
        {3, 15, {0xFB}},        {0, 16, {0x00, 0x01}},  {5, 16, {0x05, 0x01}},
        {7, 4095, {0xF7, 0xFF}},
    };
    for (const HeaderCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "fill " << c.fillByte << "." << c.fillBit);
        VNet_BitStream stream(4096);
        stream.restoreWriteState({c.fillBit, c.fillByte});
        const unsigned dataBytes = c.fillByte + (c.fillBit ? 1 : 0);
        EXPECT_EQ(stream.getSizeHint(), c.header.size() + dataBytes);
        std::vector<char> out(stream.getSizeHint());
        unsigned short size = 1;
        ASSERT_TRUE(stream.Serialize(out.data(), &size, static_cast<unsigned short>(out.size())));
        EXPECT_EQ(size, out.size());
        for (size_t i = 0; i < c.header.size(); ++i) EXPECT_EQ(static_cast<unsigned char>(out[i]), c.header[i]);

        VNet_BitStream received;
        ASSERT_TRUE(received.Deserialize(out.data(), size));
        EXPECT_TRUE(received.isEqual(stream));
    }
}

TEST(BitStreamSerialisedForm, SerializeRefusesTooSmallTargetsAndHugeStreams)
{
    VNet_BitStream stream;
    stream.addInt(0x12345678, 32);
    char out[16];
    unsigned short size = 0;
    EXPECT_FALSE(stream.Serialize(out, &size, stream.getSizeHint() - 1));
    EXPECT_TRUE(stream.Serialize(out, &size, stream.getSizeHint()));
    EXPECT_EQ(size, 0u);  // a zero size on entry is left alone
    EXPECT_FALSE(stream.Serialize(nullptr, &size, 5));

    VNet_BitStream huge(8192);
    huge.restoreWriteState({0, 4096});
    std::vector<char> big(8192);
    size = 1;
    EXPECT_FALSE(huge.Serialize(big.data(), &size, 8192));
}

// Items whose write, read and skip must mirror each other.
struct RoundTrip {
    const char* name;
    std::function<void(VNet_BitStream&)> write;
    std::function<void(VNet_BitStream&)> readAndCheck;
    std::function<void(VNet_BitStream&)> skip;
};

uint32_t floatBits(float value)
{
    return std::bit_cast<uint32_t>(value);
}

float floatOf(uint32_t bits)
{
    return std::bit_cast<float>(bits);
}

RoundTrip floatTrip(const char* name, uint32_t bits, unsigned char mantissa, uint32_t expected)
{
    return {name, [=](VNet_BitStream& s) { s.addFloat(floatOf(bits), mantissa); },
            [=](VNet_BitStream& s) { EXPECT_EQ(floatBits(s.getFloat(mantissa)), expected); },
            [=](VNet_BitStream& s) { s.skipFloat(mantissa); }};
}

RoundTrip unsignedTrip(const char* name, unsigned value, unsigned char bits, unsigned expected)
{
    return {name, [=](VNet_BitStream& s) { s.addInt(value, bits); },
            [=](VNet_BitStream& s) { EXPECT_EQ(s.getInt(bits), expected); },
            [=](VNet_BitStream& s) { s.skipInt(bits); }};
}

RoundTrip signedTrip(const char* name, int value, unsigned char bits, int expected)
{
    return {name, [=](VNet_BitStream& s) { s.addSignedInt(value, bits); },
            [=](VNet_BitStream& s) { EXPECT_EQ(s.getSignedInt(bits), expected); },
            [=](VNet_BitStream& s) { s.skipSignedInt(bits); }};
}

RoundTrip stringTrip(const char* name, std::string text, std::string expected)
{
    return {name, [=](VNet_BitStream& s) { s.addString(text.c_str()); },
            [=](VNet_BitStream& s) {
                char* read = s.getString();
                ASSERT_NE(read, nullptr);
                EXPECT_EQ(std::string(read), expected);
                delete[] read;
            },
            [](VNet_BitStream& s) { s.skipString(); }};
}

char bufferData[] = {'\x01', '\x80', '\xFF'};

std::vector<RoundTrip> roundTrips()
{
    return {
        unsignedTrip("unsigned 0", 0, 1, 0),
        unsignedTrip("unsigned maximum", 0xFFFFFFFFu, 32, 0xFFFFFFFFu),
        unsignedTrip("unsigned clamped to 32 bits", 0x80000001u, 200, 0x80000001u),
        unsignedTrip("unsigned high bits dropped", 0x1FF, 8, 0xFF),
        signedTrip("signed 0", 0, 5, 0),
        signedTrip("signed maximum", INT_MAX, 31, INT_MAX),
        signedTrip("signed INT_MIN", INT_MIN, 31, INT_MIN),
        signedTrip("signed -2^n", -16, 4, -16),
        signedTrip("signed -1", -1, 1, -1),
        {"bool true", [](VNet_BitStream& s) { s.addBool(true); },
         [](VNet_BitStream& s) { EXPECT_TRUE(s.getBool()); }, [](VNet_BitStream& s) { s.skipBool(); }},
        {"bool false", [](VNet_BitStream& s) { s.addBool(false); },
         [](VNet_BitStream& s) { EXPECT_FALSE(s.getBool()); }, [](VNet_BitStream& s) { s.skipBool(); }},
        floatTrip("float -0.0", 0x80000000u, 23, 0x80000000u),
        floatTrip("float NaN bits", 0x7FC00001u, 23, 0x7FC00001u),
        floatTrip("float NaN cut to 10 bits", 0x7FC00001u, 10, 0x7FC00000u),
        floatTrip("float 1.1 with 10 bits", floatBits(1.1f), 10, floatBits(1.1f) & ~0x1FFFu),
        floatTrip("float 3.75 with 0 bits", floatBits(3.75f), 0, floatBits(2.0f)),
        floatTrip("float 0.1 lossless", floatBits(0.1f), 23, floatBits(0.1f)),
        floatTrip("float -inf", 0xFF800000u, 5, 0xFF800000u),
        stringTrip("empty string", "", ""),
        stringTrip("string", "hello world", "hello world"),
        stringTrip("string cut to 511 bytes", std::string(600, 'q'), std::string(511, 'q')),
        {"wide string", [](VNet_BitStream& s) { s.addStringW(L"Gr\u00fc\u00dfe \u20ac"); },
         [](VNet_BitStream& s) {
             wchar_t out[32];
             s.getStringW(out, 32);
             EXPECT_EQ(std::wstring(out), L"Gr\u00fc\u00dfe \u20ac");
         },
         [](VNet_BitStream& s) { s.skipString(); }},
        {"wide string beyond 16 bits", [](VNet_BitStream& s) { s.addStringW(L"a\U0001F600b"); },
         [](VNet_BitStream& s) { EXPECT_EQ(std::wstring(s.getStringWStatic()), L"a\uFFFDb"); },
         [](VNet_BitStream& s) { s.skipString(); }},
        {"wide string cut to 255 characters", [](VNet_BitStream& s) { s.addStringW(std::wstring(300, L'w').c_str()); },
         [](VNet_BitStream& s) {
             EXPECT_EQ(s.getStringWLength(), 255u);
             EXPECT_EQ(std::wstring(s.getStringWStatic()), std::wstring(255, L'w'));
         },
         [](VNet_BitStream& s) { s.skipString(); }},
        {"buffer", [](VNet_BitStream& s) { s.addBuffer(bufferData, 3); },
         [](VNet_BitStream& s) {
             char out[3] = {};
             EXPECT_EQ(s.getBuffer(out, 3), 3);
             EXPECT_EQ(std::memcmp(out, bufferData, 3), 0);
         },
         [](VNet_BitStream& s) { s.skipBuffer(3); }},
    };
}

class BitOffsets : public testing::TestWithParam<uint16_t> {};

TEST_P(BitOffsets, ItemsRoundTripAndSkipsEndWhereReadsEnd)
{
    const uint16_t offset = GetParam();
    for (const RoundTrip& trip : roundTrips()) {
        SCOPED_TRACE(trip.name);
        VNet_BitStream stream;
        stream.restoreWriteState({offset, 0});
        trip.write(stream);
        VNet_BitStream::BitPos itemEnd;
        stream.saveWriteState(itemEnd);
        stream.addInt(0x5A, 7);

        stream.restoreReadState({offset, 0});
        trip.readAndCheck(stream);
        VNet_BitStream::BitPos afterRead;
        stream.saveReadState(afterRead);
        EXPECT_EQ(afterRead.pos * 8 + afterRead.bit, itemEnd.pos * 8 + itemEnd.bit);
        EXPECT_EQ(stream.getInt(7), 0x5Au);

        stream.restoreReadState({offset, 0});
        trip.skip(stream);
        VNet_BitStream::BitPos afterSkip;
        stream.saveReadState(afterSkip);
        EXPECT_EQ(afterSkip.pos * 8 + afterSkip.bit, itemEnd.pos * 8 + itemEnd.bit);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryStartBit, BitOffsets, testing::Range<uint16_t>(0, 8));

TEST(BitStreamStrings, CopyingReadsCutButConsumeTheWholeString)
{
    VNet_BitStream stream;
    stream.addString("hello");
    stream.addStringW(L"abcdefgh");
    stream.addStringW(L"abcdefgh");
    stream.addString("skipped");
    stream.addInt(9, 4);

    char narrow[4];
    stream.getString(narrow, 4);
    EXPECT_STREQ(narrow, "hel");
    wchar_t wide[10];
    std::wmemset(wide, L'x', 10);
    stream.getStringW(wide, 10);
    EXPECT_EQ(wide[8], L'\0');
    EXPECT_EQ(std::wstring(wide), L"abcdefgh");
    wchar_t cut[4];
    stream.getStringW(cut, 4);
    EXPECT_EQ(std::wstring(cut), L"abc");
    char untouched[4] = {'u', 'u', 'u', 0};
    stream.getString(untouched, 0);
    EXPECT_STREQ(untouched, "uuu");
    EXPECT_EQ(stream.getInt(4), 9u);
}

TEST(BitStreamStrings, SizeQueriesPeekWithoutMoving)
{
    VNet_BitStream stream;
    stream.addString("four");
    EXPECT_EQ(stream.getStringSize(), 4u);
    EXPECT_EQ(stream.getStringLength(), 4u);
    EXPECT_STREQ(stream.getStringStatic(), "four");
    EXPECT_EQ(stream.getStringSize(), 0u);  // nothing left
}

TEST(BitStreamPositions, EndOfStreamOneBitPastTheFill)
{
    VNet_BitStream stream;
    stream.addBool(true);
    EXPECT_TRUE(stream.getBool());
    EXPECT_FALSE(stream.endOfStream());
    EXPECT_FALSE(stream.getBool());
    EXPECT_TRUE(stream.endOfStream());
    // Further reads past the end stay put one bit past the fill.
    EXPECT_FALSE(stream.getBool());
    stream.skipBits(1000);
    VNet_BitStream::BitPos read;
    stream.saveReadState(read);
    EXPECT_EQ(read.pos * 8u + read.bit, stream.getBitCount() + 1);
}

TEST(BitStreamPositions, BufferMaxAndLimits)
{
    VNet_BitStream stream(4);
    stream.addInt(0xFFFFFF, 20);
    stream.restoreReadState({3, 0});
    EXPECT_EQ(stream.getBufferMax(), checking ? 4 : 2);
    EXPECT_FALSE(stream.checkFull());
    EXPECT_FALSE(stream.checkMax(64));
    EXPECT_EQ(stream.checkMax(8), !checking);
}

bool bitAt(const Bytes& bytes, unsigned position)
{
    return (bytes[position / 8] >> (position % 8)) & 1;
}

// An integer written over earlier bits (the way a field is filled in after
// what follows it), at every offset and across every byte and word
// boundary, changes its own bits and no other.
TEST(BitStreamPositions, OverwritesChangeOnlyTheirOwnBits)
{
    VNet_BitStream original;
    for (unsigned i = 0; i < 12; ++i) original.addInt(0x9E3779B9u * (i + 1), 32);
    VNet_BitStream::BitPos end;
    original.saveWriteState(end);
    const Bytes before = writtenBytes(original);
    for (unsigned width : {1u, 3u, 10u, 16u, 32u}) {
        for (unsigned start = 0; start < 160; ++start) {
            SCOPED_TRACE(testing::Message() << width << " bits at " << start);
            VNet_BitStream stream(original);
            const unsigned value = 0x5A5A5A5Au ^ start;
            stream.restoreWriteState({static_cast<uint16_t>(start % 8), static_cast<uint16_t>(start / 8)});
            stream.addInt(value, static_cast<unsigned char>(width));
            const unsigned itemEnd = stream.getBitCount();
            stream.restoreWriteState(end);
            const Bytes after = writtenBytes(stream);
            ASSERT_EQ(after.size(), before.size());
            for (unsigned bit = 0; bit < before.size() * 8; ++bit) {
                if (bit >= start && bit < itemEnd) continue;
                ASSERT_EQ(bitAt(after, bit), bitAt(before, bit)) << "bit " << bit;
            }
            stream.restoreReadState({static_cast<uint16_t>(start % 8), static_cast<uint16_t>(start / 8)});
            EXPECT_EQ(stream.getInt(static_cast<unsigned char>(width)), width == 32 ? value : value & ((1u << width) - 1));
        }
    }
}

// A stream holding one item of every kind, for the hostile-input tests.
VNet_BitStream fullStream()
{
    VNet_BitStream stream;
    stream.addInt(77, 12);
    stream.addSignedInt(-5, 6);
    stream.addFloat(3.5f, 16);
    stream.addString("text");
    stream.addBuffer(bufferData, 3);
    stream.addBool(true);
    return stream;
}

void readEverything(VNet_BitStream& stream)
{
    stream.getInt(12);
    stream.getSignedInt(6);
    stream.getFloat(16);
    char text[8];
    stream.getString(text, 8);
    char buffer[3];
    stream.getBuffer(buffer, 3);
    stream.getBool();
    delete[] stream.getString();
    stream.getStringStatic();
    stream.getStringWStatic();
    delete stream.getBitStream(40);
    stream.skipBuffer(200);
    stream.skipBits(0xFFFFFFFF);
}

TEST(BitStreamHostileInput, EveryTruncationReadsZerosAndStaysInside)
{
    VNet_BitStream whole = fullStream();
    std::vector<char> wire(whole.getSizeHint());
    unsigned short size = 1;
    ASSERT_TRUE(whole.Serialize(wire.data(), &size, static_cast<unsigned short>(wire.size())));
    const std::vector<char> data(wire.begin() + (whole.getBitCount() / 8 < 16 ? 1 : 2), wire.end());
    for (unsigned keep = 0; keep < data.size(); ++keep) {
        SCOPED_TRACE(keep);
        // A truncated datagram with a header that matches its length.
        std::vector<char> cut;
        if (keep < 16) {
            cut.push_back(static_cast<char>(0x08 | (keep << 4)));
        } else {
            cut.push_back(static_cast<char>((keep << 4) & 0xF0));
            cut.push_back(static_cast<char>(keep >> 4));
        }
        cut.insert(cut.end(), data.begin(), data.begin() + keep);
        VNet_BitStream stream;
        ASSERT_TRUE(stream.Deserialize(cut.data(), static_cast<unsigned short>(cut.size())));
        readEverything(stream);
        EXPECT_TRUE(stream.endOfStream());
    }
}

TEST(BitStreamHostileInput, ReadsPastTheEndReturnZeroAndDoNotMove)
{
    VNet_BitStream stream;
    stream.addInt(3, 2);
    stream.getInt(2);
    EXPECT_EQ(stream.getInt(8), 0u);
    EXPECT_EQ(stream.getSignedInt(8), 0);
    EXPECT_EQ(stream.getFloat(23), 0.0f);
    EXPECT_EQ(stream.getString(), nullptr);
    char out[4] = "xyz";
    stream.getString(out, 4);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(stream.getBuffer(out, 1), 0);
    EXPECT_EQ(stream.getBitStream(1), nullptr);
    EXPECT_FALSE(stream.endOfStream());
    // A read position moved far beyond the data cannot make a buffer read wrap.
    stream.restoreReadState({0, 60000});
    EXPECT_EQ(stream.getBuffer(out, 4), 0);
}

TEST(BitStreamHostileInput, ItemsOneBitShortAreNotRead)
{
    // Each item with its last bit cut off: skipping it (which reads it)
    // does not move, counting every tag the item carries. Strings are left
    // out: their length is consumed even when their bytes are missing.
    for (const RoundTrip& trip : roundTrips()) {
        if (std::string(trip.name).find("string") != std::string::npos) continue;
        SCOPED_TRACE(trip.name);
        VNet_BitStream stream;
        trip.write(stream);
        const unsigned bits = stream.getBitCount();
        stream.restoreWriteState({static_cast<uint16_t>((bits - 1) % 8), static_cast<uint16_t>((bits - 1) / 8)});
        trip.skip(stream);
        VNet_BitStream::BitPos read;
        stream.saveReadState(read);
        // A bool read off the end marks the stream as ended instead.
        const bool isBool = std::string(trip.name).rfind("bool", 0) == 0;
        EXPECT_EQ(read.pos * 8u + read.bit, isBool ? stream.getBitCount() + 1 : 0u);
    }
    VNet_BitStream stream;
    stream.addFloat(1.5f, 10);
    const unsigned bits = stream.getBitCount();
    stream.restoreWriteState({static_cast<uint16_t>((bits - 1) % 8), static_cast<uint16_t>((bits - 1) / 8)});
    EXPECT_EQ(stream.getFloat(10), 0.0f);
    stream.restoreWriteState({static_cast<uint16_t>(bits % 8), static_cast<uint16_t>(bits / 8)});
    EXPECT_EQ(stream.getFloat(10), 1.5f);
}

TEST(BitStreamHostileInput, AnnouncedStringLongerThanTheData)
{
    VNet_BitStream whole;
    whole.addString(std::string(300, 's').c_str());
    std::vector<char> wire(whole.getSizeHint());
    unsigned short size = 1;
    ASSERT_TRUE(whole.Serialize(wire.data(), &size, static_cast<unsigned short>(wire.size())));
    // Keep the length and ten of its bytes.
    wire.resize(2 + 10);
    wire[0] = static_cast<char>(10 << 4);
    wire[1] = 0;
    VNet_BitStream stream;
    ASSERT_TRUE(stream.Deserialize(wire.data(), static_cast<unsigned short>(wire.size())));
    EXPECT_EQ(stream.getStringSize(), 300u);
    EXPECT_EQ(stream.getString(), nullptr);
    stream.resetReadState();
    EXPECT_EQ(std::string(stream.getStringStatic()), "");
}

TEST(BitStreamHostileInput, DeserializeRejectsMismatchedSizesAndClears)
{
    const std::vector<std::vector<unsigned char>> bad = {
        {0x28, 0x01},              // says 2 data bytes, has 1
        {0x18, 0x01, 0x02},        // says 1 data byte, has 2
        {0x00},                    // long header cut after its first byte
        {0xF7, 0xFF, 0x00, 0x00},  // says 4096 data bytes
    };
    for (const auto& datagram : bad) {
        VNet_BitStream stream;
        stream.addInt(0xFFFF, 16);
        std::vector<char> data(datagram.begin(), datagram.end());
        EXPECT_FALSE(stream.Deserialize(data.data(), static_cast<unsigned short>(data.size())));
        EXPECT_EQ(stream.getBitCount(), 0u);
        EXPECT_EQ(stream.getInt(8), 0u);
    }
    VNet_BitStream stream;
    EXPECT_FALSE(stream.Deserialize(nullptr, 3));
}

TEST(BitStreamHostileInput, ReusedStreamKeepsNothingOfTheLastDatagram)
{
    VNet_BitStream stream;
    char first[] = {0x28, 0x11, 0x22};
    ASSERT_TRUE(stream.Deserialize(first, 3));
    EXPECT_EQ(stream.getBitCount(), 16u);
    char empty[] = {0x08};
    ASSERT_TRUE(stream.Deserialize(empty, 1));
    EXPECT_EQ(stream.getBitCount(), 0u);
    stream.resetReadState();
    EXPECT_EQ(stream.getInt(8), 0u);
}

TEST(BitStreamHostileInput, RandomDatagramsReadSafely)
{
    uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
    for (int round = 0; round < 300; ++round) {
        const unsigned length = 1 + next() % 40;
        std::vector<char> data(length);
        for (char& byte : data) byte = static_cast<char>(next() >> 16);
        // Make about half of them well-formed so the reads reach the data.
        if (round % 2) data[0] = static_cast<char>(0x08 | (((length - 1) & 0x0F) << 4));
        VNet_BitStream stream;
        if (stream.Deserialize(data.data(), static_cast<unsigned short>(length))) readEverything(stream);
    }
}

TEST(BitStreamGrowth, GrowsToTheSixteenBitLimitAndNoFurther)
{
    VNet_BitStream stream(0);
    std::vector<char> block(30000, '\x5C');
    ASSERT_TRUE(stream.addBuffer(block.data(), 30000));
    ASSERT_TRUE(stream.addBuffer(block.data(), 30000));
    VNet_BitStream::BitPos last;
    stream.saveWriteState(last);
    stream.addInt(0xA5, 8);
    stream.restoreReadState(last);
    EXPECT_EQ(stream.getInt(8), 0xA5u);
    EXPECT_EXIT(
        {
            std::vector<char> more(6000, 1);
            stream.addBuffer(more.data(), 6000);
        },
        testing::ExitedWithCode(1), "");
}

TEST(BitStreamCopies, CopyAssignAndDuplicateKeepBitsAndPositions)
{
    VNet_BitStream source = fullStream();
    source.getInt(12);
    VNet_BitStream copy(source);
    EXPECT_TRUE(copy.isEqual(source));
    EXPECT_EQ(copy.getSignedInt(6), -5);
    VNet_BitStream assigned(3);
    assigned = source;
    EXPECT_TRUE(assigned.isEqual(source));
    VNet_BitStream* duplicate = source.Duplicate();
    ASSERT_NE(duplicate, nullptr);
    EXPECT_TRUE(duplicate->isEqual(source));
    EXPECT_EQ(duplicate->getSignedInt(6), -5);
    delete duplicate;
}

TEST(BitStreamCopies, BitStreamSlicesAndNestsAtAnyOffset)
{
    VNet_BitStream source = fullStream();
    const unsigned bits = source.getBitCount();
    for (unsigned start = 0; start < 8; ++start) {
        VNet_BitStream outer;
        for (unsigned i = 0; i < start; ++i) outer.addInt(1, 1);
        outer.addBitStream(&source);
        outer.restoreReadState({0, 0});
        outer.skipBits(start * (1 + VNet_BitStream::getTagOverheadInt()));
        VNet_BitStream* slice = outer.getBitStream(bits);
        ASSERT_NE(slice, nullptr);
        EXPECT_TRUE(slice->isEqual(source));
        EXPECT_EQ(slice->getInt(12), 77u);
        delete slice;
    }
}

std::vector<std::string> logLines;

void captureLog(const char* line)
{
    logLines.push_back(line);
}

class BitStreamLog : public testing::Test {
protected:
    void SetUp() override { logLines.clear(); }
    Vornet library{captureLog};
};

TEST_F(BitStreamLog, DuplicateRefusesALentStream)
{
    VNet_BitStream stream;
    stream.addBool(true);
    stream.setFlag(VNET_BS_NODUPLICATE_FLAG, true);
    EXPECT_EQ(stream.Duplicate(), nullptr);
    ASSERT_EQ(logLines.size(), 1u);
    EXPECT_EQ(logLines[0], "! ERROR: VNet_BitStream::Duplicate(): this bitstream may not be duplicated");
}

TEST_F(BitStreamLog, SizeMismatchNamesExpectedAndGiven)
{
    VNet_BitStream stream;
    char data[] = {0x28, 0x01};
    stream.Deserialize(data, 2);
    ASSERT_EQ(logLines.size(), 1u);
    EXPECT_EQ(logLines[0], "!ERROR: VNet_BitStream::deserialize(): size doesn't match (3 <> 2)");
}

TEST_F(BitStreamLog, AsymmetricalReadsAreReportedOnlyByTheCheckingBuild)
{
    VNet_BitStream stream;
    stream.addInt(5, 32);
    stream.getFloat(8);
    if (checking) {
        ASSERT_GE(logLines.size(), 2u);
        EXPECT_EQ(logLines[0], "Asymmetrical read detected - wrong type: 2, expected: 3");
        EXPECT_NE(logLines[1].find("(type == eTypeFloat)"), std::string::npos);
    }
    logLines.clear();
    stream.resetReadState();
    EXPECT_EQ(stream.getInt(7), 5u);
    if (!checking) {
        EXPECT_TRUE(logLines.empty());
        return;
    }
    ASSERT_EQ(logLines.size(), 2u);
    EXPECT_EQ(logLines[0], "Asymmetrical read detected - wrong size: 32, expected: 7");
    EXPECT_NE(logLines[1].find("(bits == _bits)"), std::string::npos);
}

TEST_F(BitStreamLog, DeletingALockedStreamIsReportedByTheCheckingBuild)
{
    auto* stream = new VNet_BitStream;
    stream->setFlag(VNET_BS_LOCKED_FLAG, true);
    delete stream;
    EXPECT_EQ(logLines.size(), checking ? 1u : 0u);
}

}  // namespace
