// Ordered messages over real UDP on 127.0.0.1 through the impairment relay,
// on paths whose delay varies by more than the delay itself, so that
// datagrams overtake each other by up to a hundred milliseconds: each
// datagram waits 2 +/- 100 ms (cut at no wait), with and without loss and
// duplicates, 150 +/- 100 ms, and a path whose delay steps from 2 ms up to
// 400 +/- 100 ms while the messages flow. Both sides send numbered messages
// with a checksum, at most 40 waiting for the far side at a time; every
// message must arrive once, in order and intact, and neither side may wait
// ten seconds for its next message.
//
// Several runs with different relay seeds go at once, each pair of controls
// with a relay thread of its own. The seeds are printed; to repeat or
// stretch the runs:
//   QUILLOW_RELAY_SEED=<first seed>  QUILLOW_JITTER_RUNS=<runs>
//   QUILLOW_JITTER_MESSAGES=<messages each way>  QUILLOW_JITTER_AT_ONCE=<runs at once>
//   QUILLOW_JITTER_STEP_MS=<when the stepping path steps>
// Each run prints its messages per second each way. The suite runs few and
// short runs, the stepping path stepping early; the longer runs above are
// for a change to the connection's timing.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "ControlSupport.h"
#include "tests/support/ImpairmentRelay.h"

namespace {

using namespace control_test;
using quillow::test::Impairment;
using quillow::test::ImpairmentRelay;

// Messages the application has handed over that the far side has not yet
// received.
constexpr uint32_t kOutstanding = 40;
// The longest a side may wait for its next message.
constexpr uint32_t kLongestPauseMs = 10000;
// After its last message a side listens this much longer, so that a late
// copy delivered twice is caught too.
constexpr uint32_t kQuietTailMs = 1000;
constexpr uint32_t kHandshakeLimitMs = 30000;

unsigned long fromEnvironment(const char* name, unsigned long fallback)
{
    const char* given = std::getenv(name);
    return given ? std::strtoul(given, nullptr, 10) : fallback;
}

// ---------------------------------------------------------------------------
// Messages: index, a length and bytes that follow from the index, and a
// checksum of all of it, so that a message delivered in another's place,
// cut short or altered is seen.

uint16_t messageLength(uint32_t index)
{
    return static_cast<uint16_t>((index * 53u) % 180u);
}

uint8_t messageByte(uint32_t index, uint32_t at)
{
    return static_cast<uint8_t>(index * 29u + at * 11u + 3u);
}

uint32_t checksum(uint32_t index, const std::vector<uint8_t>& bytes)
{
    uint32_t sum = 2166136261u ^ index;
    for (uint8_t byte : bytes) sum = (sum ^ byte) * 16777619u;
    return sum;
}

VNet_BitStream* message(uint32_t index)
{
    const uint16_t length = messageLength(index);
    std::vector<uint8_t> bytes(length);
    for (uint32_t at = 0; at < length; ++at) bytes[at] = messageByte(index, at);
    auto* stream = new VNet_BitStream(static_cast<unsigned short>(length + 16));
    stream->addInt(index, 32);
    stream->addInt(length, 16);
    if (length > 0) stream->addBuffer(reinterpret_cast<char*>(bytes.data()), length);
    stream->addInt(checksum(index, bytes), 32);
    return stream;
}

// One end of a run: sends its messages as the far side takes them and
// checks what it receives.
class Side : public RecordingControl {
public:
    Side(const char* name, uint32_t messages) : m_name(name), m_messages(messages) {}

    void onApplicationData(unsigned int, VNet_BitStream* stream) override
    {
        const uint32_t index = stream->getInt(32);
        const uint16_t length = static_cast<uint16_t>(stream->getInt(16));
        std::vector<uint8_t> bytes(length);
        const bool read = length == 0 || stream->getBuffer(reinterpret_cast<char*>(bytes.data()), length) == length;
        const uint32_t sum = stream->getInt(32);
        if (!read || length != messageLength(index) || sum != checksum(index, bytes)) {
            fail("message " + std::to_string(index) + " damaged when " + std::to_string(m_received) + " was due");
        } else if (index < m_received) {
            fail(std::to_string(index) + " again when " + std::to_string(m_received) + " was due");
        } else if (index != m_received) {
            fail(std::to_string(index) + " delivered when " + std::to_string(m_received) + " was due");
        }
        if (!m_failure.empty()) return;
        ++m_received;
        noteDelivery(Vornet::getTime());
    }

    // Hands over as many messages as the far side leaves room for.
    void send(unsigned id, uint32_t farReceived)
    {
        if (m_firstSend == 0) m_firstSend = m_lastDelivery = Vornet::getTime();
        while (m_sent < m_messages && m_sent - farReceived < kOutstanding) {
            if (!VNet_sendData(id, message(m_sent), eVNet_ReliableOrdered)) {
                fail("message " + std::to_string(m_sent) + " refused");
                return;
            }
            ++m_sent;
        }
    }

    // Notes a pause while messages are due.
    void watch(uint32_t now)
    {
        // The first message may have been handed over after the step began.
        const auto pause = static_cast<int32_t>(now - m_lastDelivery);
        if (m_firstSend != 0 && !complete() && pause > 0) m_longestPause = std::max(m_longestPause, uint32_t(pause));
    }

    void fail(const std::string& what)
    {
        if (m_failure.empty()) m_failure = std::string(m_name) + ": " + what;
    }

    bool complete() const { return m_received == m_messages; }
    uint32_t received() const { return m_received; }
    const std::string& failure() const { return m_failure; }
    uint32_t longestPause() const { return m_longestPause; }
    // Messages per second from the first handed over to the last received.
    double rate() const
    {
        const uint32_t span = m_lastDelivery - m_firstSend;
        return span == 0 ? 0.0 : 1000.0 * m_received / span;
    }

private:
    void noteDelivery(uint32_t now)
    {
        m_longestPause = std::max(m_longestPause, now - m_lastDelivery);
        m_lastDelivery = now;
    }

    const char* m_name;
    uint32_t m_messages;
    uint32_t m_sent = 0;
    uint32_t m_received = 0;
    uint32_t m_firstSend = 0;
    uint32_t m_lastDelivery = 0;
    uint32_t m_longestPause = 0;
    std::string m_failure;
};

// Two controls on their own UDP ports and the relay between them, which
// runs in a thread of its own until the run ends.
class PairRun {
public:
    PairRun(const Impairment& impairment, uint64_t seed, uint32_t messages)
        : m_seed(seed), m_client("client", messages), m_server("server", messages)
    {
        const unsigned short clientPort = freePort();
        const unsigned short serverPort = freePort();
        m_relay = std::make_unique<ImpairmentRelay>(clientPort, serverPort, impairment, seed);
        if (!m_relay->open(0) || !m_client.VNet_initSockets(true, clientPort, 0, 0) ||
            !m_server.VNet_initSockets(true, serverPort, 0, 0)) {
            m_client.fail("cannot open the UDP ports");
            return;
        }
        m_relayThread = std::thread([this] {
            while (!m_stop) m_relay->runFor(20);
        });
        m_clientId = m_client.VNet_Connect(transport_test::loopback(m_relay->port()), nullptr);
        m_started = Vornet::getTime();
    }
    ~PairRun()
    {
        m_stop = true;
        if (m_relayThread.joinable()) m_relayThread.join();
        m_client.Shutdown();
        m_server.Shutdown();
    }
    PairRun(const PairRun&) = delete;
    PairRun& operator=(const PairRun&) = delete;

    // One step of both controls; false once the run has ended.
    bool step(uint32_t limitMs)
    {
        if (ended()) return false;
        m_client.step();
        m_server.step();
        const uint32_t now = Vornet::getTime();
        if (m_serverId == 0) return awaitHandshake(now);
        m_client.send(m_clientId, m_server.received());
        m_server.send(m_serverId, m_client.received());
        m_client.watch(now);
        m_server.watch(now);
        for (Side* side : {&m_client, &m_server}) {
            if (side->count("closed") > 0) side->fail("connection closed, reason " + std::to_string(side->find("closed")->code));
        }
        if (m_client.complete() && m_server.complete() && m_doneAt == 0) m_doneAt = now;
        if (now - m_started > limitMs) m_client.fail("run not done in time");
        return !ended();
    }

    bool ended() const
    {
        return !failure().empty() || (m_doneAt != 0 && Vornet::getTime() - m_doneAt >= kQuietTailMs);
    }

    std::string failure() const { return m_client.failure().empty() ? m_server.failure() : m_client.failure(); }

    std::string summary() const
    {
        char line[256];
        std::snprintf(line, sizeof line,
                      "seed %llu: %u and %u messages, %.1f and %.1f msg/s, longest pause %u ms and %u ms",
                      static_cast<unsigned long long>(m_seed), m_server.received(), m_client.received(),
                      m_server.rate(), m_client.rate(), m_server.longestPause(), m_client.longestPause());
        return line;
    }

    uint32_t longestPause() const { return std::max(m_client.longestPause(), m_server.longestPause()); }
    double slowerRate() const { return std::min(m_client.rate(), m_server.rate()); }

private:
    bool awaitHandshake(uint32_t now)
    {
        if (const Event* result = m_client.find("result")) {
            if (result->code != eVNet_ConnectAccepted) m_client.fail("connection refused");
        }
        if (const Event* established = m_server.find("established")) m_serverId = established->id;
        if (now - m_started > kHandshakeLimitMs) m_client.fail("no handshake");
        return !ended();
    }

    uint64_t m_seed;
    Side m_client;
    Side m_server;
    std::unique_ptr<ImpairmentRelay> m_relay;
    std::thread m_relayThread;
    std::atomic<bool> m_stop{false};
    unsigned m_clientId = 0;
    unsigned m_serverId = 0;
    uint32_t m_started = 0;
    uint32_t m_doneAt = 0;
};

// ---------------------------------------------------------------------------
// The paths

struct PathCase {
    const char* name;
    Impairment impairment;
    // Messages each way of a run in the suite.
    uint32_t messages;
    // Runs of the suite, all at once.
    uint32_t runs;
};

Impairment path(uint32_t delayMs, uint32_t jitterMs, double loss, double duplicates)
{
    Impairment impairment;
    impairment.dropProbability = loss;
    impairment.delayMs = delayMs;
    impairment.jitterMs = jitterMs;
    impairment.duplicateProbability = duplicates;
    return impairment;
}

// 2 ms, then 400 +/- 100 from the given moment.
Impairment steppingPath(uint32_t stepAfterMs)
{
    Impairment impairment = path(2, 0, 0.2, 0.05);
    impairment.stepAfterMs = stepAfterMs;
    impairment.steppedDelayMs = 400;
    impairment.steppedJitterMs = 100;
    return impairment;
}

class JitterDelivery : public LibraryFixture, public ::testing::WithParamInterface<PathCase> {
protected:
    void TearDown() override { library.Clear(); }
};

TEST_P(JitterDelivery, OrderedMessagesArriveOnceInOrderAndIntactBothWays)
{
    PathCase path = GetParam();
    if (path.impairment.stepAfterMs > 0) {
        const uint32_t stepAfterMs = path.impairment.stepAfterMs;
        path.impairment.stepAfterMs = static_cast<uint32_t>(fromEnvironment("QUILLOW_JITTER_STEP_MS", stepAfterMs));
    }
    const auto runs = static_cast<uint32_t>(fromEnvironment("QUILLOW_JITTER_RUNS", path.runs));
    const auto messages = static_cast<uint32_t>(fromEnvironment("QUILLOW_JITTER_MESSAGES", path.messages));
    const auto atOnce = static_cast<uint32_t>(fromEnvironment("QUILLOW_JITTER_AT_ONCE", runs));
    const uint64_t firstSeed = fromEnvironment("QUILLOW_RELAY_SEED", std::random_device{}());
    std::printf("%s: seeds %llu to %llu (QUILLOW_RELAY_SEED=%llu repeats them)\n", path.name,
                static_cast<unsigned long long>(firstSeed), static_cast<unsigned long long>(firstSeed + runs - 1),
                static_cast<unsigned long long>(firstSeed));
    // Bounds that only a stalled run reaches: a run ends as soon as it is done.
    const uint32_t limitMs = 60000 + messages * 1000;
    double slowest = 0.0;
    double total = 0.0;
    for (uint32_t first = 0; first < runs; first += atOnce) {
        std::vector<std::unique_ptr<PairRun>> batch;
        for (uint32_t i = first; i < std::min(runs, first + atOnce); ++i) {
            batch.push_back(std::make_unique<PairRun>(path.impairment, firstSeed + i, messages));
        }
        for (bool going = true; going;) {
            going = false;
            for (auto& run : batch) going = run->step(limitMs) || going;
            Vornet::Sleep(1);
        }
        for (auto& run : batch) {
            std::printf("  %s\n", run->summary().c_str());
            EXPECT_EQ(run->failure(), "") << run->summary();
            EXPECT_LE(run->longestPause(), kLongestPauseMs) << run->summary();
            total += run->slowerRate();
            slowest = slowest == 0.0 ? run->slowerRate() : std::min(slowest, run->slowerRate());
        }
    }
    std::printf("%s: %u runs, %u messages each way, slower direction %.1f msg/s on average, %.1f at worst\n",
                path.name, runs, messages, total / runs, slowest);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, JitterDelivery,
    ::testing::Values(PathCase{"spread100", path(2, 100, 0.0, 0.0), 48, 8},
                      PathCase{"spread100Loss20Duplicates5", path(2, 100, 0.2, 0.05), 32, 8},
                      PathCase{"delay150Spread100Loss20Duplicates5", path(150, 100, 0.2, 0.05), 16, 8},
                      PathCase{"stepTo400Spread100Loss20Duplicates5", steppingPath(1000), 24, 8}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
