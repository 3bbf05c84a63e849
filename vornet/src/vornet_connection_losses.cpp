// When ordered data the peer reports missing is lost. The peer reports a
// number missing once it has taken a later one; on a path that reorders,
// the packet may only have been overtaken and arrive next.
//
// Ordered data taken for lost goes again under a new number, which waits
// for the reuse wait, and on a path that reorders the copy sent again is
// overtaken as often: one message could hold up the ordered data behind it
// for seconds. So once packets of ours have been seen overtaken, a packet
// reported missing by a peer that had taken one sent less than the reorder
// window after it is settled as before, which keeps the numbers moving,
// but its data is kept under its number for as long as a report of
// received can still come. Reported received by then, the data was
// delivered; else it goes again. Until a packet has been seen overtaken
// the window is nothing, and lost data goes again at once.
#include <algorithm>

#include "vornet_connection.h"

namespace Vornet_Private {

// Whether the report settles the number as lost: a report of received is
// never undone by an older section saying missing.
bool VNet_Connection::takeMissingReport(int n, int newest)
{
    const SendEntry& entry = m_sendWindow[n];
    if (!entry.outstanding || entry.buffered == 1) return false;
    const auto ahead = static_cast<int32_t>(m_firstSentAt[newest] - m_lastSentAt[n]);
    m_lostAhead[n] = std::max(ahead, 0);
    const uint32_t window = std::min(m_reorderWindow, longestTrip());
    if (m_history[n]->kind != KindAppData || window == 0 || ahead >= int32_t(window)) return true;
    // Had it come, the peer would have reported it received within the
    // longest trip after it went out, and half the spread of the trips: the
    // report comes in a later packet of the peer, whose way varies too.
    const uint32_t due = m_lastSentAt[n] + longestTripBound();
    m_doubtfulLosses[n].dueAt = due == 0 ? 1 : due;
    return true;
}

void VNet_Connection::settleLostData(int n, uint8_t order, VNet_BitStream* stream)
{
    DoubtfulLoss& loss = m_doubtfulLosses[n];
    if (loss.dueAt == 0) {
        requeueLostData(order, stream, m_lastSentAt[n]);
        return;
    }
    loss.stream = stream;
    loss.order = order;
    loss.sentAt = m_lastSentAt[n];
}

// Data whose time to be reported received has run out goes again. Should
// it be reported received after all, it was overtaken by more than the
// window (noteReceived).
void VNet_Connection::settleOverdueLosses(uint32_t now)
{
    // Nothing is kept before a packet has been seen overtaken.
    if (m_reorderWindow == 0) return;
    const auto window = static_cast<int32_t>(std::min(m_reorderWindow, longestTrip()));
    for (int n = 0; n < kSequenceCount; ++n) {
        const DoubtfulLoss& loss = m_doubtfulLosses[n];
        if (!loss.stream || int32_t(now - loss.dueAt) < 0) continue;
        m_lostAhead[n] = std::max(m_lostAhead[n], window);
        confirmLoss(n);
    }
}

void VNet_Connection::confirmLoss(int n)
{
    DoubtfulLoss& loss = m_doubtfulLosses[n];
    if (loss.stream) requeueLostData(loss.order, loss.stream, loss.sentAt);
    loss = DoubtfulLoss{};
}

// A number taken for lost that the peer reports received was overtaken by
// packets sent up to that much later, or more; later ones may be overtaken
// by more still, so the window opens to half as much again. Data kept under
// the number was delivered.
void VNet_Connection::noteReceived(int n, uint32_t now)
{
    m_reorderWindow = std::max(m_reorderWindow, 3 * uint32_t(m_lostAhead[n]) / 2 + 1);
    m_lostAhead[n] = -1;
    DoubtfulLoss& loss = m_doubtfulLosses[n];
    if (loss.stream) {
        destroyStream(loss.stream);
        orderDelivered(loss.order, now);
    }
    loss = DoubtfulLoss{};
}

void VNet_Connection::dropDoubtfulLosses()
{
    for (DoubtfulLoss& loss : m_doubtfulLosses) {
        destroyStream(loss.stream);
        loss = DoubtfulLoss{};
    }
}

}  // namespace Vornet_Private
