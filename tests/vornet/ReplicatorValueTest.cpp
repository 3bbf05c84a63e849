// The replicator value holder in every exported form: each test walks the
// twelve element counts of its element type, so a form the library does not
// export fails to link.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <utility>

#include "SizeSupport.h"
#include "vornet/vornet_replicator_value.h"

namespace {

using size_test::forEachSize;

template <typename E>
class ValueForm : public testing::Test {};
template <typename E>
class PointerForm : public testing::Test {};

using Elements = testing::Types<int, unsigned int, float>;
TYPED_TEST_SUITE(ValueForm, Elements);
TYPED_TEST_SUITE(PointerForm, Elements);

TYPED_TEST(ValueForm, EveryWriteCountsAsAChangeOnce)
{
    using E = TypeParam;
    forEachSize([]<unsigned int SIZE>() {
        SCOPED_TRACE(SIZE);
        VNet_ReplicatorValue<E, SIZE> holder;
        EXPECT_TRUE(holder.hasChanged());
        EXPECT_FALSE(holder.hasChanged());

        holder.setData(E(5), SIZE - 1);
        EXPECT_EQ(holder.getData()[SIZE - 1], E(5));
        holder.hasChanged();
        holder.setData(E(5), SIZE - 1);
        EXPECT_TRUE(holder.getChanged());
        EXPECT_TRUE(holder.getChanged());
        EXPECT_TRUE(holder.hasChanged());
        EXPECT_FALSE(holder.hasChanged());

        holder.setData(nullptr);
        EXPECT_TRUE(holder.hasChanged());
        for (unsigned int i = 0; i < SIZE; ++i) EXPECT_EQ(holder.getData()[i], E(0));

        E values[SIZE];
        for (unsigned int i = 0; i < SIZE; ++i) values[i] = E(i + 1);
        holder.updateData(values);
        EXPECT_TRUE(holder.hasChanged());
        EXPECT_EQ(std::memcmp(holder.getData(), values, sizeof(values)), 0);

        // Direct writes through the array are the replicator's own, unreported.
        holder.getData()[0] = E(9);
        EXPECT_FALSE(holder.hasChanged());
        holder.setChanged();
        EXPECT_TRUE(holder.hasChanged());

        VNet_ReplicatorValue<E, SIZE> copy;
        copy = holder;
        EXPECT_EQ(copy.getData()[0], E(9));
        EXPECT_FALSE(copy.getChanged());
    });
}

TYPED_TEST(PointerForm, ChangesAreFoundByComparison)
{
    using E = TypeParam;
    forEachSize([]<unsigned int SIZE>() {
        SCOPED_TRACE(SIZE);
        E data[SIZE] = {};
        VNet_ReplicatorValue<E*, SIZE> holder(data);
        EXPECT_EQ(holder.getData(), data);
        EXPECT_TRUE(holder.hasChanged());
        EXPECT_FALSE(holder.hasChanged());

        data[SIZE - 1] = E(3);
        data[SIZE - 1] = E(0);
        EXPECT_FALSE(holder.hasChanged());

        data[SIZE - 1] = E(3);
        EXPECT_TRUE(holder.getChanged());
        EXPECT_TRUE(holder.hasChanged());
        EXPECT_FALSE(holder.hasChanged());

        holder.setData(E(4), SIZE - 1);
        EXPECT_EQ(data[SIZE - 1], E(4));
        EXPECT_TRUE(holder.hasChanged());

        E same[SIZE];
        std::memcpy(same, data, sizeof(same));
        holder.updateData(same);
        EXPECT_FALSE(holder.hasChanged());
        same[0] = E(8);
        holder.updateData(same);
        EXPECT_EQ(data[0], E(8));
        EXPECT_TRUE(holder.hasChanged());

        holder.setChanged();
        EXPECT_TRUE(holder.hasChanged());

        E other[SIZE] = {};
        holder.setData(other);
        EXPECT_EQ(holder.getData(), other);
        EXPECT_TRUE(holder.hasChanged());
    });
}

TEST(PointerForm, DefaultHolderHasNoArrayAndAZeroCopy)
{
    VNet_ReplicatorValue<int*, 3> holder;
    EXPECT_EQ(holder.getData(), nullptr);
    int zeros[3] = {};
    holder.setData(zeros);
    EXPECT_FALSE(holder.hasChanged());
}

TEST(PointerForm, NegativeZeroIsAChange)
{
    float data[1] = {0.0f};
    VNet_ReplicatorValue<float*, 1> holder(data);
    holder.hasChanged();
    data[0] = -0.0f;
    EXPECT_TRUE(holder.hasChanged());
}

// A forced report survives values that adding one cannot move.
TEST(PointerForm, ForcedChangeHoldsAtTheEdgesOfTheTypes)
{
    int ints[1] = {INT_MAX};
    VNet_ReplicatorValue<int*, 1> intHolder(ints);
    EXPECT_TRUE(intHolder.hasChanged());
    intHolder.setChanged();
    EXPECT_TRUE(intHolder.hasChanged());

    unsigned int uints[1] = {UINT_MAX};
    VNet_ReplicatorValue<unsigned int*, 1> uintHolder(uints);
    EXPECT_TRUE(uintHolder.hasChanged());

    for (float edge : {1e8f, 33554432.0f, __builtin_inff(), __builtin_nanf("")}) {
        float floats[1] = {edge};
        VNet_ReplicatorValue<float*, 1> holder(floats);
        EXPECT_TRUE(holder.hasChanged()) << edge;
        EXPECT_FALSE(holder.hasChanged()) << edge;
        holder.setChanged();
        EXPECT_TRUE(holder.hasChanged()) << edge;
    }
}

}  // namespace
