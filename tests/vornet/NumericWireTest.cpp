// Numeric and interpolating replicators between two controls, in process
// and over UDP: the node's convenience calls and an application-made value
// form carry their values to the proxies, and the interpolating ones smooth
// toward what arrives.
#include <gtest/gtest.h>

#include <cmath>

#include "WireSupport.h"
#include "vornet/vornet_replicator_interpolate.h"
#include "vornet/vornet_replicator_numeric.h"

namespace {

using namespace wire_test;

constexpr unsigned char kFlags = 0x01;
constexpr unsigned char kRules = VNET_RULE_AUTHORITY_TO_PROXY;
constexpr float kThreshold = 1000.0f;

// An object with a number of each kind.
struct Gauge {
    VNet_Node node;
    int count = 0;
    int level = 0;  // sent unsigned in 12 bits
    float ratio = 0;
    float smooth = 0;
    int smoothInt = 0;
    VNet_Replicate_Numeric<float, 3>* triple;

    Gauge()
    {
        node.beginReplicationSetup(6);
        node.addReplicationInt(&count, 20, true, kFlags, kRules);
        node.addReplicationInt(&level, 12, false, kFlags, kRules);
        node.addReplicationFloat(&ratio, 16, kFlags, kRules);
        node.addInterpolationFloat(&smooth, 23, kFlags, kRules, kThreshold, nullptr, -1, -1, 0.5f);
        node.addInterpolationInt(&smoothInt, 20, true, kFlags, kRules, int(kThreshold), nullptr, -1, -1, 0.5f);
        triple = new VNet_Replicate_Numeric<float, 3>(nullptr, 23, kFlags, kRules, 0, -1, -1);
        node.addReplicator(triple, true);
        node.endReplicationSetup();
    }

    void set(int round, int index)
    {
        count = -1000 * round - index;
        level = (round * 37 + index) & 0xFFF;
        ratio = 0.25f * float(round) + 0.5f;
        float values[3] = {1.5f * float(round), -2.25f, 1e6f + float(index)};
        triple->setValue(values);
    }

    bool sameNumbers(const Gauge& other) const
    {
        for (unsigned char i = 0; i < 3; ++i) {
            if (triple->getValue(i) != other.triple->getValue(i)) return false;
        }
        return count == other.count && level == other.level && ratio == other.ratio;
    }
};

class NumericWire : public WireFixture<Gauge> {
protected:
    bool converged()
    {
        for (const auto& gauge : objects) {
            const Gauge* proxy = proxyOf(*gauge);
            if (!proxy || !proxy->sameNumbers(*gauge)) return false;
        }
        return true;
    }
};

INSTANTIATE_TEST_SUITE_P(Links, NumericWire, testing::Values(Link::InProcess, Link::Udp), linkName);

TEST_P(NumericWire, ValuesReachTheProxiesAndFollowChanges)
{
    for (int i = 0; i < 4; ++i) addObject().set(0, i);
    connect();
    ASSERT_TRUE(runUntil([&] { return converged(); })) << LogLines::all();
    for (int round = 1; round < 4; ++round) {
        for (size_t i = 0; i < objects.size(); ++i) objects[i]->set(round, int(i));
        ASSERT_TRUE(runUntil([&] { return converged(); })) << "round " << round;
    }
}

TEST_P(NumericWire, ProxiesSmoothTowardChangesAndJumpBeyondTheThreshold)
{
    Gauge& gauge = addObject();
    connect();
    ASSERT_TRUE(runUntil([&] { return proxyOf(gauge) != nullptr; }));
    Gauge& proxy = *proxyOf(gauge);

    gauge.smooth = 100.0f;
    gauge.smoothInt = 100;
    std::vector<float> seen;
    std::vector<int> seenInt;
    ASSERT_TRUE(runUntil([&] {
        if (seen.empty() || seen.back() != proxy.smooth) seen.push_back(proxy.smooth);
        if (seenInt.empty() || seenInt.back() != proxy.smoothInt) seenInt.push_back(proxy.smoothInt);
        return proxy.smooth == 100.0f && proxy.smoothInt == 100;
    }));
    // From 0 by halves: 50, 75, 87.5 ... until the rest is 2 or less.
    EXPECT_EQ(seen, (std::vector<float>{0.0f, 50.0f, 75.0f, 87.5f, 93.75f, 96.875f, 98.4375f, 100.0f}));
    EXPECT_EQ(seenInt, (std::vector<int>{0, 50, 75, 88, 94, 97, 99, 100}));

    // Beyond the threshold the value is taken at once.
    gauge.smooth = 100.0f + 2 * kThreshold;
    ASSERT_TRUE(runUntil([&] { return proxy.smooth != 100.0f; }));
    EXPECT_EQ(proxy.smooth, 100.0f + 2 * kThreshold);
}

// The simulated impairments act alike on both links; the stepped clock
// keeps this run short.
using NumericWireImpaired = NumericWire;
INSTANTIATE_TEST_SUITE_P(Stepped, NumericWireImpaired, testing::Values(Link::InProcess), linkName);

TEST_P(NumericWireImpaired, ValuesConvergeUnderLossAndLag)
{
    for (int i = 0; i < 6; ++i) addObject().set(0, i);
    connect();
    server->VNet_simulateLoss(0, 0.3f);
    client->VNet_simulateLoss(0, 0.3f);
    server->VNet_simulateLag(0, 40);
    client->VNet_simulateLag(0, 40);
    for (int round = 1; round < 4; ++round) {
        for (size_t i = 0; i < objects.size(); ++i) objects[i]->set(round, int(i));
        for (int i = 0; i < 20; ++i) step();
        objects[0]->set(round + 10, 0);
        ASSERT_TRUE(runUntil([&] { return converged(); })) << "round " << round;
    }
}

}  // namespace
