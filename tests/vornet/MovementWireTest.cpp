// Movement replicators between two controls: an object moving under the
// server's authority and its proxy or owner on the client. Over UDP the
// proxy comes to rest where the authority stopped; in process, with the
// library clock stepped by the test, the updates are counted and the
// proxy's error, the owner's input and the corrections are checked under
// loss and lag.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "WireSupport.h"
#include "vornet/vornet_replicator_movement.h"

namespace {

using namespace wire_test;

constexpr unsigned char kFlags = 0x01;
constexpr unsigned char kMoveRules = VNET_RULE_AUTHORITY_TO_PROXY | VNET_RULE_OWNER_TO_AUTHORITY;
constexpr unsigned char kBits = 16;

template <typename T>
struct Listener : VNet_MoveUpdateListener<T> {
    void onInputReceived(VNet_BitStream* stream, bool hasInput, unsigned int time, unsigned int) override
    {
        for (int word = 0; hasInput && word < inputWords; ++word) stream->getInt(32);
        inputTimes.insert(time);
    }
    void onLocalInput(VNet_BitStream*) override {}
    void onCorrection(T* position, float* velocity, float*, bool, unsigned int) override
    {
        ++corrections;
        correctedPosition = position[0];
        correctedVelocity = velocity[0];
        if (!std::isfinite(float(position[0])) || !std::isfinite(velocity[0])) ++insaneCorrections;
    }
    void onUpdateReceived(VNet_BitStream*, T*, float*, float*, unsigned int) override { ++updates; }

    // Every input of a test is this many 32-bit words.
    int inputWords = 1;
    std::set<unsigned> inputTimes;
    int corrections = 0;
    int updates = 0;
    // The first element of the last correction, and corrections whose
    // numbers are not numbers.
    T correctedPosition{};
    float correctedVelocity = 0;
    int insaneCorrections = 0;
};

template <typename T, unsigned int N, unsigned char Rules = kMoveRules>
struct Mover {
    Mover()
    {
        movement = new VNet_Replicate_Movement<T, N>(kBits, kFlags, Rules, 0, -1, -1);
        movement->setUpdateListener(&listener);
        node.beginReplicationSetup(1);
        node.addReplicator(movement, true);
        node.endReplicationSetup();
    }
    VNet_RSetupMovement<T>& setup() { return *static_cast<VNet_RSetupMovement<T>*>(movement->getSetup()); }

    // The input times still held for replay; an entry goes with each input
    // packet, so one time may stand for several entries.
    std::set<unsigned> historyTimes()
    {
        void* iterator = nullptr;
        unsigned time = 0;
        std::set<unsigned> times;
        while (movement->getNextInputHistoryEntry(&time, &iterator)) times.insert(time);
        return times;
    }

    VNet_Node node;
    Listener<T> listener;
    VNet_Replicate_Movement<T, N>* movement;
};

template <typename T, unsigned int N, unsigned char Rules = kMoveRules>
class MovementFixture : public WireFixture<Mover<T, N, Rules>> {
protected:
    using Base = WireFixture<Mover<T, N, Rules>>;
    using Object = Mover<T, N, Rules>;

    // An authority object, its proxy announced on the client; prepare sets
    // the object up before the connection.
    template <typename Prepare>
    Object& connectWithMover(Prepare prepare)
    {
        Object& authority = this->addObject();
        prepare(authority);
        this->connect();
        EXPECT_TRUE(this->runUntil([&] { return this->proxyOf(authority) != nullptr; })) << LogLines::all();
        return authority;
    }
    Object& connectWithMover()
    {
        return connectWithMover([](Object&) {});
    }

    // Makes the client the owner of the object; its proxy there.
    Object& handOver(Object& authority)
    {
        authority.node.setOwner(this->server->find("established")->id, true);
        Object& owner = *this->proxyOf(authority);
        EXPECT_TRUE(this->runUntil([&] { return owner.node.getRole() == eVNet_RoleOwner; }));
        return owner;
    }

    float proxyError(Object& authority, const T* truth)
    {
        T shown[N];
        this->proxyOf(authority)->movement->getExtrapolatedPosition(0, shown);
        float sum = 0;
        for (unsigned int i = 0; i < N; ++i) sum += std::pow(float(shown[i]) - float(truth[i]), 2.0f);
        return std::sqrt(sum);
    }

    // The client's incoming packets per second, from which the proxy's
    // clock hold follows.
    float packetInterval()
    {
        const unsigned packets =
            this->client->VNet_getConnectionStats(this->client->find("result")->id).packetsReceivedLastSecond;
        EXPECT_GT(packets, 0u);
        return packets ? 1000.0f / float(packets) : 1000.0f;
    }
};

using PlaneMovement = MovementFixture<float, 2>;
INSTANTIATE_TEST_SUITE_P(Links, PlaneMovement, testing::Values(Link::InProcess, Link::Udp), linkName);

TEST_P(PlaneMovement, ProxyComesToRestWhereTheAuthorityStopped)
{
    Mover<float, 2>& authority = connectWithMover();
    float velocity[2] = {0.02f, -0.01f};
    float position[2] = {100, 50};
    const uint32_t start = elapsed;
    while (elapsed - start < 1000) {
        for (int i = 0; i < 2; ++i) position[i] = (i ? 50.0f : 100.0f) + velocity[i] * float(elapsed - start);
        authority.movement->updateState(position, velocity, nullptr, false);
        step();
    }
    float still[2] = {0, 0};
    authority.movement->updateState(position, still, nullptr, false);
    ASSERT_TRUE(runUntil([&] { return proxyError(authority, position) < 0.01f; })) << proxyError(authority, position);
    // The start, the stop, and at most a few for the drift of a clock
    // that runs on real time.
    EXPECT_GE(proxyOf(authority)->listener.updates, 2);
    EXPECT_LE(proxyOf(authority)->listener.updates, 6);
}

// The owner's inputs reach the authority, in their order; the authority,
// whose object stays where the owner reports it, corrects nothing.
TEST_P(PlaneMovement, OwnerInputReachesTheAuthority)
{
    Mover<float, 2>& authority = connectWithMover();
    Mover<float, 2>& owner = handOver(authority);
    ASSERT_EQ(owner.node.getRole(), eVNet_RoleOwner);
    float position[2] = {0, 0};
    // Every input time the owner's history ever held.
    std::set<unsigned> given;
    for (uint32_t i = 1; i <= 10; ++i) {
        // Inputs given at one time of the owner's clock share that time;
        // the clock also stands still for a while after an update.
        for (int k = 0; k < 40; ++k) step();
        owner.movement->updateInput(position, valueStream(i));
        const size_t before = given.size();
        ASSERT_TRUE(runUntil([&] {
            const std::set<unsigned> held = owner.historyTimes();
            given.insert(held.begin(), held.end());
            return given.size() > before;
        }));
    }
    ASSERT_TRUE(runUntil([&] { return authority.listener.inputTimes.count(*given.rbegin()) > 0; }));
    for (unsigned time : given) EXPECT_EQ(authority.listener.inputTimes.count(time), 1u) << time;
    EXPECT_EQ(owner.listener.corrections, 0);
}

// In process, the library clock stepped by the test: the simulated lag and
// loss stand for a slow link, and no time passes while the machine is busy.
using PlaneMovementStepped = MovementFixture<float, 2>;
INSTANTIATE_TEST_SUITE_P(Stepped, PlaneMovementStepped, testing::Values(Link::InProcess), linkName);

// A velocity the wire rounds: the authority reckons with what the proxy
// received, so it sees no drift and sends once.
TEST_P(PlaneMovementStepped, ConstantVelocitySendsOneUpdate)
{
    float velocity[2] = {0.0123457f, -0.0098765f};
    float position[2] = {100, 50};
    Mover<float, 2>& authority =
        connectWithMover([&](Mover<float, 2>& m) { m.movement->updateState(position, velocity, nullptr, false); });
    for (int i = 0; i < 4000; ++i) {
        const float t = float(elapsed);
        position[0] = 100 + velocity[0] * t;
        position[1] = 50 + velocity[1] * t;
        authority.movement->updateState(position, velocity, nullptr, false);
        step();
    }
    EXPECT_EQ(proxyOf(authority)->listener.updates, 1);
    EXPECT_LE(proxyError(authority, position), authority.setup().getConstantErrorThreshold());
}

TEST_P(PlaneMovementStepped, EachDirectionChangeSendsAboutOneMore)
{
    Mover<float, 2>& authority = connectWithMover();
    float position[2] = {0, 0};
    float velocity[2] = {0.1f, 0};
    int changes = 0;
    for (int i = 1; i <= 3000; ++i) {
        if (i % 200 == 0) {
            const float x = velocity[0];
            velocity[0] = -velocity[1];
            velocity[1] = x;
            ++changes;
        }
        for (int k = 0; k < 2; ++k) position[k] += velocity[k] * float(kStep);
        authority.movement->updateState(position, velocity, nullptr, false);
        step();
    }
    const int updates = proxyOf(authority)->listener.updates;
    EXPECT_GE(updates, 1 + changes);
    EXPECT_LE(updates, 1 + 2 * changes);
}

// Two objects on the same path, one with a coarse and one with a fine
// error threshold.
TEST_P(PlaneMovementStepped, ProxyErrorStaysBoundedUnderLossAndLag)
{
    constexpr uint32_t lag = 50;
    constexpr float speed = 0.05f;
    constexpr int turnEvery = 300;
    Mover<float, 2>& coarse = connectWithMover();
    Mover<float, 2>& fine = addObject();
    coarse.setup().setConstantErrorThreshold(25.0f);
    fine.setup().setConstantErrorThreshold(5.0f);
    ASSERT_TRUE(runUntil([&] { return proxyOf(fine) != nullptr; }));
    server->VNet_simulateLoss(0, 0.1f);
    client->VNet_simulateLoss(0, 0.1f);
    server->VNet_simulateLag(0, lag);
    client->VNet_simulateLag(0, lag);
    // Per object: the step of the last turn, and the step at which the
    // proxy received an update sent after it (0 while none has come).
    struct Turn {
        Mover<float, 2>* mover;
        int updatesBefore = 0;
        int arrival = 0;
    };
    Turn turns[2] = {{&coarse}, {&fine}};
    int turnStep = 0;
    const float interpolation = float(coarse.setup().getInterpolationTime());
    float position[2] = {0, 0};
    float velocity[2] = {speed, 0};
    int turnsMade = 0;
    for (int i = 1; i <= 4000; ++i) {
        if (i % turnEvery == 0) {
            const float x = velocity[0];
            velocity[0] = -velocity[1];
            velocity[1] = x;
            turnStep = i;
            ++turnsMade;
            for (Turn& turn : turns) turn = Turn{turn.mover, proxyOf(*turn.mover)->listener.updates, 0};
        }
        for (int k = 0; k < 2; ++k) position[k] += velocity[k] * float(kStep);
        coarse.movement->updateState(position, velocity, nullptr, false);
        fine.movement->updateState(position, velocity, nullptr, false);
        step();
        if (i <= turnEvery) continue;
        // The proxy shows the object as it was a lag, a clock hold and one
        // send interval ago. After a turn it goes on in the old direction
        // until the update arrives (a lost one is sent again once the loss
        // is known), then smooths toward the new path.
        const float interval = packetInterval();
        const float steady = speed * (lag + interval + 25 + interval);
        for (Turn& turn : turns) {
            Mover<float, 2>& mover = *turn.mover;
            if (!turn.arrival && proxyOf(mover)->listener.updates > turn.updatesBefore) turn.arrival = i;
            const float waited = float(((turn.arrival ? turn.arrival : i) - turnStep) * int(kStep));
            const bool settled = turn.arrival && float((i - turn.arrival) * int(kStep)) > interpolation + steady / speed;
            const float turning = settled ? 0.0f : std::sqrt(2.0f) * speed * (waited + interpolation);
            const float bound = mover.setup().getConstantErrorThreshold() + steady + turning;
            ASSERT_LE(proxyError(mover, position), bound) << "step " << i << ", turn at " << turnStep;
        }
    }
    for (Turn& turn : turns) EXPECT_GE(proxyOf(*turn.mover)->listener.updates, 1 + turnsMade);
}

TEST_P(PlaneMovementStepped, OwnerInputReachesTheAuthorityAtEveryInputTimeUnderLoss)
{
    Mover<float, 2>& authority = connectWithMover();
    Mover<float, 2>& owner = handOver(authority);
    ASSERT_EQ(owner.node.getRole(), eVNet_RoleOwner);
    server->VNet_simulateLoss(0, 0.3f);
    client->VNet_simulateLoss(0, 0.3f);
    std::set<unsigned> given;
    float position[2] = {0, 0};
    for (int i = 1; i <= 2000; ++i) {
        if (i % 20 == 0) {
            position[0] += 1;
            owner.movement->updateInput(position, valueStream(uint32_t(i)));
            void* iterator = nullptr;
            unsigned time = 0;
            while (owner.movement->getNextInputHistoryEntry(&time, &iterator)) given.insert(time);
        }
        step();
    }
    unsigned missing = 0;
    for (unsigned time : given) missing += authority.listener.inputTimes.count(time) == 0;
    // Only the inputs of the last moments may still be on their way.
    EXPECT_LE(missing, 3u);
    EXPECT_GT(given.size(), 50u);
    // On a clean link the acknowledgements trim the history to the newest
    // input.
    server->VNet_simulateLoss(0, 0.0f);
    client->VNet_simulateLoss(0, 0.0f);
    for (int i = 0; i < 100; ++i) step();
    EXPECT_EQ(owner.historyTimes().size(), 1u);
}

// The owner moves away from where the authority holds the object: the
// authority corrects it, but not again within twice its ping.
TEST_P(PlaneMovementStepped, AuthorityCorrectsAnOwnerThatDrifts)
{
    constexpr uint32_t lag = 50;
    Mover<float, 2>& authority = connectWithMover();
    Mover<float, 2>& owner = handOver(authority);
    ASSERT_EQ(owner.node.getRole(), eVNet_RoleOwner);
    float held[2] = {0, 0};
    authority.movement->updateState(held, nullptr, nullptr, false);
    server->VNet_simulateLag(0, lag);
    client->VNet_simulateLag(0, lag);
    const unsigned serverSide = server->find("established")->id;
    // The smoothed ping settles first.
    for (int i = 0; i < 600; ++i) step();
    unsigned ping = server->VNet_getConnectionStats(serverSide).averagePing;
    ASSERT_GT(ping, lag);
    float position[2] = {0, 0};
    const uint32_t start = elapsed;
    for (int i = 1; i <= 1000; ++i) {
        if (i % 10 == 0) {
            position[0] += 5;
            owner.movement->updateInput(position, valueStream(uint32_t(i)));
        }
        step();
        ping = std::min(ping, unsigned(server->VNet_getConnectionStats(serverSide).averagePing));
    }
    const int corrections = owner.listener.corrections;
    EXPECT_GT(corrections, 2);
    EXPECT_LE(corrections, int((elapsed - start) / (2 * ping)) + 1);
}

// The history written into one input packet is capped: while the owner's
// inputs wait for their acknowledgement, more of them are held than one
// packet carries; its input packets still go out, and every input reaches
// the authority.
TEST_P(PlaneMovementStepped, LongHistoryStillFitsThePacket)
{
    Mover<float, 2>& authority = connectWithMover();
    authority.listener.inputWords = 30;
    Mover<float, 2>& owner = handOver(authority);
    ASSERT_EQ(owner.node.getRole(), eVNet_RoleOwner);
    // The acknowledgements come late.
    server->VNet_simulateLag(0, 300);
    float position[2] = {0, 0};
    std::set<unsigned> given;
    size_t longest = 0;
    for (int i = 1; i <= 400; ++i) {
        // 120 bytes of input a step: nine of them make more than a packet.
        auto* input = new VNet_BitStream(120);
        for (int word = 0; word < 30; ++word) input->addInt(uint32_t(i * 30 + word), 32);
        owner.movement->updateInput(position, input);
        step();
        const std::set<unsigned> held = owner.historyTimes();
        given.insert(held.begin(), held.end());
        longest = std::max(longest, held.size());
    }
    EXPECT_GT(longest, 9u);
    for (int i = 0; i < 200; ++i) step();
    unsigned missing = 0;
    for (unsigned time : given) missing += authority.listener.inputTimes.count(time) == 0;
    EXPECT_EQ(missing, 0u);
    EXPECT_FALSE(LogLines::contains("cannot fit one packet")) << LogLines::all();
}

// An owner that sends its input (rules with owner-to-authority) hears from
// the authority through corrections only: it would read a state update as a
// correction, for the two carry no tag. Six objects, so that a message read
// wrongly runs into the data after it.
template <unsigned char Rules>
class InputOwners : public MovementFixture<float, 2, Rules> {
protected:
    void ownersHearSaneCorrectionsOnly()
    {
        using Object = Mover<float, 2, Rules>;
        this->connectWithMover();
        for (int i = 1; i < 6; ++i) this->addObject();
        ASSERT_TRUE(this->runUntil([&] {
            for (const auto& object : this->objects)
                if (!this->proxyOf(*object)) return false;
            return true;
        }));
        std::vector<Object*> owners;
        for (const auto& object : this->objects) owners.push_back(&this->handOver(*object));
        // The authority holds each object still, at a place of its own; its
        // forced state goes to the owner with the next input.
        float velocity[2] = {0.25f, -0.125f};
        for (size_t i = 0; i < this->objects.size(); ++i) {
            float held[2] = {10.0f * float(i) + 0.5f, -20.0f};
            this->objects[i]->movement->updateState(held, velocity, nullptr, true);
        }
        // The owners report places far from it, so the authority corrects
        // them as often as it may.
        float far[2] = {5000.0f, 5000.0f};
        for (int step = 1; step <= 400; ++step) {
            if (step % 10 == 0)
                for (Object* owner : owners) owner->movement->updateInput(far, valueStream(uint32_t(step)));
            this->step();
        }
        for (size_t i = 0; i < owners.size(); ++i) {
            const Listener<float>& heard = owners[i]->listener;
            EXPECT_GE(heard.corrections, 1) << "owner " << i;
            EXPECT_EQ(heard.insaneCorrections, 0) << "owner " << i;
            EXPECT_EQ(heard.correctedPosition, 10.0f * float(i) + 0.5f) << "owner " << i;
            EXPECT_EQ(heard.correctedVelocity, 0.25f) << "owner " << i;
        }
        EXPECT_FALSE(LogLines::contains("asynchronous read")) << LogLines::all();
    }
};

using InputOwnersWithUpdates = InputOwners<0x07>;
INSTANTIATE_TEST_SUITE_P(Stepped, InputOwnersWithUpdates, testing::Values(Link::InProcess), linkName);
TEST_P(InputOwnersWithUpdates, HearSaneCorrectionsOnly)
{
    ownersHearSaneCorrectionsOnly();
}

using InputOwnersWithoutProxies = InputOwners<0x06>;
INSTANTIATE_TEST_SUITE_P(Stepped, InputOwnersWithoutProxies, testing::Values(Link::InProcess), linkName);
TEST_P(InputOwnersWithoutProxies, HearSaneCorrectionsOnly)
{
    ownersHearSaneCorrectionsOnly();
}

using LineMovementStepped = MovementFixture<int, 1>;
INSTANTIATE_TEST_SUITE_P(Stepped, LineMovementStepped, testing::Values(Link::InProcess), linkName);

TEST_P(LineMovementStepped, ConstantAccelerationSendsOneUpdate)
{
    float velocity = 0.01f, acceleration = 0.00002f;
    int position = 0;
    Mover<int, 1>& authority = connectWithMover(
        [&](Mover<int, 1>& m) { m.movement->updateState(&position, &velocity, &acceleration, false); });
    for (int i = 0; i < 1500; ++i) {
        step();
        // The true position each step; velocity and acceleration as given
        // at the start.
        const float t = float(elapsed);
        position = int(std::lround(velocity * t + acceleration * t * t / 2));
        authority.movement->updateState(&position, nullptr, nullptr, false);
    }
    EXPECT_EQ(proxyOf(authority)->listener.updates, 1);
}

// An integer position cannot move by a velocity that is not a number: the
// proxy refuses such an update and keeps the motion it had.
TEST_P(LineMovementStepped, ProxyRefusesNonFiniteMotion)
{
    int position = 100;
    float velocity = 0.01f;
    Mover<int, 1>& authority =
        connectWithMover([&](Mover<int, 1>& m) { m.movement->updateState(&position, &velocity, nullptr, false); });
    Mover<int, 1>& proxy = *proxyOf(authority);
    ASSERT_TRUE(runUntil([&] { return proxy.listener.updates >= 1; }));
    const int before = proxy.listener.updates;
    velocity = std::nanf("");
    authority.movement->updateState(&position, &velocity, nullptr, false);
    for (int i = 0; i < 100; ++i) step();
    EXPECT_EQ(proxy.listener.updates, before);
    float received = 0;
    proxy.movement->getLastReceivedVelocity(&received);
    EXPECT_NEAR(received, 0.01f, 1e-6f);
    velocity = 0.02f;
    authority.movement->updateState(&position, &velocity, nullptr, false);
    ASSERT_TRUE(runUntil([&] { return proxy.listener.updates > before; }));
    proxy.movement->getLastReceivedVelocity(&received);
    EXPECT_NEAR(received, 0.02f, 1e-6f);
}

}  // namespace
