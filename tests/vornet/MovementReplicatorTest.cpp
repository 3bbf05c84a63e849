// The movement replicator in every exported form (position element type by
// dimension), on a node that is not registered: the state, the time scale,
// the clock and the hand-over from the spline to extrapolation. A form the
// library does not export fails to link.
#include <gtest/gtest.h>

#include <type_traits>

#include "SizeSupport.h"
#include "vornet/vornet.h"
#include "vornet/vornet_node.h"
#include "vornet/vornet_replicator_movement.h"

namespace {

using size_test::forEachSizeUpTo;

constexpr unsigned char kFlags = 0x01;
constexpr unsigned char kRules = VNET_RULE_AUTHORITY_TO_PROXY;

template <typename T>
class Movement : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(library.Init()); }
    void TearDown() override { library.Clear(); }

    Vornet library;
};
using Positions = testing::Types<unsigned int, int, float>;
TYPED_TEST_SUITE(Movement, Positions);

TYPED_TEST(Movement, StateScaleAndExtrapolationInEveryDimension)
{
    using T = TypeParam;
    forEachSizeUpTo<4>([]<unsigned int N>() {
        SCOPED_TRACE(N);
        VNet_Node node;
        auto* movement = new VNet_Replicate_Movement<T, N>(16, kFlags, kRules, 0, -1, -1);
        ASSERT_TRUE(movement->getFlags() & VNET_REPLICATOR_INITIALIZED);
        ASSERT_TRUE(movement->callProcess());
        ASSERT_TRUE(node.beginReplicationSetup(1));
        node.addReplicator(movement, true);
        node.endReplicationSetup();
        ASSERT_EQ(movement->getNode(), &node);

        // Motion is held scaled and handed out unscaled.
        T position[N];
        float velocity[N];
        for (unsigned int i = 0; i < N; ++i) {
            position[i] = T(10);
            velocity[i] = 3.0f;
        }
        movement->setTimeScale(2.0f);
        movement->updateState(position, velocity, nullptr, false);
        float out[N];
        movement->getLastReceivedVelocity(out);
        EXPECT_EQ(out[N - 1], 3.0f);

        // Once the smoothing time has run out the state is extrapolated:
        // 10 + 0.01 per millisecond, from 100 ms after the update.
        movement->setTimeScale(1.0f);
        movement->Process(eVNet_RoleAuthority, 100);
        for (unsigned int i = 0; i < N; ++i) velocity[i] = 0.01f;
        movement->updateState(position, velocity, nullptr, false);
        movement->Process(eVNet_RoleAuthority, 100);
        T shown[N];
        movement->getExtrapolatedPosition(0, shown);
        EXPECT_EQ(shown[N - 1], T(11));
        movement->getExtrapolatedPosition(50, shown);
        const T halfway = std::is_same_v<T, float> ? T(11.5f) : T(12);
        EXPECT_EQ(shown[N - 1], halfway);
        movement->getLastReceivedPosition(shown);
        EXPECT_EQ(shown[0], T(10));

        void* iterator = nullptr;
        unsigned int time = 1;
        EXPECT_EQ(movement->getNextInputHistoryEntry(&time, &iterator), nullptr);
        EXPECT_EQ(time, 0u);
    });
}

TYPED_TEST(Movement, SetUpDuplicatesUnlessShared)
{
    using T = TypeParam;
    VNet_RSetupMovement<T> setup(12, 0x08, VNET_RULE_AUTHORITY_TO_PROXY, 3, 50, 500);
    setup.setExtendedFlags(0x04);
    setup.setInterpolationTime(60);
    setup.setConstantErrorThreshold(5.0f);
    auto* copy = static_cast<VNet_RSetupMovement<T>*>(setup.Duplicate());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->getRelevantBits(), 12);
    EXPECT_EQ(copy->getFlags(), 0x0C);
    EXPECT_EQ(copy->getInterceptID(), 3);
    EXPECT_EQ(copy->getMinDelay(), 50);
    EXPECT_EQ(copy->getMaxDelay(), 500);
    EXPECT_EQ(copy->getExtendedFlags(), 0x04);
    EXPECT_EQ(copy->getInterpolationTime(), 60u);
    EXPECT_EQ(copy->getConstantErrorThreshold(), 5.0f);
    delete copy;
    VNet_RSetupMovement<T> shared(12, VNET_REPFLAG_SHAREDSETUP, 1, 0, -1, -1);
    EXPECT_EQ(shared.Duplicate(), &shared);
}

}  // namespace
