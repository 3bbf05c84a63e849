// Ordered delivery under loss, lag and reordering: a thousand messages of
// varying size each way at once must arrive exactly once, in order and
// intact, and the handshake must always complete. In-process, the link is
// a relay between the two controls that loses, delays and reorders
// datagrams by the test's clock; over real UDP the library's own loss and
// lag simulation does it.
#include <gtest/gtest.h>

#include <chrono>
#include <list>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "ControlSupport.h"
#include "vornet/src/vornet_connection.h"

namespace {

using namespace control_test;

constexpr uint32_t kMessages = 1000;

// ---------------------------------------------------------------------------
// Messages: index, length, then bytes that follow from both, so a message
// that arrives in another's place or cut short is seen.

uint8_t patternByte(uint32_t index, uint32_t at)
{
    return static_cast<uint8_t>(index * 31u + at * 7u + 1u);
}

uint16_t messageLength(uint32_t index)
{
    return static_cast<uint16_t>((index * 37u) % 601u);
}

VNet_BitStream* message(uint32_t index)
{
    const uint16_t length = messageLength(index);
    std::vector<char> bytes(length);
    for (uint32_t at = 0; at < length; ++at) bytes[at] = static_cast<char>(patternByte(index, at));
    auto* stream = new VNet_BitStream(static_cast<unsigned short>(length + 16));
    stream->addInt(index, 32);
    stream->addInt(length, 16);
    if (length > 0) stream->addBuffer(bytes.data(), length);
    return stream;
}

// Records the index of every message and whether it arrived whole.
class CheckingControl : public RecordingControl {
public:
    std::vector<uint32_t> indices;
    int damaged = 0;

    void onApplicationData(unsigned int, VNet_BitStream* stream) override
    {
        const uint32_t index = stream->getInt(32);
        const uint16_t length = static_cast<uint16_t>(stream->getInt(16));
        indices.push_back(index);
        std::vector<char> bytes(length);
        if (length > 0 && stream->getBuffer(bytes.data(), length) != length) {
            ++damaged;
            return;
        }
        bool whole = length == messageLength(index) && !stream->endOfStream();
        for (uint32_t at = 0; whole && at < length; ++at) whole = uint8_t(bytes[at]) == patternByte(index, at);
        damaged += whole ? 0 : 1;
    }

    // Whether every message came once, in order and whole.
    ::testing::AssertionResult receivedAll() const
    {
        if (damaged > 0) return ::testing::AssertionFailure() << damaged << " messages damaged";
        if (indices.size() != kMessages) return ::testing::AssertionFailure() << indices.size() << " messages";
        for (uint32_t i = 0; i < kMessages; ++i) {
            if (indices[i] != i) return ::testing::AssertionFailure() << "got " << indices[i] << ", expected " << i;
        }
        return ::testing::AssertionSuccess();
    }
};

// Queues a thousand messages each way on an established connection and
// checks that each arrives once, in order and whole, and that nothing more
// comes in the settling steps after.
template <typename Run>
void exchangeMessages(CheckingControl& client, CheckingControl& server, unsigned id, Run runUntil, int settleSteps)
{
    const unsigned serverSide = server.find("established")->id;
    for (uint32_t i = 0; i < kMessages; ++i) {
        ASSERT_TRUE(client.VNet_sendData(id, message(i), eVNet_ReliableOrdered));
        ASSERT_TRUE(server.VNet_sendData(serverSide, message(i), eVNet_ReliableOrdered));
    }
    const bool arrived = runUntil(
        [&] { return server.indices.size() >= kMessages && client.indices.size() >= kMessages; }, 400000);
    ASSERT_TRUE(arrived) << server.indices.size() << " and " << client.indices.size() << " arrived; "
                         << server.receivedAll().message() << "; " << client.receivedAll().message();
    runUntil([] { return false; }, settleSteps);
    EXPECT_TRUE(server.receivedAll());
    EXPECT_TRUE(client.receivedAll());
    EXPECT_EQ(client.count("closed") + server.count("closed"), 0);
}

// ---------------------------------------------------------------------------
// The in-process link

struct LinkCase {
    const char* name;
    float loss;
    uint32_t lagMs;
    // Each datagram's delay varies up to half the lag, so later ones
    // overtake earlier ones; kept below the lag, as on a real path, where
    // the spread stays under the shortest trip.
    bool jitter;
    // When above 0, every datagram that gets through arrives once more this
    // much later, as a copy the network kept back (the connection request
    // too, after the connection stands); while the copy is on its way the
    // sender's numbers can come round to its number again.
    uint32_t echoMs = 0;
    // The relay's decisions; some runs of the harshest links are repeated
    // with other seeds, among them runs that once lost a message.
    uint32_t seed = 20261210u;
};

// Two raw local sockets between the controls: what the client sends to the
// near one leaves the far one towards the server, and back.
class Relay {
public:
    Relay(unsigned short nearPort, unsigned short farPort, unsigned short clientPort, unsigned short serverPort,
          const LinkCase& link, uint32_t seed)
        : m_link(link), m_random(seed)
    {
        m_near = open(nearPort);
        m_far = open(farPort);
        m_clientPort = clientPort;
        m_serverPort = serverPort;
    }
    ~Relay()
    {
        for (Held& held : m_held) delete held.packet;
        for (VNet_Socket* socket : {m_near, m_far}) {
            socket->detachReceiver(0);
            Vornet::releaseSocket(socket);
        }
    }
    Relay(const Relay&) = delete;
    Relay& operator=(const Relay&) = delete;

    // Takes in what both sides sent and lets out what is due.
    void pump(uint32_t now)
    {
        take(m_near, m_far, m_serverPort, now);
        take(m_far, m_near, m_clientPort, now);
        while (!m_held.empty() && int32_t(now - m_held.front().due) >= 0) {
            Held held = m_held.front();
            m_held.pop_front();
            held.packet->getStream()->resetReadState();
            held.out->sendPacket(held.packet);
        }
    }

private:
    struct Held {
        uint32_t due;
        VNet_Packet* packet;
        VNet_Socket* out;
    };

    static VNet_Socket* open(unsigned short port)
    {
        VNet_Socket* socket = Vornet::requestSocket(eVNet_AddressLocal, port, false);
        socket->setControlIDSize(0);
        socket->attachReceiver(0);
        return socket;
    }

    void take(VNet_Socket* in, VNet_Socket* out, unsigned short target, uint32_t now)
    {
        while (VNet_Packet* packet = in->popPacket(0)) {
            if (std::uniform_real_distribution<float>(0.0f, 1.0f)(m_random) < m_link.loss) {
                delete packet;
                continue;
            }
            uint32_t delay = m_link.lagMs;
            if (m_link.jitter) delay += std::uniform_int_distribution<uint32_t>(0, m_link.lagMs / 2)(m_random);
            packet->setDestination(transport_test::localPort(target));
            if (m_link.echoMs > 0) {
                if (VNet_Packet* copy = packet->duplicate()) hold(now + delay + m_link.echoMs, copy, out);
            }
            hold(now + delay, packet, out);
        }
    }

    void hold(uint32_t due, VNet_Packet* packet, VNet_Socket* out)
    {
        auto at = m_held.end();
        while (at != m_held.begin() && int32_t(std::prev(at)->due - due) > 0) --at;
        m_held.insert(at, Held{due, packet, out});
    }

    LinkCase m_link;
    std::mt19937 m_random;
    VNet_Socket* m_near;
    VNet_Socket* m_far;
    unsigned short m_clientPort;
    unsigned short m_serverPort;
    std::list<Held> m_held;
};

constexpr unsigned short kClientPort = 1;
constexpr unsigned short kServerPort = 2;
constexpr unsigned short kNearPort = 3;
constexpr unsigned short kFarPort = 4;
constexpr uint32_t kStepMs = 2;
constexpr int kStepLimit = 400000;

class Delivery : public LibraryFixture, public ::testing::WithParamInterface<LinkCase> {
protected:
    void SetUp() override
    {
        LibraryFixture::SetUp();
        server = std::make_unique<CheckingControl>();
        client = std::make_unique<CheckingControl>();
        ASSERT_TRUE(server->VNet_initSockets(false, 0, kServerPort, 0));
        ASSERT_TRUE(client->VNet_initSockets(false, 0, kClientPort, 0));
        relay = std::make_unique<Relay>(kNearPort, kFarPort, kClientPort, kServerPort, GetParam(), GetParam().seed);
    }
    void TearDown() override
    {
        relay.reset();
        client.reset();
        server.reset();
        library.Clear();
    }

    template <typename Condition>
    bool runUntil(Condition done, int limit = kStepLimit)
    {
        for (int step = 0; step < limit; ++step) {
            if (done()) return true;
            client->step();
            relay->pump(Vornet::getTime());
            server->step();
            relay->pump(Vornet::getTime());
            clock.advance(kStepMs);
        }
        return done();
    }

    TestClock clock;
    std::unique_ptr<CheckingControl> server;
    std::unique_ptr<CheckingControl> client;
    std::unique_ptr<Relay> relay;
};

TEST_P(Delivery, OrderedMessagesArriveOnceInOrderAndWholeBothWays)
{
    const unsigned id = client->VNet_Connect(transport_test::localPort(kNearPort), nullptr);
    ASSERT_NE(id, 0u);
    ASSERT_TRUE(runUntil([&] { return client->find("result") && server->count("established") == 1; }));
    ASSERT_EQ(client->find("result")->code, unsigned(eVNet_ConnectAccepted));
    exchangeMessages(*client, *server, id, [&](auto done, int limit) { return runUntil(done, limit); }, 1000);
}

INSTANTIATE_TEST_SUITE_P(
    Links, Delivery,
    ::testing::Values(LinkCase{"clean", 0.0f, 0, false}, LinkCase{"lag20", 0.0f, 20, false},
                      LinkCase{"lag20Jitter", 0.0f, 20, true}, LinkCase{"lag100", 0.0f, 100, false},
                      LinkCase{"lag100Jitter", 0.0f, 100, true}, LinkCase{"loss10", 0.1f, 0, false},
                      LinkCase{"loss10Lag20", 0.1f, 20, false}, LinkCase{"loss10Lag20Jitter", 0.1f, 20, true},
                      LinkCase{"loss10Lag100", 0.1f, 100, false}, LinkCase{"loss10Lag100Jitter", 0.1f, 100, true},
                      LinkCase{"loss30", 0.3f, 0, false}, LinkCase{"loss30Lag20", 0.3f, 20, false},
                      LinkCase{"loss30Lag20Jitter", 0.3f, 20, true}, LinkCase{"loss30Lag100", 0.3f, 100, false},
                      LinkCase{"loss30Lag100Jitter", 0.3f, 100, true}, LinkCase{"lag40JitterEcho60", 0.0f, 40, true, 60},
                      LinkCase{"loss30Lag40JitterEcho60", 0.3f, 40, true, 60},
                      LinkCase{"lag100Echo150", 0.0f, 100, false, 150},
                      LinkCase{"loss30Lag100Echo150", 0.3f, 100, false, 150},
                      LinkCase{"loss30Lag100Echo150Seed1", 0.3f, 100, false, 150, 1},
                      LinkCase{"loss30Lag100Echo150Seed2", 0.3f, 100, false, 150, 2},
                      LinkCase{"loss30Lag100Echo150Seed3", 0.3f, 100, false, 150, 3},
                      LinkCase{"loss30Lag100Echo150Seed99", 0.3f, 100, false, 150, 99},
                      LinkCase{"loss30Lag40JitterEcho60Seed417", 0.3f, 40, true, 60, 417},
                      LinkCase{"loss30Lag100JitterEcho100Seed2706", 0.3f, 100, true, 100, 2706},
                      LinkCase{"loss30Lag100JitterEcho100Seed690", 0.3f, 100, true, 100, 690},
                      LinkCase{"loss30Lag100JitterEcho100Seed2667", 0.3f, 100, true, 100, 2667},
                      LinkCase{"loss30Lag100JitterEcho100Seed2669", 0.3f, 100, true, 100, 2669},
                      LinkCase{"loss30Lag100JitterEcho100Seed5162", 0.3f, 100, true, 100, 5162},
                      LinkCase{"loss30Lag100JitterEcho100Seed5407", 0.3f, 100, true, 100, 5407},
                      LinkCase{"loss30Lag100JitterEcho100Seed6334", 0.3f, 100, true, 100, 6334},
                      LinkCase{"loss30Lag100JitterEcho100Seed7700", 0.3f, 100, true, 100, 7700}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Over real UDP on 127.0.0.1, with the library's loss and lag simulation on
// both sides and the clock stepped; the datagrams travel for real.

class UdpDelivery : public LibraryFixture {
protected:
    void SetUp() override
    {
        LibraryFixture::SetUp();
        Vornet_Private::seedLossSimulation(424242u);
        server = std::make_unique<CheckingControl>();
        client = std::make_unique<CheckingControl>();
        serverPort = freePort();
        ASSERT_NE(serverPort, 0);
        ASSERT_TRUE(server->VNet_initSockets(true, serverPort, 0, 0));
        ASSERT_TRUE(client->VNet_initSockets(true, freePort(), 0, 0));
    }
    void TearDown() override
    {
        client.reset();
        server.reset();
        library.Clear();
        Vornet_Private::seedLossSimulation(0);
    }

    // Steps both controls 5 ms of library time apart; a moment of real time
    // lets the datagrams reach the reader, and one that comes late only
    // comes later in library time, as on a slower path.
    template <typename Condition>
    bool runUntil(Condition done, int limit = 200000)
    {
        for (int step = 0; step < limit; ++step) {
            if (done()) return true;
            client->step();
            server->step();
            clock.advance(5);
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
        return done();
    }

    unsigned connect()
    {
        const unsigned id = client->VNet_Connect(transport_test::loopback(serverPort), nullptr);
        if (!runUntil([&] { return client->find("result") && server->count("established") == 1; })) return 0;
        return client->find("result")->code == eVNet_ConnectAccepted ? id : 0;
    }

    TestClock clock;
    std::unique_ptr<CheckingControl> server;
    std::unique_ptr<CheckingControl> client;
    unsigned short serverPort = 0;
};

TEST_F(UdpDelivery, OrderedMessagesSurviveTwentyPercentLossAndTwentyMillisecondsLag)
{
    for (CheckingControl* side : {server.get(), client.get()}) {
        side->VNet_simulateLoss(0, 0.2f);
        side->VNet_simulateLag(0, 20);
    }
    const unsigned id = connect();
    ASSERT_NE(id, 0u);
    exchangeMessages(*client, *server, id, [&](auto done, int limit) { return runUntil(done, limit); }, 400);
}

// The largest message the library takes fills a 1024-byte datagram with its
// framing; one bit more is refused.
#ifdef VORNET_TEST_CHECKING
constexpr unsigned kLargestMessageBits = 7950;
#else
constexpr unsigned kLargestMessageBits = 8127;
#endif

VNet_BitStream* streamOfBits(unsigned bits)
{
    VNet_BitStream filled(2048);
    while (filled.getBitCount() < bits) filled.addInt(0x5A5A5A5Au, 32);
    return filled.getBitStream(bits);
}

TEST_F(UdpDelivery, TheLargestMessageGoesAndOneBitMoreIsRefused)
{
    const unsigned id = connect();
    ASSERT_NE(id, 0u);
    EXPECT_FALSE(client->VNet_sendData(id, streamOfBits(kLargestMessageBits + 1), eVNet_ReliableOrdered));
    EXPECT_TRUE(LogLines::contains("application data too large for one packet"));
    ASSERT_TRUE(client->VNet_sendData(id, streamOfBits(kLargestMessageBits), eVNet_ReliableOrdered));
    EXPECT_TRUE(runUntil([&] { return server->indices.size() == 1; }, 2000));
    EXPECT_FALSE(LogLines::contains("packet greater than 1024b"));
}

// ---------------------------------------------------------------------------
// The loss simulation's runs: the same for the same seed, different from
// process to process otherwise.

// Which of 64 unreliable messages a loss of one half lets through, on a
// fresh pair of controls.
std::vector<uint32_t> survivors(uint32_t seed)
{
    Vornet_Private::seedLossSimulation(seed);
    RecordingControl server;
    RecordingControl client;
    server.VNet_initSockets(false, 0, kServerPort, 0);
    client.VNet_initSockets(false, 0, kClientPort, 0);
    const unsigned id = client.VNet_Connect(transport_test::localPort(kServerPort), nullptr);
    for (int i = 0; i < 20 && !client.find("result"); ++i) {
        client.step();
        server.step();
    }
    client.VNet_simulateLoss(id, 0.5f);
    for (uint32_t i = 0; i < 64; ++i) client.VNet_sendData(id, valueStream(i), eVNet_Unreliable);
    for (int i = 0; i < 5; ++i) {
        client.step();
        server.step();
    }
    return server.data;
}

TEST_F(LibraryFixture, LossSimulationRepeatsForAFixedSeedOnly)
{
    TestClock clock;
    const std::vector<uint32_t> first = survivors(77);
    EXPECT_GT(first.size(), 10u);
    EXPECT_LT(first.size(), 54u);
    EXPECT_EQ(survivors(77), first);
    EXPECT_NE(survivors(78), first);
    // Drawn from the system: two processes would differ like two draws.
    EXPECT_NE(survivors(0), survivors(0));
    Vornet_Private::seedLossSimulation(0);
}

}  // namespace
