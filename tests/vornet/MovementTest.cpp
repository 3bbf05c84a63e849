// The movement replicator's dead reckoning, input history and messages,
// driven through its state apart from any node: the test is the clock and
// the network in between.
#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <random>
#include <set>
#include <vector>

#include "BitStringSupport.h"
#include "ControlSupport.h"
#include "vornet/src/vornet_replicator_movement_private.h"
#include "vornet/vornet.h"

namespace {

using namespace Vornet_Private;
using namespace bit_strings;

// A listener that keeps what it was told.
template <typename T>
struct Recorder : VNet_MoveUpdateListener<T> {
    void onInputReceived(VNet_BitStream* stream, bool hasInput, unsigned int time, unsigned int) override
    {
        inputTimes.push_back(time);
        inputValues.push_back(hasInput ? int(stream->getInt(8)) : -1);
    }
    void onLocalInput(VNet_BitStream*) override { ++localInputs; }
    void onCorrection(T* position, float* velocity, float*, bool forced, unsigned int) override
    {
        corrections.push_back(position[0]);
        correctionVelocity = velocity[0];
        lastForced = forced;
    }
    void onUpdateReceived(VNet_BitStream*, T* position, float*, float*, unsigned int) override
    {
        updates.push_back(position[0]);
    }

    std::vector<unsigned int> inputTimes;
    std::vector<int> inputValues;
    int localInputs = 0;
    std::vector<T> corrections;
    float correctionVelocity = 0;
    bool lastForced = false;
    std::vector<T> updates;
};

// ---------------------------------------------------------------------------
// Clock and extrapolation

TEST(MovementState, ExtrapolatesFromTheLastStateOnceSmoothingEnded)
{
    MovementCore<float, 1> core;
    core.process(100, 100);
    const float position = 10.0f, velocity = 0.01f;
    core.updateState(&position, &velocity, nullptr, false);
    core.process(100, 100);
    float out;
    core.extrapolatedPosition(0, &out, 100);
    EXPECT_FLOAT_EQ(out, 11.0f);
    core.extrapolatedPosition(50, &out, 100);
    EXPECT_FLOAT_EQ(out, 11.5f);
}

TEST(MovementState, ShowsTheSplineWhileSmoothing)
{
    MovementCore<int, 2> core;
    const int position[2] = {40, 50};
    core.updateState(position, nullptr, nullptr, false);
    int out[2];
    core.process(99, 100);
    core.extrapolatedPosition(500, out, 100);
    EXPECT_EQ(out[0], 0);
    core.process(1, 100);
    core.extrapolatedPosition(0, out, 100);
    EXPECT_EQ(out[0], 40);
    EXPECT_EQ(out[1], 50);
    // Without an interpolation time there is no smoothing at all.
    MovementCore<int, 2> direct;
    direct.updateState(position, nullptr, nullptr, false);
    direct.extrapolatedPosition(0, out, 0);
    EXPECT_EQ(out[1], 50);
}

TEST(MovementState, IntegerPositionsRoundHalfUpThenTruncate)
{
    MovementCore<int, 1> core;
    core.process(100, 100);
    const float velocity = 0.025f;
    const int zero = 0;
    core.updateState(&zero, &velocity, nullptr, false);
    int out;
    core.extrapolatedPosition(100, &out, 100);
    EXPECT_EQ(out, 3);  // 2.5
    const float backward = -0.017f;
    core.updateState(&zero, &backward, nullptr, false);
    core.extrapolatedPosition(100, &out, 100);
    EXPECT_EQ(out, -1);  // -1.7
}

TEST(MovementState, TimeScaleAppliesInsideOnly)
{
    MovementCore<float, 1> core;
    core.timeScale = 2.0f;
    const float velocity = 3.0f;
    core.updateState(nullptr, &velocity, nullptr, false);
    EXPECT_EQ(core.state.velocity[0], 6.0f);
    float out;
    core.unscaled(core.state.velocity, &out);
    EXPECT_EQ(out, 3.0f);
}

TEST(MovementState, UpdateWithNothingStillMovesTheBaseTime)
{
    MovementCore<float, 1> core;
    core.process(70, 100);
    core.updateState(nullptr, nullptr, nullptr, false);
    EXPECT_EQ(core.state.baseTime, 70u);
    EXPECT_EQ(core.clockOffset, 0);
    EXPECT_EQ(core.now(), 70u);
}

// ---------------------------------------------------------------------------
// Codings and tables

TEST(TimeDelta, WidthsByRange)
{
    const unsigned int boolTag = VNet_BitStream::getTagOverheadBool();
    const unsigned int intTag = VNet_BitStream::getTagOverheadInt();
    struct Row {
        uint32_t delta;
        unsigned int bools, bits;
    } const table[] = {{0, 1, 6}, {63, 1, 6}, {64, 2, 9}, {511, 2, 9}, {512, 2, 32}, {0xFFFFFFFF, 2, 32}};
    for (const Row& row : table) {
        VNet_BitStream stream;
        writeTimeDelta(stream, row.delta);
        EXPECT_EQ(stream.getBitCount(), row.bools * (1 + boolTag) + row.bits + intTag) << row.delta;
        EXPECT_EQ(readTimeDelta(stream), row.delta);
    }
}

TEST(ClockHold, FromPacketsPerSecond)
{
    EXPECT_EQ(clockHold(20, 100).hold, 75u);
    EXPECT_EQ(clockHold(20, 100).smoothing, 25u);
    EXPECT_EQ(clockHold(20, 60).smoothing, 0u);
    EXPECT_EQ(clockHold(3, 100).hold, 358u);
    // No packet counted yet (every connection's first second): no division.
    EXPECT_EQ(clockHold(0, 100).hold, 25u);
    EXPECT_EQ(clockHold(0, 100).smoothing, 75u);
}

TEST(ConnectionTable, GrowsByDoublingAndReusesFreedSlots)
{
    ConnectionTable<int> table;
    int values[9];
    std::vector<unsigned> capacities;
    for (uint32_t id = 1; id <= 9; ++id) {
        ASSERT_TRUE(table.insert(id, &values[id - 1]));
        capacities.push_back(table.capacity());
    }
    EXPECT_EQ(capacities, (std::vector<unsigned>{1, 2, 4, 4, 8, 8, 8, 8, 16}));
    EXPECT_EQ(table.find(7), &values[6]);
    table.remove(3);
    EXPECT_EQ(table.find(3), nullptr);
    EXPECT_EQ(table.count(), 8);
    int extra;
    ASSERT_TRUE(table.insert(40, &extra));
    EXPECT_EQ(table.capacity(), 16);
    EXPECT_EQ(table.find(40), &extra);
    EXPECT_FALSE(table.insert(0, &extra));
}

// ---------------------------------------------------------------------------
// Input history

VNet_BitStream* inputOf(int value)
{
    auto* stream = new VNet_BitStream(8);
    stream->addInt(unsigned(value), 8);
    return stream;
}

void addEntry(InputHistory& history, uint32_t time, int value)
{
    auto* entry = new InputEntry;
    entry->time = time;
    if (value >= 0) {
        entry->input = inputOf(value);
        entry->input->setFlag(VNET_BS_LOCKED_FLAG, true);
    }
    entry->noInput = value < 0;
    ASSERT_TRUE(history.append(entry));
}

// (time, input value) pairs of a whole replay walk, and the time at its end.
std::vector<std::pair<unsigned, int>> replay(InputHistory& history, unsigned* endTime = nullptr)
{
    std::vector<std::pair<unsigned, int>> seen;
    void* iterator = nullptr;
    unsigned time = 0;
    for (int guard = 0; guard < 1000; ++guard) {
        VNet_BitStream* input = history.next(&time, &iterator);
        if (!input) break;
        seen.emplace_back(time, input->getBitCount() ? int(input->getInt(8)) : -1);
    }
    if (endTime) *endTime = time;
    return seen;
}

TEST(InputHistory, ReplayRepeatsTheInputInForce)
{
    InputHistory history;
    unsigned end = 99;
    EXPECT_TRUE(replay(history, &end).empty());
    EXPECT_EQ(end, 0u);

    addEntry(history, 10, 1);
    addEntry(history, 20, -1);
    addEntry(history, 30, 2);
    using Seen = std::vector<std::pair<unsigned, int>>;
    EXPECT_EQ(replay(history, &end), (Seen{{10, 1}, {20, 1}, {30, 2}}));
    EXPECT_EQ(end, 30u);
    // A second walk reads each input from its start again.
    EXPECT_EQ(replay(history), (Seen{{10, 1}, {20, 1}, {30, 2}}));
}

TEST(InputHistory, TrimHandsTheLastDroppedInputToTheFirstKeptEntry)
{
    InputHistory history;
    addEntry(history, 10, 1);
    addEntry(history, 20, -1);
    addEntry(history, 30, 2);
    addEntry(history, 40, -1);
    using Seen = std::vector<std::pair<unsigned, int>>;
    history.trim(25);
    EXPECT_EQ(replay(history), (Seen{{30, 2}, {40, 2}}));
    history.trim(35);
    EXPECT_EQ(replay(history), (Seen{{40, 2}}));
    history.trim(41);
    EXPECT_TRUE(replay(history).empty());
}

TEST(InputHistory, EntryWithoutAnyInputBeforeItReplaysAnEmptyInput)
{
    InputHistory history;
    addEntry(history, 5, -1);
    addEntry(history, 6, 3);
    using Seen = std::vector<std::pair<unsigned, int>>;
    EXPECT_EQ(replay(history), (Seen{{5, -1}, {6, 3}}));
    // The input handed out last went with its entry; the next walk does not
    // hand it out again.
    history.trim(7);
    addEntry(history, 8, -1);
    EXPECT_EQ(replay(history), (Seen{{8, -1}}));
}

// ---------------------------------------------------------------------------
// Owner input over a lossy link

struct Link {
    struct Message {
        uint32_t arrival;
        VNet_BitStream* stream;
        uint32_t userValue;
        bool lost;
    };
    ~Link()
    {
        for (auto& message : queue) delete message.stream;
    }
    std::deque<Message> queue;
};

TEST(OwnerInput, ReachesTheAuthorityAtEveryInputTimeUnderLoss)
{
    constexpr unsigned char bits = 16;
    MovementCore<float, 2> owner, authority;
    Recorder<float> ownerListener, authorityListener;
    owner.updateListener = &ownerListener;
    authority.updateListener = &authorityListener;
    std::mt19937 random(7);
    std::bernoulli_distribution loss(0.3);
    Link link;
    std::set<unsigned> given;
    const float position[2] = {1, 2};

    constexpr uint32_t tick = 10, inputEvery = 100, sendEvery = 30, lag = 50;
    for (uint32_t now = tick; now <= 5000; now += tick) {
        owner.process(tick, 100);
        if (now % inputEvery == 0) {
            owner.updateInput(position, inputOf(int(now / inputEvery) % 256));
            given.insert(owner.inputTime);
        }
        if (now % sendEvery == 0 && owner.inputStarted) {
            auto* stream = new VNet_BitStream(64);
            InputEntry* entry = owner.writeInputPacket(*stream, bits);
            ASSERT_NE(entry, nullptr);
            owner.inputSent(entry);
            link.queue.push_back({now + lag, stream, entry->time, loss(random)});
        }
        while (!link.queue.empty() && link.queue.front().arrival <= now) {
            Link::Message message = link.queue.front();
            link.queue.pop_front();
            if (!message.lost) {
                uint32_t inputTime;
                float ownerPosition[2];
                EXPECT_TRUE(authority.readInputPacket(*message.stream, bits, 0, inputTime, ownerPosition));
                EXPECT_EQ(inputTime, message.userValue);
                EXPECT_EQ(ownerPosition[1], 2.0f);
                // The acknowledgement comes back at once, for simplicity.
                owner.inputAcknowledged(message.userValue);
            }
            delete message.stream;
        }
    }
    const std::set<unsigned> received(authorityListener.inputTimes.begin(), authorityListener.inputTimes.end());
    for (unsigned time : given) {
        if (time + 2 * inputEvery >= 5000) continue;
        EXPECT_TRUE(received.count(time)) << time;
    }
    EXPECT_GT(ownerListener.localInputs, 0);
    // Acknowledgements keep the history short.
    EXPECT_LT(owner.history.entries().count(), 20);
}

TEST(OwnerInput, HistoryInOnePacketIsCapped)
{
    constexpr unsigned char bits = 16;
    MovementCore<int, 1> owner, authority;
    Recorder<int> listener;
    authority.updateListener = &listener;
    const int position = 4;
    VNet_BitStream* last = nullptr;
    uint32_t lastTime = 0;
    for (int i = 0; i < 500; ++i) {
        owner.process(16, 100);
        auto* input = new VNet_BitStream(16);
        for (int k = 0; k < 8; ++k) input->addInt(unsigned(i) & 0xFF, 8);
        owner.updateInput(&position, input);
        delete last;
        last = new VNet_BitStream(64);
        InputEntry* entry = owner.writeInputPacket(*last, bits);
        ASSERT_NE(entry, nullptr);
        lastTime = entry->time;
    }
    EXPECT_LE(last->getBitCount(), inputHistoryBudgetBits + 1024u);
    uint32_t inputTime;
    int ownerPosition;
    // The listener reads only the first byte of each input; here every
    // entry is read through a listener that knows the input's size.
    struct WholeInput : Recorder<int> {
        void onInputReceived(VNet_BitStream* stream, bool hasInput, unsigned int time, unsigned int) override
        {
            inputTimes.push_back(time);
            for (int k = 0; hasInput && k < 8; ++k) stream->getInt(8);
        }
    } whole;
    authority.updateListener = &whole;
    ASSERT_TRUE(authority.readInputPacket(*last, bits, 0, inputTime, &ownerPosition));
    EXPECT_EQ(inputTime, lastTime);
    EXPECT_EQ(ownerPosition, 4);
    ASSERT_GT(whole.inputTimes.size(), 10u);
    EXPECT_LT(whole.inputTimes.size(), 100u);
    // The newest entries, in order and without gaps.
    for (size_t i = 1; i < whole.inputTimes.size(); ++i) EXPECT_EQ(whole.inputTimes[i] - whole.inputTimes[i - 1], 16u);
    EXPECT_EQ(whole.inputTimes.back(), lastTime);
    delete last;
}

TEST(OwnerInput, CorrectionsTrimTheHistoryAndStaleOnesAreDropped)
{
    constexpr unsigned char bits = 20;
    MovementCore<int, 1> owner, authority;
    Recorder<int> listener;
    owner.updateListener = &listener;
    const int position = 0;
    for (int i = 1; i <= 5; ++i) {
        owner.process(10, 100);
        owner.updateInput(&position, inputOf(i));
        VNet_BitStream packet;
        owner.inputSent(owner.writeInputPacket(packet, bits));
    }
    const int truth = 42;
    const float velocity = 0.5f;
    authority.updateState(&truth, &velocity, nullptr, true);
    EXPECT_TRUE(authority.correctionDue(&position, bits, 25.0f, 0, 0));

    VNet_BitStream correction;
    authority.writeCorrection(correction, 30, bits);
    ASSERT_TRUE(owner.receiveCorrection(correction, bits, 0));
    EXPECT_EQ(listener.corrections, (std::vector<int>{42}));
    EXPECT_EQ(listener.correctionVelocity, 0.5f);
    EXPECT_TRUE(listener.lastForced);
    using Seen = std::vector<std::pair<unsigned, int>>;
    EXPECT_EQ(replay(owner.history), (Seen{{30, 3}, {40, 4}, {50, 5}}));

    VNet_BitStream stale;
    authority.writeCorrection(stale, 20, bits);
    EXPECT_FALSE(owner.receiveCorrection(stale, bits, 0));
    EXPECT_EQ(listener.corrections.size(), 1u);
    EXPECT_EQ(replay(owner.history).size(), 3u);
}

TEST(OwnerInput, CorrectionOnlyBeyondTheThresholdAndNotTooOften)
{
    MovementCore<float, 2> authority;
    const float truth[2] = {3, 4};
    authority.updateState(truth, nullptr, nullptr, false);
    const float exact[2] = {0, 0};
    const float near[2] = {3, 4};
    EXPECT_FALSE(authority.correctionDue(near, 23, 25.0f, 1000, 0));
    EXPECT_FALSE(authority.correctionDue(exact, 23, 5.0f, 1000, 0));  // drift 5 equals the threshold
    EXPECT_TRUE(authority.correctionDue(exact, 23, 4.9f, 1000, 0));
    authority.lastCorrectionTime = 900;
    EXPECT_FALSE(authority.correctionDue(exact, 23, 4.9f, 1000, 50));
    EXPECT_TRUE(authority.correctionDue(exact, 23, 4.9f, 1000, 49));
}

// A position the wire rounds by more than the threshold: the owner at rest
// where the authority holds the object reports the rounded position, and a
// correction could carry nothing else.
TEST(OwnerInput, NoCorrectionForWhatTheWireCannotTell)
{
    constexpr unsigned char bits = 10;
    MovementCore<float, 1> authority;
    const float truth = 2000.7f;
    authority.updateState(&truth, nullptr, nullptr, false);
    const float received = 2000.0f;  // 2000.7 with ten mantissa bits
    EXPECT_FALSE(authority.correctionDue(&received, bits, 0.5f, 1000, 0));
    const float away = 2002.0f;
    EXPECT_TRUE(authority.correctionDue(&away, bits, 0.5f, 1000, 0));
}

// An owner and an authority of one dimension, the test carrying the input
// packets between them.
template <typename T>
struct InputPair {
    static constexpr unsigned char bits = 16;

    InputPair() { authority.updateListener = &heard; }

    // The owner's next input packet; the entry it added (null when memory
    // failed).
    InputEntry* send(VNet_BitStream& packet)
    {
        InputEntry* entry = owner.writeInputPacket(packet, bits);
        if (entry) owner.inputSent(entry);
        return entry;
    }
    bool receive(VNet_BitStream& packet)
    {
        uint32_t inputTime;
        T ownerPosition;
        return authority.readInputPacket(packet, bits, 0, inputTime, &ownerPosition);
    }

    MovementCore<T, 1> owner, authority;
    Recorder<T> heard;
};

// Right after a hand-over the new owner's clock reads 0. Nothing has been
// acknowledged yet, so an input given then is resent like any other.
TEST(OwnerInput, InputGivenAtClockZeroIsResentUntilAcknowledged)
{
    InputPair<float> pair;
    const float position = 0;
    pair.owner.updateInput(&position, inputOf(77));
    ASSERT_EQ(pair.owner.inputTime, 0u);
    for (int lost = 0; lost < 5; ++lost) {
        VNet_BitStream packet;
        ASSERT_NE(pair.send(packet), nullptr);
    }
    for (int step = 1; step <= 300; ++step) {
        pair.owner.process(10, 100);
        if (step % 50 == 0) pair.owner.updateInput(&position, inputOf(step / 50));
        VNet_BitStream packet;
        InputEntry* entry = pair.send(packet);
        ASSERT_NE(entry, nullptr);
        ASSERT_TRUE(pair.receive(packet));
        pair.owner.inputAcknowledged(entry->time);
    }
    bool heard = false;
    for (size_t i = 0; i < pair.heard.inputTimes.size(); ++i)
        heard |= pair.heard.inputTimes[i] == 0 && pair.heard.inputValues[i] == 77;
    EXPECT_TRUE(heard);
}

// The input stream the owner holds, handed in again: refused, and what is
// sent is still that input.
class OwnerInputStream : public control_test::LibraryFixture {};

TEST_F(OwnerInputStream, HandedInTwiceIsRefusedAndStaysValid)
{
    InputPair<int> pair;
    const int position = 3;
    VNet_BitStream* input = inputOf(123);
    pair.owner.updateInput(&position, input);
    pair.owner.updateInput(&position, input);
    EXPECT_EQ(pair.owner.inputStream, input);
    EXPECT_TRUE(pair.owner.hasInput);
    // Only the checking build says why.
    EXPECT_EQ(control_test::LogLines::contains("used already"), kTagged) << control_test::LogLines::all();
    VNet_BitStream packet;
    pair.send(packet);
    ASSERT_TRUE(pair.receive(packet));
    EXPECT_EQ(pair.heard.inputValues, (std::vector<int>{123}));
    // A new stream still replaces it.
    pair.owner.updateInput(&position, inputOf(124));
    VNet_BitStream next;
    pair.send(next);
    ASSERT_TRUE(pair.receive(next));
    EXPECT_EQ(pair.heard.inputValues.back(), 124);
}

// ---------------------------------------------------------------------------
// Dead reckoning between an authority and a proxy

template <typename T, unsigned int N>
struct Reckoning {
    static constexpr uint32_t interpolation = 100;
    static constexpr uint32_t packetsPerSecond = 30;

    Reckoning() { proxy.updateListener = &listener; }

    // One send opportunity of the authority; the message arrives after lag
    // or, when lost, its loss is known after twice the lag.
    void opportunity(uint32_t now, bool lost, uint32_t lag)
    {
        auto* record = authority.recordFor(1);
        ASSERT_NE(record, nullptr);
        const unsigned plan = authority.planUpdate(*record, bits, threshold, false);
        if (!(plan & updateSend)) return;
        auto* stream = new VNet_BitStream(12);
        authority.writeStateUpdate(*stream, plan, record->force, bits);
        authority.recordSent(*record, plan, bits);
        ++sent;
        link.queue.push_back({now + (lost ? 2 * lag : lag), stream, 0, lost});
    }

    void deliver(uint32_t now)
    {
        while (!link.queue.empty() && link.queue.front().arrival <= now) {
            Link::Message message = link.queue.front();
            link.queue.pop_front();
            if (message.lost) {
                authority.markLost(*authority.recordFor(1));
            } else {
                EXPECT_TRUE(proxy.receiveStateUpdate(*message.stream, bits, interpolation, packetsPerSecond, 0));
            }
            delete message.stream;
        }
    }

    void tick(uint32_t elapsed)
    {
        authority.process(elapsed, interpolation);
        proxy.process(elapsed, interpolation);
    }

    float proxyError(const T* truth)
    {
        T shown[N];
        proxy.extrapolatedPosition(0, shown, interpolation);
        return positionDrift<T, N>(shown, truth);
    }

    unsigned char bits = 16;
    float threshold = 25.0f;
    MovementCore<T, N> authority, proxy;
    Recorder<T> listener;
    Link link;
    int sent = 0;
};

TEST(DeadReckoning, ConstantVelocitySendsOneUpdate)
{
    Reckoning<float, 2> r;
    const float velocity[2] = {0.05f, -0.02f};
    for (uint32_t now = 10; now <= 3000; now += 10) {
        r.tick(10);
        const float position[2] = {100 + velocity[0] * now, 50 + velocity[1] * now};
        r.authority.updateState(position, velocity, nullptr, false);
        r.opportunity(now, false, 0);
        r.deliver(now);
    }
    EXPECT_EQ(r.sent, 1);
}

TEST(DeadReckoning, ConstantAccelerationSendsOneUpdate)
{
    Reckoning<int, 1> r;
    const float velocity = 0.01f, acceleration = 0.0002f;
    for (uint32_t now = 10; now <= 3000; now += 10) {
        r.tick(10);
        const float t = float(now - 10);
        const int position = int(std::lround(velocity * t + acceleration * t * t / 2));
        // The true position each frame; velocity and acceleration as given
        // at the start.
        if (now == 10) {
            r.authority.updateState(&position, &velocity, &acceleration, false);
        } else {
            r.authority.updateState(&position, nullptr, nullptr, false);
        }
        r.opportunity(now, false, 0);
        r.deliver(now);
    }
    EXPECT_EQ(r.sent, 1);
}

TEST(DeadReckoning, EachDirectionChangeSendsAboutOneMore)
{
    Reckoning<unsigned int, 2> r;
    float position[2] = {10000, 10000};
    int changes = 0;
    float velocity[2] = {0.1f, 0};
    for (uint32_t now = 10; now <= 6000; now += 10) {
        r.tick(10);
        if (now % 1000 == 0) {
            // A quarter turn.
            const float x = velocity[0];
            velocity[0] = -velocity[1];
            velocity[1] = x;
            ++changes;
        }
        for (int i = 0; i < 2; ++i) position[i] += velocity[i] * 10;
        const unsigned int at[2] = {unsigned(position[0]), unsigned(position[1])};
        r.authority.updateState(at, velocity, nullptr, false);
        r.opportunity(now, false, 0);
        r.deliver(now);
    }
    EXPECT_GE(r.sent, 1 + changes);
    EXPECT_LE(r.sent, 1 + 2 * changes);
}

TEST(DeadReckoning, ProxyErrorStaysBoundedUnderLossAndLag)
{
    for (float threshold : {25.0f, 5.0f}) {
        SCOPED_TRACE(threshold);
        Reckoning<float, 2> r;
        r.threshold = threshold;
        std::mt19937 random(11);
        std::bernoulli_distribution loss(0.1);
        constexpr uint32_t lag = 50, tick = 10, sendEvery = 30;
        constexpr float speed = 0.1f;
        float position[2] = {0, 0};
        float velocity[2] = {speed, 0};
        float worst = 0;
        for (uint32_t now = tick; now <= 20000; now += tick) {
            r.tick(tick);
            if (now % 700 == 0) {
                const float x = velocity[0];
                velocity[0] = -velocity[1];
                velocity[1] = x;
            }
            for (int i = 0; i < 2; ++i) position[i] += velocity[i] * tick;
            r.authority.updateState(position, velocity, nullptr, false);
            if (now % sendEvery == 0) r.opportunity(now, loss(random), lag);
            r.deliver(now);
            if (now > 1000) worst = std::max(worst, r.proxyError(position));
        }
        // The proxy shows the object as it was a lag, a clock hold and one
        // send interval ago; a turn adds the smoothing time at twice the
        // speed (the change of velocity of a quarter turn is below that).
        const float hold = float(clockHold(Reckoning<float, 2>::packetsPerSecond, 100).hold);
        const float allowance = speed * (lag + hold + sendEvery) + 2 * speed * 100;
        EXPECT_LE(worst, threshold + allowance);
        EXPECT_GT(r.sent, 1);
    }
}

// A threshold finer than the wire's rounding: the proxy holds the rounded
// position, and another update would carry the same.
TEST(DeadReckoning, RestBelowTheWirePrecisionSendsOnce)
{
    Reckoning<float, 1> r;
    r.bits = 10;
    r.threshold = 0.5f;
    const float position = 2000.7f;
    for (uint32_t now = 1; now <= 1000; ++now) {
        r.tick(1);
        r.authority.updateState(&position, nullptr, nullptr, false);
        r.opportunity(now, false, 0);
        r.deliver(now);
    }
    EXPECT_EQ(r.sent, 1);
    // Moving on by more than the threshold still sends.
    const float moved = 2002.0f;
    r.authority.updateState(&moved, nullptr, nullptr, false);
    r.opportunity(1001, false, 0);
    EXPECT_EQ(r.sent, 2);
}

TEST(DeadReckoning, LostUpdateResendsEverythingWithForce)
{
    Reckoning<int, 1> r;
    r.tick(10);
    const int position = 5;
    const float velocity = 0.001f;
    r.authority.updateState(&position, &velocity, nullptr, false);
    auto* record = r.authority.recordFor(1);
    unsigned plan = r.authority.planUpdate(*record, 16, 25.0f, false);
    EXPECT_EQ(plan, updateSend | updateVelocity);
    EXPECT_TRUE(record->force);
    r.authority.recordSent(*record, plan, 16);
    EXPECT_EQ(r.authority.planUpdate(*record, 16, 25.0f, false), 0u);

    r.authority.markLost(*record);
    plan = r.authority.planUpdate(*record, 16, 25.0f, false);
    EXPECT_EQ(plan, updateSend | updateVelocity | updateAcceleration);
    VNet_BitStream stream;
    r.authority.writeStateUpdate(stream, plan, record->force, 16);
    ASSERT_TRUE(r.proxy.receiveStateUpdate(stream, 16, 100, 30, 0));
    EXPECT_EQ(r.proxy.splineParameter, 1.0f);
    EXPECT_EQ(r.listener.updates, (std::vector<int>{5}));
}

TEST(DeadReckoning, UnchangedMotionSendsOnlyThePositionAndTheFlags)
{
    MovementCore<float, 1> authority;
    authority.process(10, 100);
    const float position = 1, velocity = 0.5f;
    authority.updateState(&position, &velocity, nullptr, false);
    VNet_BitStream stream;
    authority.writeStateUpdate(stream, updateSend, false, 10);
    const unsigned int boolBits = 1 + VNet_BitStream::getTagOverheadBool();
    EXPECT_EQ(stream.getBitCount(), 19 + VNet_BitStream::getTagOverheadFloat() + 3 * boolBits);
}

TEST(DeadReckoning, ProxyRefusesNonFiniteMotionForIntegerPositions)
{
    MovementCore<int, 1> authority, proxy;
    Recorder<int> listener;
    proxy.updateListener = &listener;
    const int position = 7;
    const float velocity = __builtin_nanf("");
    authority.updateState(&position, &velocity, nullptr, false);
    VNet_BitStream stream;
    authority.writeStateUpdate(stream, updateSend | updateVelocity, true, 16);
    EXPECT_FALSE(proxy.receiveStateUpdate(stream, 16, 100, 30, 0));
    EXPECT_TRUE(listener.updates.empty());
    EXPECT_EQ(proxy.state.position[0], 0);

    VNet_BitStream cut;
    cut.addInt(1, 3);
    EXPECT_FALSE(proxy.receiveStateUpdate(cut, 16, 100, 30, 0));
}

TEST(DeadReckoning, NonFiniteFloatPositionJumpsInsteadOfBlending)
{
    MovementCore<float, 1> authority, proxy;
    Recorder<float> listener;
    proxy.updateListener = &listener;
    const float position = __builtin_inff();
    authority.updateState(&position, nullptr, nullptr, false);
    VNet_BitStream stream;
    authority.writeStateUpdate(stream, updateSend, false, 23);
    ASSERT_TRUE(proxy.receiveStateUpdate(stream, 23, 100, 30, 0));
    EXPECT_EQ(proxy.splineParameter, 1.0f);
}

TEST(DeadReckoning, ProxyClockHoldsAndTheSplineSpansTheUpdate)
{
    MovementCore<float, 1> proxy;
    Recorder<float> listener;
    proxy.updateListener = &listener;
    proxy.process(1000, 100);
    const float position = 10, velocity = 0.1f;
    proxy.applyStateUpdate(&position, &velocity, nullptr, false, 100, 20);
    EXPECT_EQ(proxy.clockOffset, -75);
    EXPECT_EQ(proxy.splineParameter, 0.0f);
    float p2, p3;
    proxy.spline.getControlPoint(2, &p2);
    proxy.spline.getControlPoint(3, &p3);
    EXPECT_FLOAT_EQ(p2, 12.5f);  // D = 25
    EXPECT_FLOAT_EQ(p3, 15.0f);

    proxy.applyStateUpdate(&position, &velocity, nullptr, false, 60, 20);
    proxy.spline.getControlPoint(2, &p2);
    proxy.spline.getControlPoint(3, &p3);
    EXPECT_EQ(p2, 10.0f);
    EXPECT_EQ(p3, 10.0f);
}

TEST(DeadReckoning, OverrideIsUndoneByTheNextUpdateThatLacksMotion)
{
    MovementCore<float, 1> proxy;
    const float position = 0, velocity = 2.0f;
    proxy.applyStateUpdate(&position, &velocity, nullptr, true, 100, 20);
    const float stop = 0;
    proxy.overrideState(nullptr, &stop, nullptr, 0);
    EXPECT_EQ(proxy.state.velocity[0], 0.0f);
    proxy.applyStateUpdate(&position, nullptr, nullptr, true, 100, 20);
    EXPECT_EQ(proxy.state.velocity[0], 2.0f);
    EXPECT_FALSE(proxy.pending);
}

// ---------------------------------------------------------------------------
// The three messages against their layouts, bit by bit; each layout is also
// read back by the receiving side.

// The first update on a connection: the velocity differs from what the peer
// holds, the acceleration does not, and the force bit is set.
TEST(MovementMessages, StateUpdateLayout)
{
    constexpr unsigned char bits = 10;
    MovementCore<float, 2> authority;
    const float position[2] = {1.0f, -2.5f};
    const float velocity[2] = {0.5f, 0.0f};
    authority.updateState(position, velocity, nullptr, false);
    auto* record = authority.recordFor(1);
    ASSERT_NE(record, nullptr);
    const unsigned plan = authority.planUpdate(*record, bits, 25.0f, false);
    ASSERT_TRUE(plan & updateSend);
    VNet_BitStream stream;
    authority.writeStateUpdate(stream, plan, record->force, bits);
    const std::string golden = floatItem(false, "0000000000", "01111111") +  // 1.0
                               floatItem(true, "0100000000", "10000000") +   // -2.5
                               boolItem(true) +                              // velocity follows
                               floatItem(false, "0000000000", "01111110") +  // 0.5
                               floatItem(false, "0000000000", "00000000") +  // 0.0
                               boolItem(false) +                             // no acceleration
                               boolItem(true);                               // force
    EXPECT_EQ(bitsOf(stream), golden);

    MovementCore<float, 2> proxy;
    Recorder<float> listener;
    proxy.updateListener = &listener;
    VNet_BitStream wire = streamOfBits(golden);
    ASSERT_TRUE(proxy.receiveStateUpdate(wire, bits, 100, 20, 0));
    EXPECT_EQ(listener.updates, (std::vector<float>{1.0f}));
    EXPECT_EQ(proxy.state.position[1], -2.5f);
    EXPECT_EQ(proxy.state.velocity[0], 0.5f);
    EXPECT_EQ(proxy.splineParameter, 1.0f) << "forced: no smoothing";
}

// The third input packet of an owner: two history entries (the first with
// its input, the second repeating it), then the new input.
TEST(MovementMessages, InputPacketLayout)
{
    constexpr unsigned char bits = 8;
    MovementCore<int, 1> owner;
    const int first = 3, second = -4;
    owner.process(100, 100);
    owner.updateInput(&first, inputOf(5));
    VNet_BitStream one, two, stream;
    owner.inputSent(owner.writeInputPacket(one, bits));
    owner.process(20, 100);
    owner.inputSent(owner.writeInputPacket(two, bits));
    owner.process(280, 100);
    owner.updateInput(&second, inputOf(2));
    owner.inputSent(owner.writeInputPacket(stream, bits));
    const std::string golden =
        boolItem(true) + uintItem("00100110000000000000000000000000") +  // entry at 100
        boolItem(false) + uintItem("10100000") +                          // its input, 5
        boolItem(true) + boolItem(false) + uintItem("000000") +           // entry 0 ms later
        boolItem(true) +                                                  // without new input
        boolItem(false) +                                                 // end of entries
        boolItem(true) + boolItem(false) + uintItem("001101001") +        // the new input, 300 ms later
        intItem("00100000", true) +                                       // position -4
        boolItem(false) + uintItem("01000000") +                          // its input, 2
        (kTagged ? boolItem(true) : "");
    EXPECT_EQ(bitsOf(stream), golden);

    MovementCore<int, 1> authority;
    Recorder<int> listener;
    authority.updateListener = &listener;
    VNet_BitStream wire = streamOfBits(golden);
    uint32_t inputTime = 0;
    int ownerPosition = 0;
    ASSERT_TRUE(authority.readInputPacket(wire, bits, 0, inputTime, &ownerPosition));
    EXPECT_EQ(inputTime, 400u);
    EXPECT_EQ(ownerPosition, -4);
    EXPECT_EQ(listener.inputTimes, (std::vector<unsigned>{100, 100, 400}));
    EXPECT_EQ(listener.inputValues, (std::vector<int>{5, -1, 2}));
}

TEST(MovementMessages, CorrectionLayout)
{
    constexpr unsigned char bits = 6;
    MovementCore<unsigned int, 1> authority;
    const unsigned int position = 9;
    const float velocity = -0.25f;
    authority.updateState(&position, &velocity, nullptr, true);
    VNet_BitStream stream;
    authority.writeCorrection(stream, 1000, bits);
    const std::string golden = uintItem("00010111110000000000000000000000") +  // input time 1000
                               uintItem("100100") +                            // position 9
                               floatItem(true, "000000", "01111101") +         // velocity -0.25
                               floatItem(false, "000000", "00000000") +        // acceleration 0
                               boolItem(true);                                 // forced
    EXPECT_EQ(bitsOf(stream), golden);

    MovementCore<unsigned int, 1> owner;
    Recorder<unsigned int> listener;
    owner.updateListener = &listener;
    VNet_BitStream wire = streamOfBits(golden);
    ASSERT_TRUE(owner.receiveCorrection(wire, bits, 0));
    EXPECT_EQ(listener.corrections, (std::vector<unsigned int>{9}));
    EXPECT_EQ(listener.correctionVelocity, -0.25f);
    EXPECT_TRUE(listener.lastForced);
    EXPECT_EQ(owner.lastCorrectionTime, 1000u);
}

}  // namespace
