// Round trips of a connection: the ping statistics, and the longest recent
// trip that the reuse of sequence numbers waits for (windowFull).
//
// Every packet of ours that the peer reports received gives a trip, from
// its first sending to the arrival of the report: longer than the way of
// the copy that reached the peer and longer than the way of the report, so
// each trip bounds a one-way journey in either direction. The peer's hold
// before it answers is in it too; that hold stays short because a side
// whose own numbered packets wait still acknowledges at every send
// opportunity (acknowledgeWhileBlocked).
#include <algorithm>

#include "vornet_connection.h"

namespace Vornet_Private {

namespace {

// How long the longest round trip is remembered: it is the longest of this
// span and the one before.
constexpr uint32_t kTripSpanMs = 1000;

// A trip no longer counts as none: within it lie the clock's grain and the
// time a busy machine keeps either side from its next step rather than the
// way of a datagram, and a wait of a few milliseconds on each cycle of
// numbers would halve a fast connection. The price: on a path whose every
// trip is this short, a copy held back longer than its answer took is not
// waited for.
constexpr uint32_t kShortTripMs = 10;

// The sections that must have given trips before the longest of them is
// taken for the path (reuseWait). On a path where half the datagrams pass
// at once and the rest wait up to a hundred milliseconds, a few trips can
// all read near nothing, and sixteen can all fall short of the slowest
// copy; thirty-two such sections are as good as never all short.
constexpr uint8_t kSectionsToTrust = 32;

int64_t clampTrip(int64_t milliseconds)
{
    return milliseconds < 0 ? 0 : milliseconds > 0xFFFF ? 0xFFFF : milliseconds;
}

// A trip as the reuse wait counts it.
uint32_t countedTrip(int64_t milliseconds)
{
    const uint32_t trip = uint32_t(clampTrip(milliseconds));
    return trip <= kShortTripMs ? 0 : trip;
}

}  // namespace

void VNet_Connection::measureRoundTrip(uint32_t receiveTime, uint32_t sendTime)
{
    const int64_t sample = clampTrip(int64_t(receiveTime) - m_peerHoldTime - sendTime);
    m_stats.lastPing = static_cast<uint16_t>(sample);
    m_stats.averagePing = static_cast<uint16_t>(double(sample) * double(0.02f) + double(m_stats.averagePing) * double(0.98f));
}

// The first report of a number only: a later one says nothing new and
// would count the time the report was on its way again. Packets sent once
// are taken first, so that a number sent again in the same section knows
// whether one was answered since its first sending (tripStart).
void VNet_Connection::followAcknowledged(const AckSection& section, uint32_t receiveTime)
{
    // Bit i: number first + i, reported received here for the first time.
    uint8_t sentOnce = 0;
    uint8_t sentAgain = 0;
    for (int i = 0; i < kWindow; ++i) {
        const int n = (section.first + i) & (kSequenceCount - 1);
        const SendEntry& entry = m_sendWindow[n];
        if (!((section.received >> i) & 1) || !entry.outstanding || entry.buffered >= 0 || m_firstSentAt[n] == 0) {
            continue;
        }
        (m_sendTimes[n] == 0 ? sentAgain : sentOnce) |= static_cast<uint8_t>(1u << i);
    }
    if ((sentOnce | sentAgain) == 0) return;
    const uint8_t inTurn[2] = {sentOnce, sentAgain};
    for (int turn = 0; turn < 2; ++turn) {
        const bool resent = turn == 1;
        for (int i = 0; i < kWindow; ++i) {
            if (!((inTurn[turn] >> i) & 1)) continue;
            const int n = (section.first + i) & (kSequenceCount - 1);
            followTrip(receiveTime, countedTrip(int64_t(receiveTime) - tripStart(n)), resent);
            if (!resent) m_sentOnceAnsweredAt = receiveTime;
        }
    }
    if (m_sectionsMeasured < kSectionsToTrust) ++m_sectionsMeasured;
}

// A number sent again may be answered for either sending. On a path slower
// than the resend time-out every packet is sent again before its answer
// comes: counted from the first sending, its trips still measure the path.
// Where packets sent once are answered too, the path's trips are measured
// on those, and a number sent again counts from its last sending: from the
// first, every loss would count a whole resend time-out into the longest
// trip, and the reuse wait would follow the losses instead of the path.
uint32_t VNet_Connection::tripStart(int n) const
{
    const bool resent = m_sendTimes[n] == 0;
    const bool sentOnceAnswered = int32_t(m_sentOnceAnsweredAt - m_firstSentAt[n]) > 0;
    return resent && sentOnceAnswered ? m_lastSentAt[n] : m_firstSentAt[n];
}

// A rate of ours that the peer has taken changes how long it holds our
// packets before it answers: the trips measured at its former pace are
// forgotten, and the next one replaces them.
void VNet_Connection::peerTookRate()
{
    if (m_ownRequestedRate.packetsPerSecond == m_pacingAsked) return;
    m_pacingAsked = m_ownRequestedRate.packetsPerSecond;
    m_tripMeasured = false;
}

// The longest trip must never count short (windowFull): on a path whose
// trips vary, the longest ones are rare, and a trip as long comes again. So
// it is the longest of the trips measured in the current span of time and
// the span before, not an average that fades with every shorter trip. The
// first trip replaces the starting guess. The shortest is taken from
// packets sent once: an answer that comes soon after a packet went again
// is often the answer to its first sending, and would read as a trip
// shorter than any the path takes.
void VNet_Connection::followTrip(uint32_t now, uint32_t trip, bool resent)
{
    const uint32_t shortest = resent ? UINT32_MAX : trip;
    if (!m_tripMeasured) {
        m_longestTripIn[0] = m_longestTripIn[1] = trip;
        m_shortestTripIn[0] = m_shortestTripIn[1] = shortest;
        m_tripSpanStart = now;
        m_tripMeasured = true;
        m_sectionsMeasured = 0;
        return;
    }
    if (now - m_tripSpanStart >= kTripSpanMs) {
        m_longestTripIn[1] = m_longestTripIn[0];
        m_longestTripIn[0] = 0;
        m_shortestTripIn[1] = m_shortestTripIn[0];
        m_shortestTripIn[0] = UINT32_MAX;
        m_tripSpanStart = now;
        m_sectionsMeasured = kSectionsToTrust;
    }
    m_longestTripIn[0] = std::max(m_longestTripIn[0], trip);
    m_shortestTripIn[0] = std::min(m_shortestTripIn[0], shortest);
}

uint32_t VNet_Connection::longestTrip() const
{
    return std::max(m_longestTripIn[0], m_longestTripIn[1]);
}

// The longest trip measured is a sample: the real longest of a path whose
// delay varies lies beyond it, the further the wider the trips spread. When
// only one direction varies, a trip is little more than that direction's
// delay, and the longest sampled can fall just short of the longest copy.
// Half the spread on top covers that. The first sections measured, each
// often one trip for a burst of packets, say too little of the path: until
// enough have come, or a whole span of time has passed, the wait is four
// times the longest.
uint32_t VNet_Connection::reuseWait() const
{
    const uint32_t longest = longestTrip();
    const uint32_t wait = longestTripBound();
    return m_sectionsMeasured >= kSectionsToTrust ? wait : std::max(wait, 4 * longest);
}

uint32_t VNet_Connection::longestTripBound() const
{
    const uint32_t longest = longestTrip();
    return longest + (longest - shortestTrip()) / 2;
}

// A packet reported missing has often been overtaken rather than lost, and
// one sent again goes twice: a copy of either may still be on its way. On
// a path that passes some datagrams at once and holds others back, the
// first trips can all read near nothing while such a copy takes a hundred
// milliseconds; until enough trips are measured, the wait after such a
// packet is never less than the guess made before any trip. Not while
// every trip has read near nothing: on such a path a loss is a loss, and
// a wait would stall a fast connection after each one.
uint32_t VNet_Connection::doubtfulCopiesWait() const
{
    const uint32_t wait = reuseWait();
    const bool tripBeyondGrain = longestTrip() > 0;
    return m_sectionsMeasured >= kSectionsToTrust || !tripBeyondGrain ? wait : std::max(wait, kFirstTripGuessMs);
}

// The shortest of the same spans; the starting guess until a trip is
// measured.
uint32_t VNet_Connection::shortestTrip() const
{
    return std::min({m_shortestTripIn[0], m_shortestTripIn[1], longestTrip()});
}

}  // namespace Vornet_Private

