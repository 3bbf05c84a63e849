// A control against a peer written by hand: sequence numbers inside and
// outside the window, acknowledgement bits for gaps, ordered data out of
// order, duplicated and wrapping, acknowledgement-only packets that match
// nothing, and hostile datagrams.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <iterator>
#include <memory>
#include <random>
#include <set>

#include "ControlSupport.h"

namespace {

using namespace control_test;

constexpr unsigned short kServerPort = 2;
constexpr unsigned short kPeerPort = 9;
constexpr int kAppData = 10;
constexpr int kNodeData = 1;
constexpr int kAccept = 8;
constexpr int kRequest = 2;

class Protocol : public LibraryFixture {
protected:
    void SetUp() override
    {
        LibraryFixture::SetUp();
        server = std::make_unique<RecordingControl>();
        ASSERT_TRUE(server->VNet_initSockets(false, 0, kServerPort, 0));
        peer = std::make_unique<ScriptedPeer>(kPeerPort, kServerPort);
    }
    void TearDown() override
    {
        peer.reset();
        server.reset();
        library.Clear();
    }

    // The peer's acknowledgement of everything the server sent so far.
    Wire acking(int kind, int seq) const
    {
        Wire wire;
        wire.kind = kind;
        wire.seq = seq;
        wire.ackFirst = (serverLast - 7) & 15;
        wire.ackBits = 0xFF;
        return wire;
    }

    // Reads what the server sent and notes its newest sequence number.
    std::vector<Wire> collect()
    {
        std::vector<Wire> seen = peer->drain();
        for (const Wire& wire : seen) {
            if (wire.sequenced) serverLast = wire.seq;
        }
        return seen;
    }

    // Request (sequence 0), the server's Accept, and a node-data packet
    // (sequence 1) acknowledging it: the server is then connected.
    void establish()
    {
        peer->send(Wire{true, kRequest, 0, 8, 0xFF, 0, false, [](VNet_BitStream& s) { requestBody(s); }}, 8);
        server->step();
        const std::vector<Wire> seen = collect();
        ASSERT_FALSE(seen.empty());
        ASSERT_EQ(seen.front().kind, kAccept);
        // The accept's trip, the first the server measures.
        clock.advance(5);
        peer->send(nodeData(1));
        server->step();
        ASSERT_EQ(server->count("established"), 1);
        collect();
    }

    // The server's next numbered packet, with its section ending at the
    // peer's number last, reports the numbers in mask received.
    void expectReportedReceived(int last, uint8_t mask, const char* what)
    {
        server->VNet_sendData(server->find("established")->id, valueStream(1), eVNet_ReliableOrdered);
        server->step();
        bool reported = false;
        for (const Wire& wire : collect()) {
            if (!wire.sequenced || wire.ackFirst != ((last - 7) & 15)) continue;
            reported = true;
            EXPECT_EQ(wire.ackBits & mask, mask) << what;
        }
        EXPECT_TRUE(reported) << what;
    }

    Wire nodeData(int seq) const
    {
        Wire wire = acking(kNodeData, seq);
        wire.body = [](VNet_BitStream& s) {
            s.addInt(0, 4);
            s.addBool(false);
            s.addBool(false);
        };
        return wire;
    }

    Wire appData(int seq, int order, uint32_t value) const
    {
        Wire wire = acking(kAppData, seq);
        wire.body = [order, value](VNet_BitStream& s) {
            s.addInt(static_cast<uint32_t>(order), 4);
            s.addInt(value, 32);
        };
        return wire;
    }

    TestClock clock;
    std::unique_ptr<RecordingControl> server;
    std::unique_ptr<ScriptedPeer> peer;
    int serverLast = -1;
};

// ---------------------------------------------------------------------------
// Sequence window: after sequence number 1, which numbers are taken

struct WindowCase {
    int seq;
    bool taken;
};

class SequenceWindow : public Protocol, public ::testing::WithParamInterface<WindowCase> {};

TEST_P(SequenceWindow, TakesOnlyNewNumbersUpToEightAhead)
{
    establish();
    peer->send(appData(GetParam().seq, 0, 42));
    server->step();
    EXPECT_EQ(server->data.size(), GetParam().taken ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(AfterOne, SequenceWindow,
                         ::testing::Values(WindowCase{2, true}, WindowCase{9, true}, WindowCase{1, false},
                                           WindowCase{10, false}, WindowCase{0, false}, WindowCase{15, false}));

TEST_F(Protocol, ARepeatedDatagramIsDroppedByThePeerThatHasIt)
{
    establish();
    peer->send(appData(2, 0, 7));
    peer->send(appData(2, 0, 7));
    server->step();
    EXPECT_EQ(server->data, (std::vector<uint32_t>{7}));
}

TEST_F(Protocol, ARepeatedRequestIsAnsweredAgainNotReset)
{
    // The opener did not hear the answer and sends the same datagram again.
    const Wire request{true, kRequest, 0, 8, 0xFF, 0, false, [](VNet_BitStream& s) { requestBody(s); }};
    peer->send(request, 8);
    server->step();
    peer->send(request, 8);
    server->step();
    int accepts = 0;
    for (const Wire& wire : collect()) {
        if (wire.kind == kAccept) {
            EXPECT_EQ(wire.seq, 0) << "the same answer, not a new one";
            ++accepts;
        }
    }
    EXPECT_EQ(accepts, 2);
    EXPECT_EQ(server->count("request"), 1);
    EXPECT_EQ(server->count("closed"), 0);
    peer->send(nodeData(1));
    server->step();
    EXPECT_EQ(server->count("established"), 1);
}

TEST_F(Protocol, ACopyOfTheOpeningRequestLeavesAStandingConnectionAlone)
{
    // The network hands over a copy of the request once the connection
    // stands: neither a reset nor a second answer.
    establish();
    peer->send(Wire{true, kRequest, 0, 8, 0xFF, 0, false, [](VNet_BitStream& s) { requestBody(s); }}, 8);
    server->step();
    for (const Wire& wire : collect()) EXPECT_NE(wire.kind, kAccept);
    EXPECT_EQ(server->count("closed"), 0);
    peer->send(appData(2, 0, 5));
    server->step();
    EXPECT_EQ(server->data, (std::vector<uint32_t>{5}));
}

TEST_F(Protocol, OrderedDataOvertakenByANewerPacketIsTakenAndReportedReceived)
{
    establish();
    peer->send(appData(3, 1, 11));
    peer->send(appData(2, 0, 10));  // overtaken on the way
    peer->send(appData(2, 0, 10));  // and a copy of it
    server->step();
    EXPECT_EQ(server->data, (std::vector<uint32_t>{10, 11}));
    expectReportedReceived(3, 0xC0, "numbers 2 and 3");
}

TEST_F(Protocol, ALateResendOfDataDeliveredAlreadyIsReportedReceivedAndNotDeliveredTwice)
{
    // Order 0 went out as 2 and, once 2 looked lost, again as 3; the first
    // sending arrived after all, and the resend was overtaken by 4. The
    // resend must count as received, or the sender would send it for ever
    // while nothing newer than the ordered window can follow.
    establish();
    peer->send(appData(2, 0, 20));
    peer->send(appData(4, 1, 21));
    server->step();
    collect();
    peer->send(appData(3, 0, 20));
    server->step();
    EXPECT_EQ(server->data, (std::vector<uint32_t>{20, 21}));
    expectReportedReceived(4, 0xE0, "2, 3 and 4 received");
}

TEST_F(Protocol, ACopyFromACycleBeforeIsNotTakenForTheNewNumber)
{
    // The peer's packet 3 of the cycle before, held back on the way, comes
    // once 2 of this cycle is in: its number reads as new. Its section was
    // written before the server sent 1 to 3, and 2 names 3 already.
    establish();
    const unsigned id = server->find("established")->id;
    for (uint32_t value : {1u, 2u, 3u}) server->VNet_sendData(id, valueStream(value), eVNet_ReliableOrdered);
    server->step();
    collect();
    ASSERT_GE(serverLast, 3);
    peer->send(appData(2, 0, 10));
    Wire stale = appData(3, 1, 999);
    stale.ackFirst = (0 - 7) & 15;
    peer->send(stale);
    server->step();
    EXPECT_EQ(server->data, (std::vector<uint32_t>{10}));
    // The packet 3 of this cycle is taken, and reported received.
    peer->send(appData(3, 1, 11));
    server->step();
    EXPECT_EQ(server->data, (std::vector<uint32_t>{10, 11}));
    expectReportedReceived(3, 0xC0, "numbers 2 and 3");
}

TEST_F(Protocol, GapsAreReportedAsNotReceived)
{
    establish();
    peer->send(nodeData(2));
    peer->send(nodeData(5));  // 3 and 4 never come
    server->step();
    const std::vector<Wire> seen = collect();
    ASSERT_FALSE(seen.empty());
    const Wire& last = seen.back();
    EXPECT_EQ(last.ackFirst, (5 - 7) & 15);
    // Numbers 14, 15, 0, 1, 2 received, 3 and 4 missing, 5 received.
    EXPECT_EQ(last.ackBits, 0x9F);
}

TEST_F(Protocol, OrderedDataOutOfOrderIsDeliveredInOrder)
{
    establish();
    const int orders[] = {1, 2, 0, 3, 5, 4};
    int seq = 2;
    for (int order : orders) peer->send(appData(seq++, order, 100u + order));
    server->step();
    EXPECT_EQ(server->data, (std::vector<uint32_t>{100, 101, 102, 103, 104, 105}));
}

TEST_F(Protocol, DuplicatedAndStaleOrderNumbersAreNotHeld)
{
    establish();
    peer->send(appData(2, 0, 100));
    peer->send(appData(3, 2, 102));
    peer->send(appData(4, 2, 202));  // held already
    peer->send(appData(5, 0, 300));  // delivered already
    peer->send(appData(6, 12, 400)); // outside the window of eight
    peer->send(appData(7, 1, 101));
    server->step();
    EXPECT_EQ(server->data, (std::vector<uint32_t>{100, 101, 102}));
    // Nothing was left behind to come out later.
    peer->send(appData(8, 3, 103));
    server->step();
    EXPECT_EQ(server->data, (std::vector<uint32_t>{100, 101, 102, 103}));
}

TEST_F(Protocol, SequenceAndOrderNumbersWrapAcrossFifteen)
{
    establish();
    int seq = 2;
    uint32_t value = 0;
    // Orders 0..13 in order, then 15, 0, 14 across the wrap.
    for (int order = 0; order < 14; ++order) {
        peer->send(appData(seq, order, value++));
        seq = (seq + 1) & 15;
        server->step();
        collect();
    }
    peer->send(appData(seq, 15, 15));
    seq = (seq + 1) & 15;
    peer->send(appData(seq, 0, 16));
    seq = (seq + 1) & 15;
    peer->send(appData(seq, 14, 14));
    server->step();
    ASSERT_EQ(server->data.size(), 17u);
    for (uint32_t i = 0; i < 17; ++i) EXPECT_EQ(server->data[i], i);
}

// ---------------------------------------------------------------------------
// Acknowledgement-only packets

struct AckOnlyCase {
    const char* name;
    int lastOffset;  // the section's last number, relative to the data's
    bool settles;
};

class AckOnly : public Protocol, public ::testing::WithParamInterface<AckOnlyCase> {};

TEST_P(AckOnly, SettlesOnlyWhatItCanHaveSeen)
{
    establish();
    ASSERT_TRUE(server->VNet_sendData(1, valueStream(55), eVNet_ReliableOrdered));
    server->step();
    int dataSeq = -1;
    for (const Wire& wire : collect()) {
        if (wire.kind == kAppData) dataSeq = wire.seq;
    }
    ASSERT_GE(dataSeq, 0);
    // Everything before the data is acknowledged in sequence, so the data
    // is the oldest packet left.
    serverLast = (dataSeq - 1) & 15;
    peer->send(nodeData(2));
    // Every packet up to the data received, as the section claims.
    Wire ack;
    ack.sequenced = false;
    ack.ackOnly = true;
    ack.ackFirst = (dataSeq + GetParam().lastOffset - 7) & 15;
    ack.ackBits = 0xFF;
    peer->send(ack);
    server->VNet_processInput(eVNet_NoBlock);
    // Past the resend time-out, the oldest unsettled packet goes again.
    clock.advance(300);
    server->step();
    bool resent = false;
    for (const Wire& wire : collect()) resent |= wire.kind == kAppData && wire.seq == dataSeq;
    EXPECT_EQ(resent, !GetParam().settles);
}

INSTANTIATE_TEST_SUITE_P(Sections, AckOnly,
                         ::testing::Values(AckOnlyCase{"matching", 0, true}, AckOnlyCase{"fromTheFuture", 5, false},
                                           AckOnlyCase{"stale", -6, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Hostile datagrams from the connected peer's own address

struct HostileCase {
    const char* name;
    std::function<void(VNet_BitStream&)> bits;
    // A cut body still used up its sequence number.
    int nextSeq;
};

class Hostile : public Protocol, public ::testing::WithParamInterface<HostileCase> {};

TEST_P(Hostile, IsDroppedAndTheConnectionGoesOn)
{
    establish();
    peer->sendBits(GetParam().bits);
    server->step();
    EXPECT_EQ(server->count("closed"), 0);
    EXPECT_TRUE(server->data.empty());
    // The connection still takes the next packet in sequence.
    peer->send(appData(GetParam().nextSeq, 0, 9));
    server->step();
    EXPECT_EQ(server->data, (std::vector<uint32_t>{9}));
}

INSTANTIATE_TEST_SUITE_P(
    Datagrams, Hostile,
    ::testing::Values(
        HostileCase{"empty", [](VNet_BitStream&) {}, 2},
        HostileCase{"kindOnly", [](VNet_BitStream& s) { s.addBool(true); }, 2},
        HostileCase{"cutInTheAcks",
                    [](VNet_BitStream& s) {
                        s.addBool(true);
                        writeKindCode(s, kAppData);
                        s.addInt(2, 4);
                        s.addInt(9, 4);
                        s.addBool(true);
                    },
                    2},
        HostileCase{"cutInTheOrderNumber",
                    [](VNet_BitStream& s) {
                        s.addBool(true);
                        writeKindCode(s, kAppData);
                        s.addInt(2, 4);
                        s.addInt(9, 4);
                        for (int i = 0; i < 8; ++i) s.addBool(true);
                        s.addBool(true);
                    },
                    3},
        HostileCase{"runOfZeros",
                    [](VNet_BitStream& s) {
                        s.addBool(true);
                        for (int i = 0; i < 12; ++i) s.addBool(false);
                    },
                    2},
        HostileCase{"rawCut", [](VNet_BitStream& s) { s.addBool(false); }, 2},
        HostileCase{"ackOnlyCut",
                    [](VNet_BitStream& s) {
                        s.addBool(false);
                        s.addBool(true);
                        s.addInt(3, 4);
                    },
                    2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Protocol, ARawPacketFromAStrangerIsNotReadAsARequest)
{
    // An acknowledgement that overtook the request it follows.
    Wire ack;
    ack.sequenced = false;
    ack.ackOnly = true;
    peer->send(ack);
    server->step();
    EXPECT_EQ(server->count("request"), 0);
    EXPECT_FALSE(LogLines::contains("symmetrical")) << LogLines::all();
    establish();
}

TEST_F(Protocol, AFloodOfGarbageCannotFloodTheLog)
{
    establish();
    LogLines::clear();
    std::mt19937 random(5);
    // Every item a read of another kind would not expect: in the checking
    // build each one reports an asymmetrical read.
    for (int i = 0; i < 5000; ++i) {
        peer->sendBits([&](VNet_BitStream& s) {
            for (int k = 0; k < 8; ++k) s.addInt(random(), static_cast<unsigned char>(1 + random() % 32));
        });
        if (i % 500 == 499) server->step();
    }
    server->step();
    EXPECT_LT(LogLines::count(), 300u);
}

TEST_F(Protocol, PeerRatesAreBoundedAndZeroIsNoDivisor)
{
    peer->send(Wire{true, kRequest, 0, 8, 0xFF, 0, false, [](VNet_BitStream& s) { requestBody(s, 3, 0, 65535); }},
               8);
    server->step();
    ASSERT_EQ(server->count("request"), 1);
    collect();
    peer->send(nodeData(1));
    // A rate request for 0 packets per second and huge packets.
    Wire rate = acking(7, 2);
    rate.body = [](VNet_BitStream& s) {
        s.addInt(65535, 16);
        s.addInt(0, 16);
    };
    peer->send(rate);
    for (int i = 0; i < 5; ++i) {
        server->step();
        clock.advance(1000);
    }
    EXPECT_TRUE(LogLines::contains("peer requested new connection quality: 1024 bpp/1 pps"));
    EXPECT_EQ(server->count("established"), 1);
}

// ---------------------------------------------------------------------------
// Round trip: a packet sent twice gives no sample, since its acknowledgement
// may answer either sending.

struct PingCase {
    const char* name;
    bool resendFirst;
    uint32_t ackAfterMs;
    uint16_t expectedPing;
};

class RoundTrip : public Protocol, public ::testing::WithParamInterface<PingCase> {};

TEST_P(RoundTrip, MeasuresOnlyPacketsSentOnce)
{
    const PingCase& c = GetParam();
    establish();
    peer->send(nodeData(2));  // settles everything so far, at once: ping 0
    ASSERT_TRUE(server->VNet_sendData(1, valueStream(1), eVNet_ReliableOrdered));
    server->step();
    int dataSeq = -1;
    for (const Wire& wire : collect()) {
        if (wire.kind == kAppData) dataSeq = wire.seq;
    }
    ASSERT_GE(dataSeq, 0);
    if (c.resendFirst) {
        clock.advance(250);
        server->step();
        bool resent = false;
        for (const Wire& wire : collect()) resent |= wire.kind == kAppData && wire.seq == dataSeq;
        ASSERT_TRUE(resent);
        clock.advance(c.ackAfterMs - 250);
    } else {
        clock.advance(c.ackAfterMs);
    }
    serverLast = dataSeq;
    peer->send(nodeData(3));
    server->VNet_processInput(eVNet_NoBlock);
    EXPECT_EQ(server->VNet_getConnectionStats(1).lastPing, c.expectedPing);
}

INSTANTIATE_TEST_SUITE_P(Samples, RoundTrip,
                         ::testing::Values(PingCase{"sentOnce", false, 40, 40}, PingCase{"resent", true, 260, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace

// ---------------------------------------------------------------------------
// A resent copy carries the acknowledgements of the moment it was first
// written. The peer here builds a numbered packet, loses it on the way and
// sends the very same datagram later, after it has acknowledged newer
// packets through acknowledgement-only packets for as long as the server
// went on sending, and has missed a whole burst of them. None of the
// missed data may count as delivered.

// The peer's honest view of the server's numbering, as the library keeps
// its own.
class Reception {
public:
    Reception() { std::fill(std::begin(m_received), std::end(m_received), true); }

    // Takes a numbered packet; false when it lies outside the window.
    bool take(int seq)
    {
        if (m_last >= 0) {
            const int distance = (seq - (m_last & 15)) & 15;
            if (distance == 0 || distance > 8) return false;
            for (int k = 1; k < distance; ++k) m_received[(m_last + k) & 15] = false;
            m_last += distance;
        } else {
            m_last = seq;
        }
        m_received[seq] = true;
        return true;
    }
    // A packet that was overtaken and came after all.
    void takeLate(int seq) { m_received[seq & 15] = true; }
    long long last() const { return m_last; }
    void writeSection(Wire* wire) const
    {
        wire->ackFirst = m_last < 0 ? 8 : static_cast<int>((m_last - 7) & 15);
        wire->ackBits = 0;
        for (int i = 0; i < 8; ++i) {
            if (m_received[(wire->ackFirst + i) & 15]) wire->ackBits |= static_cast<uint8_t>(1u << i);
        }
    }

private:
    long long m_last = -1;  // counted on past 15
    bool m_received[16];
};

// The server connected, with this many ordered messages queued; the peer's
// view of the server's numbering so far.
class ProtocolMessages : public Protocol {
protected:
    Reception queueMessages(uint32_t count)
    {
        for (uint32_t i = 0; i < count; ++i) EXPECT_TRUE(server->VNet_sendData(1, valueStream(i), eVNet_ReliableOrdered));
        Reception reception;
        reception.take(serverLast);
        return reception;
    }

    // Steps the server every 5 ms for this long, the peer answering after
    // each step; check hears each numbered packet's number, how long ago the
    // number eight before it went out, and the time elapsed.
    template <typename Answer, typename Check>
    void watchNumbersComeRound(uint32_t durationMs, Answer answer, Check check)
    {
        uint32_t sentAt[16] = {};
        for (uint32_t elapsed = 0; elapsed < durationMs; elapsed += 5) {
            server->step();
            const uint32_t now = Vornet::getTime();
            for (const Wire& wire : collect()) {
                if (!wire.sequenced) continue;
                const uint32_t eightBefore = sentAt[(wire.seq - 8) & 15];
                if (eightBefore != 0) check(wire.seq, now - eightBefore, elapsed);
                sentAt[wire.seq] = now;
            }
            answer();
        }
    }
};

TEST_F(ProtocolMessages, AResentCopyCannotSettlePacketsSentSinceItWasWritten)
{
    establish();
    constexpr uint32_t kMessages = 40;
    Reception reception = queueMessages(kMessages);
    std::set<uint32_t> values;
    // Reads what the server sent; a missed packet is simply not taken.
    auto receive = [&](bool missed) {
        Wire wire;
        VNet_BitStream* rest = nullptr;
        while (peer->receive(&wire, &rest)) {
            std::unique_ptr<VNet_BitStream> body(rest);
            if (missed || !wire.sequenced || !reception.take(wire.seq) || wire.kind != kAppData) continue;
            body->getInt(4);
            values.insert(body->getInt(32));
        }
    };
    auto acknowledge = [&] {
        Wire ack;
        ack.sequenced = false;
        ack.ackOnly = true;
        reception.writeSection(&ack);
        peer->send(ack);
    };
    auto round = [&](bool missed) {
        server->step();
        receive(missed);
        acknowledge();
        clock.advance(5);
    };

    // Written now, lost on its first way.
    Wire copy = nodeData(2);
    reception.writeSection(&copy);
    const long long writtenAt = reception.last();
    // Until the server's numbers have come round to the copy's again, or
    // for a second when the server waits for the copy.
    for (int i = 0; i < 200 && reception.last() < writtenAt + 8; ++i) round(false);
    // The next burst is lost on its way; then the copy arrives.
    round(true);
    peer->send(copy);
    // From here on the peer numbers packets again, each with the section
    // of its moment.
    int seq = 3;
    for (int i = 0; i < 4000 && values.size() < kMessages; ++i) {
        Wire fresh = nodeData(seq);
        reception.writeSection(&fresh);
        peer->send(fresh);
        seq = (seq + 1) & 15;
        round(false);
    }
    EXPECT_EQ(values.size(), kMessages);
    EXPECT_EQ(server->count("closed"), 0);
}

// An acknowledgement-only packet carries no number, so a copy the network
// kept back reads like a new one. The peer here acknowledges honestly, but
// once the server's numbers have come round, a copy of an early section
// arrives just after a burst that was lost on its way: it names the lost
// packets' numbers as received. None of them may count as delivered.
TEST_F(ProtocolMessages, ALateCopyOfAnAcknowledgementOnlyPacketCannotSettlePacketsSentSince)
{
    establish();
    constexpr uint32_t kMessages = 40;
    Reception reception = queueMessages(kMessages);
    std::set<uint32_t> values;
    long long sentLast = reception.last();  // the newest number the server sent, counted on past 15
    auto receive = [&](bool missed) {
        Wire wire;
        VNet_BitStream* rest = nullptr;
        while (peer->receive(&wire, &rest)) {
            std::unique_ptr<VNet_BitStream> body(rest);
            if (!wire.sequenced) continue;
            const long long counted = sentLast + ((wire.seq - sentLast) & 15);
            if (counted > sentLast && counted - sentLast <= 8) sentLast = counted;
            if (missed || !reception.take(wire.seq) || wire.kind != kAppData) continue;
            body->getInt(4);
            values.insert(body->getInt(32));
        }
    };
    int seq = 2;
    auto acknowledge = [&](Wire* ackOnly) {
        Wire fresh = nodeData(seq);
        reception.writeSection(&fresh);
        peer->send(fresh);
        seq = (seq + 1) & 15;
        ackOnly->sequenced = false;
        ackOnly->ackOnly = true;
        reception.writeSection(ackOnly);
        peer->send(*ackOnly);
    };
    Wire copy;
    // Every trip takes 5 ms, so the server measures round trips of that
    // length.
    auto round = [&](bool missed) {
        server->step();
        clock.advance(5);
        receive(missed);
        Wire ack;
        if (!missed) acknowledge(&ack);
        return ack;
    };

    copy = round(false);
    const long long copiedLast = reception.last();
    for (int i = 0; i < 200 && sentLast < copiedLast + 8; ++i) round(false);
    ASSERT_LT(sentLast, copiedLast + 16);
    // The burst that brings the copied section's numbers round is lost.
    for (int i = 0; i < 200 && sentLast < copiedLast + 16; ++i) round(true);
    ASSERT_GE(sentLast, copiedLast + 16);
    peer->send(copy);
    for (int i = 0; i < 4000 && values.size() < kMessages; ++i) round(false);
    EXPECT_EQ(values.size(), kMessages);
    EXPECT_EQ(server->count("closed"), 0);
}

// On a path whose trips vary, the longest sampled falls short of the
// longest the path takes, and a packet sent again just before its answer
// comes holds the number eight after it back for a whole reuse wait. After
// trips of 300 and 200 ms the path goes silent: the first packet sent
// again goes no sooner than the longest trip and half the spread after it
// went out.
TEST_F(ProtocolMessages, ATimedOutPacketGoesAgainAfterTheLongestTripAndHalfTheSpread)
{
    establish();
    Reception reception;
    reception.take(serverLast);
    queueMessages(40);
    int seq = 2;
    uint32_t elapsed = 0;
    // The numbers sent and not answered, in the order they went out, with
    // when each went out.
    std::deque<std::pair<int, uint32_t>> unanswered;
    uint32_t resentAfter = 0;
    // Steps the server every 10 ms; the peer answers each packet the trip
    // after it went out, or never once the path is silent.
    auto run = [&](uint32_t durationMs, uint32_t tripMs) {
        for (const uint32_t end = elapsed + durationMs; elapsed < end && resentAfter == 0; elapsed += 10) {
            server->step();
            for (const Wire& wire : collect()) {
                if (!wire.sequenced) continue;
                const auto earlier = std::find_if(unanswered.begin(), unanswered.end(),
                                                  [&](const auto& sent) { return sent.first == wire.seq; });
                if (earlier != unanswered.end()) {
                    resentAfter = elapsed - earlier->second;
                } else {
                    unanswered.emplace_back(wire.seq, elapsed);
                }
            }
            clock.advance(10);
            bool answered = false;
            while (tripMs > 0 && !unanswered.empty() && unanswered.front().second + tripMs <= elapsed + 10) {
                reception.take(unanswered.front().first);
                unanswered.pop_front();
                answered = true;
            }
            if (!answered) continue;
            Wire answer = nodeData(seq);
            reception.writeSection(&answer);
            peer->send(answer);
            seq = (seq + 1) & 15;
        }
    };
    run(500, 300);
    run(500, 200);
    ASSERT_EQ(resentAfter, 0u);
    run(1000, 0);
    EXPECT_GE(resentAfter, 300u + (300u - 200u) / 2);
}

// On a path whose trips vary, the longest trips are rare and come again.
// After one long trip and a run of short ones, a number still does not go
// out again sooner than that long trip after the one eight before it: a
// copy held back as long would otherwise be read as the newer packet.
TEST_F(ProtocolMessages, NumbersComeRoundNoSoonerThanTheLongestTripOfTheLastSecond)
{
    establish();
    constexpr uint32_t kLongTripMs = 60;
    peer->send(nodeData(2));
    ASSERT_TRUE(server->VNet_sendData(1, valueStream(0), eVNet_ReliableOrdered));
    server->step();
    collect();
    clock.advance(kLongTripMs);
    peer->send(nodeData(3));
    queueMessages(40);

    int seq = 4;
    int checked = 0;
    watchNumbersComeRound(
        1000,
        [&] {
            // Every later trip takes 5 ms.
            clock.advance(5);
            peer->send(nodeData(seq));
            seq = (seq + 1) & 15;
        },
        [&](int number, uint32_t sinceEightBefore, uint32_t elapsed) {
            EXPECT_GE(sinceEightBefore, kLongTripMs) << "number " << number << " at " << elapsed << " ms";
            ++checked;
        });
    EXPECT_GT(checked, 16);
}

// A peer that paces its packets holds every answer until its next send
// opportunity, and its packet 8 reports that hold. The network here takes
// no time at all: once the peer paces faster and has reported its hold, a
// number goes out again as soon as the acknowledgements let it, not a slow
// pacing interval after the one eight before it.
TEST_F(ProtocolMessages, NumbersComeRoundAtTheNetworksPaceNotThePeersFormerPacing)
{
    establish();
    int seq = 2;
    // The peer's next numbered packet, acknowledging all the server sent,
    // held this long after the server's packets came.
    auto answer = [&](uint32_t holdMs) {
        clock.advance(holdMs);
        Wire wire = nodeData(seq);
        wire.hold = static_cast<int>(holdMs);
        peer->send(wire);
        seq = (seq + 1) & 15;
    };
    // At the 15 packets per second asked at first, the peer answers 66 ms
    // after each packet of the server.
    constexpr uint32_t kSlowIntervalMs = 66;
    for (int i = 0; i < 3; ++i) {
        server->step();
        collect();
        answer(kSlowIntervalMs);
    }
    server->VNet_requestDownstreamLimit(1, 200, 200);
    server->step();
    collect();
    answer(5);
    queueMessages(40);

    int checked = 0;
    watchNumbersComeRound(
        600, [&] { answer(5); },
        [&](int number, uint32_t sinceEightBefore, uint32_t elapsed) {
            if (elapsed < 200) return;
            EXPECT_LT(sinceEightBefore, kSlowIntervalMs) << "number " << number << " at " << elapsed << " ms";
            ++checked;
        });
    EXPECT_GT(checked, 16);
}

// On a path that reorders, the packet after an ordered message can overtake
// it, and the peer's next section reports the message missing though it is
// only late. Sent again under a new number, it would wait for the numbers to
// come round, and the ordered data behind it with it. Once a packet of the
// server's has been seen overtaken by one sent 40 ms after it, a message
// reported missing by the peer that has taken a packet sent 20 ms after it
// is not sent again at once, and once it arrives and is reported received,
// it never is; else it goes again once the window of reordering has passed.
// A message whose report comes from a packet sent 100 ms after it is lost,
// and goes again at once.
TEST_F(ProtocolMessages, OrderedDataSeenOvertakenIsNotSentAgainOnAnEarlyMissingReport)
{
    establish();
    const unsigned id = server->find("established")->id;
    int seq = 2;
    Reception reception;
    reception.take(serverLast);
    // The values of the ordered messages the server sends; its numbered
    // packets are taken by the peer unless missed.
    auto sent = [&](bool missed) {
        std::vector<uint32_t> values;
        Wire wire;
        VNet_BitStream* rest = nullptr;
        while (peer->receive(&wire, &rest)) {
            std::unique_ptr<VNet_BitStream> body(rest);
            if (!wire.sequenced) continue;
            serverLast = wire.seq;
            if (!missed) reception.take(wire.seq);
            if (wire.kind != kAppData) continue;
            body->getInt(4);
            values.push_back(body->getInt(32));
        }
        return values;
    };
    auto answer = [&] {
        Wire wire = nodeData(seq);
        reception.writeSection(&wire);
        peer->send(wire);
        seq = (seq + 1) & 15;
        server->step();
    };
    // Sends the message, missed by the peer; then, this much later, the
    // server's next packet, which the peer takes; the peer answers 20 ms on.
    auto overtaken = [&](uint32_t value, uint32_t nextAfterMs) {
        clock.advance(300);
        server->VNet_sendData(id, valueStream(value), eVNet_ReliableOrdered);
        server->step();
        EXPECT_EQ(sent(true), std::vector<uint32_t>{value});
        const int number = serverLast;
        clock.advance(nextAfterMs);
        server->step();
        sent(false);
        EXPECT_NE(serverLast, number) << "no packet after " << value;
        clock.advance(20);
        answer();
        return number;
    };
    constexpr uint32_t kTripMs = 100;
    server->VNet_sendData(id, valueStream(0), eVNet_ReliableOrdered);
    server->step();
    ASSERT_EQ(sent(false), (std::vector<uint32_t>{0}));
    clock.advance(kTripMs);
    answer();
    sent(false);

    // Until a packet has been seen overtaken, a missing report counts at once.
    const int late = overtaken(1, 40);
    EXPECT_EQ(sent(false), std::vector<uint32_t>{1});
    reception.takeLate(late);
    clock.advance(5);
    answer();
    sent(false);

    const int second = overtaken(2, 20);
    EXPECT_EQ(sent(false), std::vector<uint32_t>{}) << "2 sent again while it may be on its way";
    reception.takeLate(second);
    for (int i = 0; i < 60; ++i) {
        clock.advance(5);
        answer();
        EXPECT_EQ(sent(false), std::vector<uint32_t>{}) << "2 sent again once received";
    }

    overtaken(3, kTripMs);
    EXPECT_EQ(sent(false), std::vector<uint32_t>{3});
    clock.advance(5);
    answer();
    sent(false);

    // Reported missing early and never received, it goes again once the
    // window has passed and a number is free.
    overtaken(4, 20);
    std::vector<uint32_t> resent = sent(false);
    for (int i = 0; i < 60; ++i) {
        clock.advance(5);
        answer();
        for (uint32_t value : sent(false)) resent.push_back(value);
    }
    EXPECT_EQ(resent, std::vector<uint32_t>{4});
    EXPECT_EQ(server->count("closed"), 0);
}

// In one process the network takes no time, yet a trip can read one
// millisecond when the clock moves on while the packets are on their way.
// Such a trip is the clock's grain: numbers still come round within one
// millisecond, as fast as the peer acknowledges them.
TEST_F(ProtocolMessages, TripsWithinTheClocksGrainHoldNoNumberBack)
{
    establish();
    int seq = 2;
    auto answer = [&] {
        peer->send(nodeData(seq));
        seq = (seq + 1) & 15;
    };
    server->VNet_requestDownstreamLimit(1, 200, 200);
    for (int i = 0; i < 40; ++i) {
        server->step();
        collect();
        clock.advance(1);
        answer();
    }
    queueMessages(40);
    int numbered = 0;
    for (int i = 0; i < 24; ++i) {
        server->step();
        for (const Wire& wire : collect()) numbered += wire.sequenced ? 1 : 0;
        answer();
    }
    EXPECT_GT(numbered, 16);
}

// ---------------------------------------------------------------------------
// Ordered data that stands still while packets keep coming

// Steps the server every half second of library time for the given time,
// the peer sending its next numbered packet each time.
class StalledData : public Protocol {
protected:
    template <typename Next>
    void keepSending(uint32_t durationMs, Next next)
    {
        for (uint32_t elapsed = 0; elapsed < durationMs && server->count("closed") == 0; elapsed += 500) {
            peer->send(next(seq));
            seq = (seq + 1) & 15;
            server->step();
            collect();
            clock.advance(500);
        }
    }

    int seq = 2;
};

// The peer's ordered message 0 never comes, message 1 comes again and
// again in fresh packets: the server holds it for ever, though the peer
// is plainly there. The connection ends as timed out, and says why.
TEST_F(StalledData, DataHeldForAMessageThatNeverComesEndsTheConnection)
{
    establish();
    keepSending(15000, [&](int number) { return appData(number, 1, 7); });
    EXPECT_EQ(server->count("closed"), 0) << "shorter than the connection time-out";
    keepSending(10000, [&](int number) { return appData(number, 1, 7); });
    ASSERT_EQ(server->count("closed"), 1);
    EXPECT_EQ(server->find("closed")->code, unsigned(eVNet_CloseTimedOut));
    EXPECT_TRUE(LogLines::contains("ordered data made no progress"));
    EXPECT_TRUE(server->data.empty());
}

// The peer keeps numbering packets but never reports the server's message
// received: the server resends it for ever. The connection ends as timed
// out, and says why.
TEST_F(StalledData, DataNeverAcknowledgedEndsTheConnection)
{
    establish();
    const int lastBeforeData = serverLast;
    ASSERT_TRUE(server->VNet_sendData(1, valueStream(5), eVNet_ReliableOrdered));
    auto unacknowledging = [&](int number) {
        Wire wire = nodeData(number);
        wire.ackFirst = (lastBeforeData - 7) & 15;
        return wire;
    };
    keepSending(15000, unacknowledging);
    EXPECT_EQ(server->count("closed"), 0) << "shorter than the connection time-out";
    keepSending(10000, unacknowledging);
    ASSERT_EQ(server->count("closed"), 1);
    EXPECT_EQ(server->find("closed")->code, unsigned(eVNet_CloseTimedOut));
    EXPECT_TRUE(LogLines::contains("ordered data made no progress"));
}

// Data that moves on, however slowly, keeps the connection: a message every
// ten seconds for longer than the time-out.
TEST_F(StalledData, SlowButMovingDataKeepsTheConnection)
{
    establish();
    int order = 0;
    for (int round = 0; round < 4; ++round) {
        keepSending(10000, [&](int number) { return nodeData(number); });
        peer->send(appData(seq, order, 100u + order));
        seq = (seq + 1) & 15;
        ++order;
        ASSERT_TRUE(server->VNet_sendData(1, valueStream(9), eVNet_ReliableOrdered));
    }
    keepSending(2000, [&](int number) { return nodeData(number); });
    EXPECT_EQ(server->count("closed"), 0);
    EXPECT_EQ(server->data.size(), 4u);
}
