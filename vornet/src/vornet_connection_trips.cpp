// Round trips of a connection: the ping statistics, and the network's
// longest recent trip that the reuse of sequence numbers waits for
// (windowFull).
//
// A copy of a packet is held back by the network alone. The time the peer
// took to number the packet that answers ours (its send pacing, its own
// window and reuse wait) is no part of a copy's way, yet it is part of every
// whole trip, often the larger part by far; and a wait that followed whole
// trips would lengthen the peer's holds, and with them the trips it waits
// for. The peer reports that hold on its packet 8 only, so those packets
// measure the network's trip. Whole trips stand in for it until the first of
// them arrives, and only while the peer paces its packets as it did when
// they were measured.
#include <algorithm>

#include "vornet_connection.h"

namespace Vornet_Private {

namespace {

// How long the longest round trip is remembered: it is the longest of this
// span and the one before.
constexpr uint32_t kTripSpanMs = 1000;

// Two readings of the library's clock a moment apart can differ by this
// much: a trip no longer is all the clock's grain, and counts as none.
constexpr uint32_t kClockGrainMs = 1;

int64_t clampTrip(int64_t milliseconds)
{
    return milliseconds < 0 ? 0 : milliseconds > 0xFFFF ? 0xFFFF : milliseconds;
}

// A trip as the reuse wait and the late-report check count it.
uint32_t countedTrip(int64_t milliseconds)
{
    const uint32_t trip = uint32_t(clampTrip(milliseconds));
    return trip <= kClockGrainMs ? 0 : trip;
}

}  // namespace

void VNet_Connection::measureRoundTrip(uint32_t receiveTime, uint32_t sendTime)
{
    const int64_t sample = clampTrip(int64_t(receiveTime) - m_peerHoldTime - sendTime);
    m_stats.lastPing = static_cast<uint16_t>(sample);
    m_stats.averagePing = static_cast<uint16_t>(double(sample) * double(0.02f) + double(m_stats.averagePing) * double(0.98f));
    if (m_wholeTripsCount) followTrip(receiveTime, countedTrip(int64_t(receiveTime) - sendTime));
}

// The peer's packet 8 reports how long it held the packet of ours that it
// names last, whether or not an earlier packet acknowledged that one
// already. A number sent again gives no trip: the peer may have taken
// either sending.
void VNet_Connection::measureNetworkTrip(uint32_t receiveTime, int last)
{
    const uint32_t sendTime = m_sendTimes[last];
    if (sendTime == 0) return;
    m_wholeTripsCount = false;
    const uint32_t trip = countedTrip(int64_t(receiveTime) - m_peerHoldTime - sendTime);
    followTrip(receiveTime, trip);
    m_shortestTripIn[0] = std::min(m_shortestTripIn[0], trip);
}

// A rate of ours that the peer has taken changes how it paces its packets,
// so whole trips no longer stand for the network's: the longest trip stays
// as it is until the peer reports a hold, and the first trip so measured
// replaces it.
void VNet_Connection::peerTookRate()
{
    if (m_ownRequestedRate.packetsPerSecond == m_pacingAsked) return;
    m_pacingAsked = m_ownRequestedRate.packetsPerSecond;
    if (!m_wholeTripsCount) return;
    m_wholeTripsCount = false;
    m_tripMeasured = false;
}

// The longest trip must never count short (windowFull): on a path whose
// trips vary, the longest ones are rare, and a trip as long comes again. So
// it is the longest of the trips measured in the current span of time and
// the span before, not an average that fades with every shorter trip. The
// first trip replaces the starting guess.
void VNet_Connection::followTrip(uint32_t now, uint32_t trip)
{
    if (!m_tripMeasured) {
        m_longestTripIn[0] = m_longestTripIn[1] = trip;
        m_tripSpanStart = now;
        m_tripMeasured = true;
        return;
    }
    if (now - m_tripSpanStart >= kTripSpanMs) {
        m_longestTripIn[1] = m_longestTripIn[0];
        m_longestTripIn[0] = 0;
        m_shortestTripIn[1] = m_shortestTripIn[0];
        m_shortestTripIn[0] = UINT32_MAX;
        m_tripSpanStart = now;
    }
    m_longestTripIn[0] = std::max(m_longestTripIn[0], trip);
}

uint32_t VNet_Connection::longestTrip() const
{
    return std::max(m_longestTripIn[0], m_longestTripIn[1]);
}

// No answer comes back sooner than the network's shortest trip; 0 until the
// peer has reported a hold. Whole trips would count the peer's hold in it
// and make the shortest trip too long.
uint32_t VNet_Connection::shortestTrip() const
{
    const uint32_t shortest = std::min(m_shortestTripIn[0], m_shortestTripIn[1]);
    return shortest == UINT32_MAX ? 0 : shortest;
}

}  // namespace Vornet_Private
