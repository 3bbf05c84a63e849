// What the typed replicators compute apart from any node: element encodings,
// the two rounding rules, the smoothing step and the spline.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>

#include "vornet/src/vornet_replicator_interpolate_private.h"
#include "vornet/src/vornet_replicator_elements.h"
#include "vornet/src/vornet_spline.h"
#include "vornet/vornet_bitstream.h"

namespace {

using namespace Vornet_Private;

template <typename E>
struct Encoding {
    unsigned char bits;
    E value;
    unsigned int payloadBits;  // without the checking build's tags
    E read;
};

template <typename E>
unsigned int tagBits()
{
    return std::is_same_v<E, float> ? VNet_BitStream::getTagOverheadFloat() : VNet_BitStream::getTagOverheadInt();
}

template <typename E>
bool sameBits(E a, E b)
{
    return std::memcmp(&a, &b, sizeof(E)) == 0;
}

// Writes the value twice with a marker after each, then reads one, skips
// one, and checks the markers: reads and skips consume the same bits.
template <typename E>
void checkEncodings(const std::vector<Encoding<E>>& table)
{
    for (const Encoding<E>& row : table) {
        SCOPED_TRACE(testing::Message() << "bits " << int(row.bits) << " value " << row.value);
        VNet_BitStream stream;
        ElementCodec<E>::write(stream, row.value, row.bits);
        const unsigned int tags = row.payloadBits ? tagBits<E>() : 0;
        EXPECT_EQ(stream.getBitCount(), row.payloadBits + tags);
        stream.addBool(true);
        ElementCodec<E>::write(stream, row.value, row.bits);
        stream.addBool(true);

        const E read = ElementCodec<E>::read(stream, row.bits);
        EXPECT_TRUE(sameBits(read, row.read)) << read;
        EXPECT_TRUE(sameBits(ElementCodec<E>::quantise(row.value, row.bits), row.read));
        EXPECT_TRUE(stream.getBool());
        ElementCodec<E>::skip(stream, row.bits);
        EXPECT_TRUE(stream.getBool());
        EXPECT_FALSE(stream.endOfStream());
    }
}

TEST(ElementEncoding, UnsignedIntegers)
{
    checkEncodings<unsigned int>({
        {0, 5u, 0, 0u},
        {1, 3u, 1, 1u},
        {31, 0xFFFFFFFFu, 31, 0x7FFFFFFFu},
        {32, 0xFFFFFFFFu, 32, 0xFFFFFFFFu},
        {40, 0xDEADBEEFu, 32, 0xDEADBEEFu},
    });
}

TEST(ElementEncoding, SignedIntegers)
{
    checkEncodings<int>({
        {0, -5, 0, 0},
        {8, -5, 9, -5},
        {4, 20, 5, 4},
        // The magnitude's high bit falls off; the reader makes it -2^bits.
        {4, -16, 5, -16},
        {31, INT_MIN, 32, INT_MIN},
        {32, INT_MIN, 32, INT_MIN},
        {31, -1, 32, -1},
        {40, INT_MAX, 32, INT_MAX},
    });
}

TEST(ElementEncoding, FloatsKeepTheirTopMantissaBits)
{
    checkEncodings<float>({
        {0, 1.5f, 9, 1.0f},
        {0, -3.0f, 9, -2.0f},
        {10, 1.0009765625f, 19, 1.0009765625f},
        {10, 1.0001f, 19, 1.0f},
        {23, 3.14159f, 32, 3.14159f},
        {23, -0.0f, 32, -0.0f},
        {40, 1e-30f, 32, 1e-30f},
        {10, __builtin_inff(), 19, __builtin_inff()},
    });
}

TEST(ElementEncoding, ArraysGoInIndexOrder)
{
    VNet_BitStream stream;
    const int values[3] = {-1, 2, -3};
    writeValues<int, 3>(stream, values, 8);
    EXPECT_EQ(stream.getBitCount(), 3 * (9 + VNet_BitStream::getTagOverheadInt()));
    EXPECT_EQ(stream.getSignedInt(8), -1);
    int rest[2];
    readValues<int, 2>(stream, rest, 8);
    EXPECT_EQ(rest[0], 2);
    EXPECT_EQ(rest[1], -3);
}

struct Rounding {
    float x;
    int halfUp;         // smoothing's rule
    int halfTruncated;  // extrapolation's and the spline's rule
};

TEST(Rounding, TheTwoRulesDifferBelowMinusAHalf)
{
    const Rounding table[] = {
        {3.5f, 4, 4},    {2.5f, 3, 3},    {2.4f, 2, 2},   {-3.5f, -3, -3}, {-4.5f, -4, -4},
        {-1.7f, -2, -1}, {-0.7f, -1, 0},  {-0.5f, 0, 0},  {0.49999997f, 0, 0},
    };
    for (const Rounding& row : table) {
        EXPECT_EQ(roundHalfUp<int>(row.x), row.halfUp) << row.x;
        EXPECT_EQ(roundHalfTruncated<int>(row.x), row.halfTruncated) << row.x;
    }
}

TEST(Rounding, ConversionsClampInsteadOfOverflowing)
{
    const float nan = __builtin_nanf("");
    const float inf = __builtin_inff();
    EXPECT_EQ(roundHalfUp<int>(nan), 0);
    EXPECT_EQ(roundHalfUp<int>(3e9f), INT_MAX);
    EXPECT_EQ(roundHalfUp<int>(-inf), INT_MIN);
    EXPECT_EQ(roundHalfUp<unsigned int>(4294967296.0f), UINT_MAX);
    EXPECT_EQ(roundHalfUp<unsigned int>(-3.0f), 0u);
    EXPECT_EQ(roundHalfTruncated<int>(inf), INT_MAX);
    EXPECT_EQ(roundHalfTruncated<int>(nan), 0);
    // Unsigned positions take the low 32 bits of a 64-bit truncation.
    EXPECT_EQ(roundHalfTruncated<unsigned int>(4294967040.0f), 4294967040u);
    EXPECT_EQ(roundHalfTruncated<unsigned int>(-1.7f), UINT_MAX);
    EXPECT_EQ(roundHalfTruncated<unsigned int>(nan), 0u);
}

// ---------------------------------------------------------------------------
// Smoothing

template <typename E>
std::vector<E> smoothSteps(E current, E target, E threshold, float factor, int steps)
{
    std::vector<E> seen;
    for (int i = 0; i < steps; ++i) {
        current = smoothElement(current, target, threshold, factor);
        seen.push_back(current);
    }
    return seen;
}

TEST(Smoothing, WorkedSequences)
{
    EXPECT_EQ(smoothSteps<float>(0.0f, 10.0f, 100.0f, 0.5f, 4), (std::vector<float>{5.0f, 7.5f, 8.75f, 10.0f}));
    EXPECT_EQ(smoothSteps<int>(0, 7, 100, 0.5f, 3), (std::vector<int>{4, 6, 7}));
    EXPECT_EQ(smoothSteps<int>(0, -7, 100, 0.5f, 3), (std::vector<int>{-3, -5, -7}));
    EXPECT_EQ(smoothSteps<unsigned int>(10, 3, 100, 0.5f, 3), (std::vector<unsigned int>{7, 5, 3}));
}

TEST(Smoothing, SnapsAtTheEdges)
{
    EXPECT_EQ(smoothElement(0.0f, 2.0f, 100.0f, 0.5f), 2.0f);       // small error
    EXPECT_EQ(smoothElement(0.0f, 10.0f, 10.0f, 0.5f), 5.0f);       // equal to the threshold
    EXPECT_EQ(smoothElement(0.0f, 10.5f, 10.0f, 0.5f), 10.5f);      // above it
    EXPECT_EQ(smoothElement(0, 50, 2, 0.5f), 50);                    // threshold 2 turns smoothing off
    EXPECT_EQ(smoothElement(0.0f, 10.0f, 100.0f, 0.0f), 0.0f);      // factor 0 only snaps
    EXPECT_EQ(smoothElement(0.0f, 10.0f, 100.0f, 1.0f), 10.0f);
}

TEST(Smoothing, NonFiniteValuesSnap)
{
    const float nan = __builtin_nanf("");
    const float inf = __builtin_inff();
    EXPECT_EQ(smoothElement(nan, 10.0f, 100.0f, 0.5f), 10.0f);
    EXPECT_EQ(smoothElement(0.0f, inf, 100.0f, 0.5f), inf);
    EXPECT_TRUE(std::isnan(smoothElement(0.0f, nan, 100.0f, 0.5f)));
    EXPECT_EQ(smoothElement(0, 10, 100, nan), 10);
}

TEST(Smoothing, IntegersNearTheEndsClamp)
{
    EXPECT_EQ(smoothElement<int>(INT_MAX - 200, INT_MAX, 1000, 0.9f), INT_MAX);
    EXPECT_EQ(smoothElement<unsigned int>(UINT_MAX - 300, UINT_MAX, 1000, 0.9f), UINT_MAX);
}

// ---------------------------------------------------------------------------
// Spline

template <typename T, unsigned int N>
Spline<T, N> splineThrough(std::initializer_list<float> points)
{
    Spline<T, N> spline;
    std::copy(points.begin(), points.end(), spline.points);
    return spline;
}

TEST(Spline, EndsAreTheControlPointsExactly)
{
    const auto spline = splineThrough<int, 1>({0.0f, 2.7f, -3.9f, 10.0f});
    int out;
    spline.getPoint(0.0f, &out);
    EXPECT_EQ(out, 2);
    spline.getPoint(1.0f, &out);
    EXPECT_EQ(out, -3);
    spline.getControlPoint(1, &out);
    EXPECT_EQ(out, 3);
    spline.getControlPoint(2, &out);
    EXPECT_EQ(out, -3);

    const auto floats = splineThrough<float, 1>({0.0f, 2.7f, -3.9f, 10.0f});
    float point;
    floats.getPoint(1.0f, &point);
    EXPECT_EQ(point, -3.9f);
}

TEST(Spline, Midpoint)
{
    float f;
    splineThrough<float, 1>({0, 0, 10, 10}).getPoint(0.5f, &f);
    EXPECT_EQ(f, 5.0f);
    int i;
    splineThrough<int, 1>({0, 0, 10, 10}).getPoint(0.5f, &i);
    EXPECT_EQ(i, 5);
}

TEST(Spline, EvenlySpacedPointsReproduceTheLine)
{
    const auto spline = splineThrough<float, 1>({0, 1, 2, 3});
    for (float t : {0.25f, 0.5f, 0.75f, 1.5f, -0.5f}) {
        float out;
        spline.getPoint(t, &out);
        EXPECT_FLOAT_EQ(out, 1.0f + t) << t;
    }
}

TEST(Spline, ElementsDoNotMix)
{
    Spline<unsigned int, 3> spline;
    const unsigned int p[4][3] = {{0, 100, 7}, {0, 100, 7}, {10, 100, 7}, {10, 100, 7}};
    for (unsigned int k = 0; k < 4; ++k) spline.setControlPoint(k, p[k]);
    unsigned int out[3];
    spline.getPoint(0.5f, out);
    EXPECT_EQ(out[0], 5u);
    EXPECT_EQ(out[1], 100u);
    EXPECT_EQ(out[2], 7u);
}

TEST(Spline, IndexBeyondTheFourPointsGivesZeros)
{
    auto spline = splineThrough<float, 2>({1, 2, 3, 4, 5, 6, 7, 8});
    float out[2] = {9, 9};
    spline.getControlPoint(3, out);
    EXPECT_EQ(out[1], 8.0f);
    spline.getControlPoint(4, out);
    EXPECT_EQ(out[0], 0.0f);
    EXPECT_EQ(out[1], 0.0f);
}

}  // namespace
