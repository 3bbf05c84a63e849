// Numeric and interpolating replicators between two controls, in process
// and over UDP: the node's convenience calls and an application-made value
// form carry their values to the proxies, and the interpolating ones smooth
// toward what arrives.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "WireSupport.h"
#include "vornet/vornet_replicator_interpolate.h"
#include "vornet/vornet_replicator_numeric.h"

namespace {

using namespace wire_test;

constexpr unsigned char kFlags = 0x01;
constexpr unsigned char kRules = VNET_RULE_AUTHORITY_TO_PROXY;
constexpr float kThreshold = 1000.0f;
#ifdef VORNET_TEST_CHECKING
constexpr bool kChecking = true;
#else
constexpr bool kChecking = false;
#endif

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

// An object whose first two replicators an interceptor may look at: a
// pointer-form numeric and an interpolating one. A plain number follows
// them, so that reading them out of step shows in it.
struct Panel {
    VNet_Node node;
    int numbers[3] = {1, 2, 3};
    int after = 1;
    VNet_Replicate_Numeric<int*, 3>* pointed;
    VNet_Interpolate<float, 2>* smooth;

    Panel()
    {
        constexpr unsigned char intercepted = kFlags | VNET_REPFLAG_INTERCEPT;
        float start[2] = {0.5f, 0.25f};
        pointed = new VNet_Replicate_Numeric<int*, 3>(numbers, 12, intercepted, kRules, 0, -1, -1);
        smooth = new VNet_Interpolate<float, 2>(start, 23, intercepted, kRules, kThreshold, nullptr, 0, -1, -1, 0.5f);
        node.beginReplicationSetup(3);
        node.addReplicator(pointed, true);
        node.addReplicator(smooth, true);
        node.addReplicationInt(&after, 20, true, kFlags, kRules);
        node.endReplicationSetup();
    }

    bool holds(const int (&expected)[3]) const
    {
        return numbers[0] == expected[0] && numbers[1] == expected[1] && numbers[2] == expected[2];
    }
    bool targets(float first, float second) const
    {
        return smooth->getRecVal(0) == first && smooth->getRecVal(1) == second;
    }
};

// Peeks at every item it is asked about and stores it or not as told.
class PeekingInterceptor : public VNet_NodeReplicationInterceptor {
public:
    bool store = true;
    // The replicators of the watched proxy.
    VNet_Replicator* numbers = nullptr;
    VNet_Replicator* smooth = nullptr;
    std::vector<int> peekedNumbers;
    std::vector<float> peekedSmooth;

    void outPreAnnounce(VNet_Node*, unsigned, eVNet_NodeRole) override {}
    void outPreDelete(VNet_Node*, unsigned, eVNet_NodeRole) override {}
    bool outPreUpdate(VNet_Node*, unsigned, eVNet_NodeRole) override { return true; }
    bool outPreUpdateItem(VNet_Node*, unsigned, eVNet_NodeRole, VNet_Replicator*) override { return true; }
    void outUpdated(VNet_Node*, unsigned, eVNet_NodeRole, unsigned, unsigned, unsigned) override {}
    bool inPreUpdate(VNet_Node*, unsigned, eVNet_NodeRole) override { return true; }
    bool inPreUpdateItem(VNet_Node*, unsigned, eVNet_NodeRole, VNet_Replicator* replicator, unsigned) override
    {
        void* peeked = replicator->peekData();
        if (!peeked) return store;
        if (replicator == numbers) {
            const auto* values = static_cast<const int*>(peeked);
            peekedNumbers.assign(values, values + 3);
        } else if (replicator == smooth) {
            const auto* values = static_cast<const float*>(peeked);
            peekedSmooth.assign(values, values + 2);
        }
        return store;
    }
    void inUpdated(VNet_Node*, unsigned, eVNet_NodeRole, unsigned, unsigned, unsigned) override {}
};

class PanelWire : public WireFixture<Panel> {
protected:
    // Outlives the proxies that point to it.
    PeekingInterceptor peeker;
};

INSTANTIATE_TEST_SUITE_P(Stepped, PanelWire, testing::Values(Link::InProcess), linkName);

// An interceptor sees the new values through the peek and refuses them: the
// proxy keeps its values and targets, and the number after them still
// arrives. Allowed again, the next update is stored.
TEST_P(PanelWire, InterceptorPeeksThenRefuses)
{
    Panel& panel = addObject();
    connect();
    ASSERT_TRUE(runUntil([&] { return proxyOf(panel) && proxyOf(panel)->after == 1; }));
    Panel& proxy = *proxyOf(panel);
    ASSERT_TRUE(proxy.holds({1, 2, 3}));
    ASSERT_TRUE(proxy.targets(0.5f, 0.25f));
    peeker.numbers = proxy.pointed;
    peeker.smooth = proxy.smooth;
    proxy.node.setReplicationInterceptor(&peeker);

    peeker.store = false;
    panel.numbers[2] = 30;
    float moved[2] = {10.5f, -3.25f};
    panel.smooth->setValue(moved);
    panel.after = 2;
    ASSERT_TRUE(runUntil([&] { return proxy.after == 2; })) << LogLines::all();
    EXPECT_EQ(peeker.peekedNumbers, (std::vector<int>{1, 2, 30}));
    EXPECT_EQ(peeker.peekedSmooth, (std::vector<float>{10.5f, -3.25f}));
    EXPECT_TRUE(proxy.holds({1, 2, 3}));
    EXPECT_TRUE(proxy.targets(0.5f, 0.25f));
    EXPECT_EQ(proxy.smooth->getValue(0), 0.5f);

    peeker.store = true;
    panel.numbers[0] = 10;
    moved[1] = 4.0f;
    panel.smooth->setValue(moved);
    ASSERT_TRUE(runUntil([&] { return proxy.holds({10, 2, 30}) && proxy.targets(10.5f, 4.0f); })) << LogLines::all();
    EXPECT_EQ(peeker.peekedNumbers, (std::vector<int>{10, 2, 30}));
    proxy.node.setReplicationInterceptor(nullptr);
}

// A pointer form rebound to no array still sends its items, as zeros, so
// the proxy reads the rest of the update in step.
TEST_P(PanelWire, PointerFormWithoutArraySendsZeros)
{
    Panel& panel = addObject();
    panel.pointed->setValue(static_cast<int*>(nullptr));
    panel.after = 4242;
    connect();
    ASSERT_TRUE(runUntil([&] { return proxyOf(panel) && proxyOf(panel)->after == 4242; }, 400)) << LogLines::all();
    Panel& proxy = *proxyOf(panel);
    EXPECT_TRUE(proxy.holds({0, 0, 0}));
    EXPECT_TRUE(proxy.targets(0.5f, 0.25f));
    EXPECT_FALSE(LogLines::contains("Asymmetrical read")) << LogLines::all();
    // Only the checking build says why.
    EXPECT_EQ(LogLines::contains("sent as zeros"), kChecking) << LogLines::all();
}

}  // namespace
