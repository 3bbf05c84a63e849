// Numeric and interpolating replicators in every exported form: each test
// walks the twelve element counts of its element type, so a form the
// library does not export fails to link.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

#include "SizeSupport.h"
#include "vornet/vornet_replicator_interpolate.h"
#include "vornet/vornet_replicator_numeric.h"

namespace {

using size_test::forEachSize;

constexpr unsigned char kFlags = 0x01;
constexpr unsigned char kRules = VNET_RULE_AUTHORITY_TO_PROXY;

template <typename E>
E sample(unsigned int i)
{
    if constexpr (std::is_same_v<E, int>) return -int(i) * 3 - 1;
    return E(i * 5 + 2);
}

// Pack from a sender, then unpack twice into a receiver: once passed over,
// once stored. A marker after each tells that both consume the same bits.
template <typename Sender, typename Receiver>
void roundTrip(Sender& sender, Receiver& receiver)
{
    VNet_BitStream stream;
    sender.packData(&stream);
    stream.addBool(true);
    sender.packData(&stream);
    stream.addBool(true);
    receiver.unpackData(&stream, false, 0);
    EXPECT_TRUE(stream.getBool());
    receiver.unpackData(&stream, true, 0);
    EXPECT_TRUE(stream.getBool());
}

template <typename E>
class Numeric : public testing::Test {};
using Elements = testing::Types<int, unsigned int, float>;
TYPED_TEST_SUITE(Numeric, Elements);

TYPED_TEST(Numeric, ValueAndPointerFormsCarryTheirElements)
{
    using E = TypeParam;
    forEachSize([]<unsigned int SIZE>() {
        SCOPED_TRACE(SIZE);
        E data[SIZE];
        for (unsigned int i = 0; i < SIZE; ++i) data[i] = sample<E>(i);

        VNet_Replicate_Numeric<E, SIZE> held(data, 20, kFlags, kRules, 0, -1, -1);
        EXPECT_TRUE(held.getFlags() & VNET_REPLICATOR_INITIALIZED);
        EXPECT_EQ(held.getSize(), SIZE);
        EXPECT_FALSE(held.checkState());
        held.setValue(data);
        EXPECT_TRUE(held.checkState());
        held.setValue(SIZE - 1, E(7));
        EXPECT_EQ(held.getValue(SIZE - 1), E(7));
        EXPECT_FALSE(held.checkState());

        E received[SIZE] = {};
        VNet_Replicate_Numeric<E*, SIZE> pointed(received, 20, kFlags, kRules, 0, -1, -1);
        EXPECT_FALSE(pointed.checkState());
        roundTrip(held, pointed);
        EXPECT_EQ(received[SIZE - 1], E(7));
        for (unsigned int i = 0; i + 1 < SIZE; ++i) EXPECT_EQ(received[i], data[i]);
        // Stored values are found by the pointer form's comparison.
        EXPECT_TRUE(pointed.checkState());

        VNet_Replicate_Numeric<E, SIZE> zeros(nullptr, 20, kFlags, kRules, 0, -1, -1);
        EXPECT_EQ(zeros.getValue(0), E(0));
        roundTrip(pointed, zeros);
        EXPECT_EQ(zeros.getValue(SIZE - 1), E(7));
        EXPECT_FALSE(zeros.checkState());

        // A copy owns a copy of an owned set-up; both go without trouble.
        VNet_Replicate_Numeric<E, SIZE> copy(held);
        EXPECT_NE(copy.getSetup(), held.getSetup());
        copy = zeros;
        EXPECT_EQ(copy.getValue(SIZE - 1), E(7));
    });
}

TYPED_TEST(Numeric, InterpolatingFormsTakeTheFirstUpdateAndSmoothLater)
{
    using E = TypeParam;
    forEachSize([]<unsigned int SIZE>() {
        SCOPED_TRACE(SIZE);
        E source[SIZE] = {};
        VNet_Interpolate<E*, SIZE> sender(source, 20, kFlags, kRules, E(100), nullptr, 0, -1, -1, 0.5f);
        VNet_Interpolate<E, SIZE> proxy(nullptr, 20, kFlags, kRules, E(100), nullptr, 0, -1, -1, 0.5f);
        EXPECT_TRUE(proxy.getFlags() & VNET_REPLICATOR_PROCESS);
        EXPECT_FALSE(proxy.checkState());

        for (unsigned int i = 0; i < SIZE; ++i) source[i] = E(10);
        roundTrip(sender, proxy);
        EXPECT_EQ(proxy.getValue(SIZE - 1), E(10));
        for (unsigned int i = 0; i < SIZE; ++i) source[i] = E(20);
        roundTrip(sender, proxy);
        EXPECT_EQ(proxy.getValue(SIZE - 1), E(10));
        EXPECT_EQ(proxy.getRecVal(SIZE - 1), E(20));
        proxy.Process(eVNet_RoleProxy, 0);
        EXPECT_EQ(proxy.getValue(SIZE - 1), E(15));
        proxy.Process(eVNet_RoleAuthority, 0);
        EXPECT_EQ(proxy.getValue(SIZE - 1), E(15)) << "rules without owner-to-authority";

        VNet_Interpolate<E, SIZE> pointedAt(nullptr, 20, kFlags, VNET_RULE_OWNER_TO_AUTHORITY, E(100), nullptr, 0,
                                            -1, -1, 0.5f);
        pointedAt.setRecVal(0, E(3));
        pointedAt.Process(eVNet_RoleAuthority, 0);
        EXPECT_EQ(pointedAt.getValue(0), E(3));
    });
}

TEST(InterpolateSetup, DuplicateCopiesEveryFieldUnlessShared)
{
    VNet_RSetupInterpolate<int> setup(12, 0x08, 0x03, 40, 7, 10, 20, 0.25f);
    auto* copy = static_cast<VNet_RSetupInterpolate<int>*>(setup.Duplicate());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->getRelevantBits(), 12);
    EXPECT_EQ(copy->getFlags(), 0x0C);
    EXPECT_EQ(copy->getRules(), 0x03);
    EXPECT_EQ(copy->getThreshold(), 40);
    EXPECT_EQ(copy->getInterceptID(), 7);
    EXPECT_EQ(copy->getMinDelay(), 10);
    EXPECT_EQ(copy->getMaxDelay(), 20);
    EXPECT_EQ(copy->getFactor(), 0.25f);
    delete copy;
    VNet_RSetupInterpolate<float> shared(12, VNET_REPFLAG_SHAREDSETUP, 1, 1.0f, 0, -1, -1, 0.5f);
    EXPECT_EQ(shared.Duplicate(), &shared);
}

TEST(NumericEncoding, NegativeIntInEightBitsTakesNineBits)
{
    int value = -5;
    VNet_Replicate_Numeric<int*, 1> replicator(&value, 8, kFlags, kRules, 0, -1, -1);
    VNet_BitStream stream;
    replicator.packData(&stream);
    EXPECT_EQ(stream.getBitCount(), 9 + VNet_BitStream::getTagOverheadInt());
    EXPECT_EQ(stream.getSignedInt(8), -5);
}

TEST(NumericEncoding, WideUnsignedTakesThirtyTwoBitsAndSkipsTheSame)
{
    unsigned int value = 0xDEADBEEFu;
    VNet_Replicate_Numeric<unsigned int*, 1> sender(&value, 40, kFlags, kRules, 0, -1, -1);
    VNet_Replicate_Numeric<unsigned int, 1> receiver(nullptr, 40, kFlags, kRules, 0, -1, -1);
    VNet_BitStream stream;
    sender.packData(&stream);
    EXPECT_EQ(stream.getBitCount(), 32 + VNet_BitStream::getTagOverheadInt());
    roundTrip(sender, receiver);
    EXPECT_EQ(receiver.getValue(0), 0xDEADBEEFu);
}

TEST(NumericEncoding, TenMantissaBitsKeepTheTopOfTheMantissa)
{
    float values[2] = {1.0009765625f, 1.0f + 1.0f / 8192.0f};
    VNet_Replicate_Numeric<float*, 2> sender(values, 10, kFlags, kRules, 0, -1, -1);
    VNet_Replicate_Numeric<float, 2> receiver(nullptr, 10, kFlags, kRules, 0, -1, -1);
    VNet_BitStream stream;
    sender.packData(&stream);
    EXPECT_EQ(stream.getBitCount(), 2 * (19 + VNet_BitStream::getTagOverheadFloat()));
    roundTrip(sender, receiver);
    EXPECT_EQ(receiver.getValue(0), 1.0009765625f);
    EXPECT_EQ(receiver.getValue(1), 1.0f);
}

// The worked sequences of a proxy under rules 0x01, factor 0.5 and
// threshold 100, as the replicator runs them.
TEST(InterpolateSteps, WorkedSequences)
{
    VNet_Interpolate<float, 1> floats(nullptr, 20, kFlags, kRules, 100.0f, nullptr, 0, -1, -1, 0.5f);
    floats.setRecVal(0, 10.0f);
    std::vector<float> seen;
    for (int i = 0; i < 4; ++i) {
        floats.Process(eVNet_RoleProxy, 0);
        seen.push_back(floats.getValue(0));
    }
    EXPECT_EQ(seen, (std::vector<float>{5.0f, 7.5f, 8.75f, 10.0f}));

    for (int target : {7, -7}) {
        VNet_Interpolate<int, 1> ints(nullptr, 20, kFlags, kRules, 100, nullptr, 0, -1, -1, 0.5f);
        ints.setRecVal(0, target);
        std::vector<int> steps;
        for (int i = 0; i < 3; ++i) {
            ints.Process(eVNet_RoleProxy, 0);
            steps.push_back(ints.getValue(0));
        }
        EXPECT_EQ(steps, target > 0 ? (std::vector<int>{4, 6, 7}) : (std::vector<int>{-3, -5, -7}));
    }
}

TEST(InterpolateSteps, ProxyWithoutItsRuleAndOwnerWithoutItsRuleStayPut)
{
    VNet_Interpolate<float, 1> proxy(nullptr, 20, kFlags, VNET_RULE_AUTHORITY_TO_OWNER, 100.0f, nullptr, 0, -1, -1,
                                     0.5f);
    proxy.setRecVal(0, 10.0f);
    proxy.Process(eVNet_RoleProxy, 0);
    EXPECT_EQ(proxy.getValue(0), 0.0f);
    proxy.Process(eVNet_RoleOwner, 0);
    EXPECT_EQ(proxy.getValue(0), 5.0f);
    VNet_Interpolate<float, 1> owner(nullptr, 20, kFlags, kRules, 100.0f, nullptr, 0, -1, -1, 0.5f);
    owner.setRecVal(0, 10.0f);
    owner.Process(eVNet_RoleOwner, 0);
    EXPECT_EQ(owner.getValue(0), 0.0f);
}

}  // namespace
