// The packet layer of a connection: framing, 4-bit sequence numbers with a
// window of 8, acknowledgements, settling, the time-out resend and the
// loss and lag simulation.
#include <algorithm>

#include "vornet/vornet.h"
#include "vornet_assert.h"
#include "vornet_connection.h"
#include "vornet_control_private.h"
#include "vornet_log.h"
#include "vornet_packet.h"
#include "vornet_socket.h"
#include "vornet_stream_reader.h"

namespace Vornet_Private {

namespace {

// Kinds whose code is 0, 1 and then this many zeros ended by a 1; seven
// zeros without a 1 mean a rate request.
constexpr int32_t kRunKinds[] = {KindConnectRequest, KindAccept,       KindDeny,       KindDisconnect,
                                 KindWrongVersion,   KindLevelRequest, KindLevelResult};
constexpr int kRunKindCount = sizeof kRunKinds / sizeof kRunKinds[0];

int wrap(int n)
{
    return n & 15;
}

}  // namespace

// ---------------------------------------------------------------------------
// Kind codes

void VNet_Connection::writeKind(VNet_BitStream* stream, int32_t kind)
{
    if (kind == KindNodeData) {
        stream->addBool(true);
        return;
    }
    stream->addBool(false);
    if (kind == KindAppData) {
        stream->addBool(false);
        return;
    }
    stream->addBool(true);
    for (int zeros = 0; zeros < kRunKindCount; ++zeros) {
        if (kRunKinds[zeros] == kind) {
            stream->addBool(true);
            return;
        }
        stream->addBool(false);
    }
}

int32_t VNet_Connection::readKind(VNet_BitStream* stream) const
{
    if (stream->getBool()) return KindNodeData;
    if (!stream->getBool()) return KindAppData;
    for (int zeros = 0; zeros < kRunKindCount; ++zeros) {
        if (stream->getBool()) return kRunKinds[zeros];
    }
    return KindRateRequest;
}

// ---------------------------------------------------------------------------
// Records

HistoryRecord* VNet_Connection::takeSpareRecord()
{
    HistoryRecord* record = m_spareRecords.take();
    if (!record) fatalError("VNet_Connection: out of memory");
    return record;
}

void VNet_Connection::releaseRecord(HistoryRecord* record)
{
    destroyStream(record->keptStream);
    destroyStream(record->savedCopy);
    delete record;
}

void VNet_Connection::recycleRecord(HistoryRecord* record)
{
    destroyStream(record->keptStream);
    destroyStream(record->savedCopy);
    *record = HistoryRecord{};
    m_spareRecords.give(record);
}

// The datagram as sent, for the time-out resend: its bits only, in a
// stream of their size, from the socket's spares.
VNet_BitStream* VNet_Connection::copyForResend(VNet_BitStream& stream)
{
    VNet_BitStream* copy = m_socket ? m_socket->packets().makeStream(stream.getSizeHint()) : nullptr;
    if (!copy) return nullptr;
    copy->addBitStream(&stream);
    return copy;
}

void VNet_Connection::dropSavedCopy(HistoryRecord* record)
{
    // A connection going away may outlive its socket's slot in the control.
    if (m_socket && !m_destroying) {
        m_socket->packets().recycle(record->savedCopy);
    } else {
        destroyStream(record->savedCopy);
    }
    record->savedCopy = nullptr;
}

void VNet_Connection::dropPacket(VNet_Packet* packet)
{
    // A deferred packet still holds its spare record.
    if (HistoryRecord* record = packet->getHistory()) {
        packet->setHistory(nullptr);
        if (record != m_history[record->number]) releaseRecord(record);
    }
    delete packet;
}

bool VNet_Connection::windowFull() const
{
    const bool eightInFlight = m_oldest >= 0 && wrap(m_nextOut - m_oldest) >= kWindow;
    if (eightInFlight || spanFull()) return true;
    // The peer takes any number up to eight past the last one it took as
    // new, and we take a section that names one of our numbers sent and not
    // yet named (sectionCanBeNewest). So a number's older use can be misread
    // as the new one in two ways, each closed by a wait of the longest way a
    // datagram takes (reuseWait):
    // - A copy of our packet a cycle before (late, duplicated or resent)
    //   arriving once the peer has taken a number from the one eight before
    //   ours on. A number goes out only once every copy of the one eight
    //   before it can have arrived; so no copy of the one sixteen before
    //   comes after the peer took the one eight before.
    // - A section the peer wrote when it had last taken the number a cycle
    //   before ours, arriving once ours went out. The peer wrote no such
    //   section after it took the number fifteen before ours; its section
    //   that settled that number here was written later still. So a number
    //   goes out only once every section written before that one came.
    // A number whose packet was reported missing or sent again may have a
    // copy on its way that the first trips say little of
    // (doubtfulCopiesWait). The farewell of a control that goes down cannot
    // wait; nothing follows it.
    if (m_farewell) return false;
    const int older = wrap(m_nextOut - kWindow);
    const uint32_t wait = reuseWait();
    const uint32_t copiesWait = m_doubtfulCopies[older] ? doubtfulCopiesWait() : wait;
    if (copiesWait == 0) return false;
    const uint32_t now = Vornet::getTime();
    const uint32_t copiesSent = m_lastSentAt[older];
    const uint32_t sectionsWritten = m_settledAt[wrap(m_nextOut + 1)];
    return (copiesSent != 0 && now - copiesSent < copiesWait) || (sectionsWritten != 0 && now - sectionsWritten < wait);
}

// Sixteen numbers past the one the peer's newest numbered packet names, a
// section naming our newest number could not be told from one naming the
// number a cycle before (takeAckSection).
bool VNet_Connection::spanFull() const
{
    return ackSpan() >= kSequenceCount - 1;
}

// A packet goes again no sooner than the longest trip measured lately: on a
// path slower than the time-out every packet would go twice or more before
// its answer came, and a packet sent again gives no round-trip sample, so
// that the average ping and the time-out would never learn the path. On a
// path whose trips vary, the longest sampled falls short of the longest
// the path takes, and a packet sent again just before its answer comes
// holds the number eight after it back for a whole reuse wait (windowFull):
// half the spread of the trips goes on top.
uint32_t VNet_Connection::resendTimeout() const
{
    const uint32_t base = m_stats.averagePing > 100 ? 2u * m_stats.averagePing : kFirstTripGuessMs;
    return std::max(base, longestTripBound());
}

int VNet_Connection::ackSpan() const
{
    return wrap(m_nextOut - 1 - m_peerAckLast);
}

// ---------------------------------------------------------------------------
// Building

VNet_Packet* VNet_Connection::newPacket(int32_t kind, int32_t mode)
{
    const bool deferred = mode == ModeSequenced && (windowFull() || m_outgoing.count() > 0);
    if (deferred && kind == KindNodeData) return nullptr;
    if (!m_socket) {
        log(LogError, "unable to add packet header");
        return nullptr;
    }
    const auto sizeHint = static_cast<unsigned short>(m_sendRate.bytesPerPacket);
    VNet_Packet* packet = m_socket->packets().makePacket(sizeHint);
    if (!packet) {
        log(LogError, "out of memory(np)");
        return nullptr;
    }
    packet->setDestination(m_peer);
    packet->setMode(mode);
    packet->setKind(kind);
    const uint32_t flags = kind == KindConnectRequest ? uint32_t(VNet_Socket::FlagConnectionRequest) : 0u;
    if (!m_socket->addPacketHeader(packet, m_control->controlId, m_peer.getControlID(), flags)) {
        log(LogError, "unable to add packet header");
        delete packet;
        return nullptr;
    }
    if (!m_outgoing.append(packet)) {
        log(LogError, "out of memory(np)");
        delete packet;
        return nullptr;
    }
    VNet_BitStream* stream = packet->getStream();
    if (mode == ModeRaw) {
        stream->addBool(false);
        stream->addBool(kind == KindAckOnly);
        return packet;
    }
    stream->addBool(true);
    writeKind(stream, kind);
    if (!deferred) {
        writeSequence(stream);
        HistoryRecord* record = m_history[m_current];
        record->sendTime = Vornet::getTime();
        packet->setHistory(record);
        return packet;
    }
    // Numbered when the window allows: the bits so far wait in the header
    // stream, the body goes into a stream of its own.
    auto* body = new VNet_BitStream(sizeHint);
    if (!body) fatalError("VNet_Connection: out of memory");
    packet->setHeaderStream(nullptr);
    VNet_BitStream* header = new VNet_BitStream(*stream);
    if (!header) fatalError("VNet_Connection: out of memory");
    packet->setStream(body);
    packet->setHeaderStream(header);
    HistoryRecord* spare = takeSpareRecord();
    spare->kind = 0;
    packet->setHistory(spare);
    return packet;
}

void VNet_Connection::writeSequence(VNet_BitStream* stream)
{
    stream->addInt(static_cast<uint32_t>(m_nextOut), 4);
    m_current = m_nextOut;
    m_sendWindow[m_current] = SendEntry{true, -1, false};
    writeAcks(stream);
    if (m_current == 8) {
        // How long the last packet received waited for its first section,
        // which went out just now or on its own before (see
        // acknowledgeWhileBlocked): a section on its own answers it as well.
        const int64_t hold = m_lastReceived < 0 ? 0 : int64_t(m_answeredAt) - m_receiveTimes[m_lastReceived];
        stream->addInt(uint32_t(hold < 0 ? 0 : hold > 0xFFFF ? 0xFFFF : hold), 16);
    }
    m_nextOut = static_cast<int8_t>(wrap(m_nextOut + 1));
    if (m_oldest < 0) m_oldest = 0;
    HistoryRecord* record = m_history[m_current];
    destroyStream(record->keptStream);
    record->keptStream = nullptr;
}

void VNet_Connection::writeAcks(VNet_BitStream* stream)
{
    if (m_newestUnanswered) m_answeredAt = m_lastTickTime;
    m_newestUnanswered = m_ackOwed = false;
    const int first = m_lastReceived < 0 ? 8 : wrap(m_lastReceived - 7);
    stream->addInt(static_cast<uint32_t>(first), 4);
    for (int i = 0; i < kWindow; ++i) stream->addBool(m_received[wrap(first + i)]);
    if (m_state == StateClosing) setState(StateDead);
}

void VNet_Connection::queueAckOnly()
{
    if (VNet_Packet* packet = newPacket(KindAckOnly, ModeRaw)) writeAcks(packet->getStream());
}

// How long we hold the peer's packets before a section names them is part
// of every trip the peer measures, and so of the peer's reuse wait. While
// our own numbered packets wait (window or reuse wait), none carries a
// section; were the acknowledgements to wait with them, our wait would
// lengthen the peer's trips and its wait, and with it ours. So a send
// opportunity that no numbered packet can use acknowledges on its own.
void VNet_Connection::acknowledgeWhileBlocked()
{
    if (m_state == StateConnected && m_ackOwed && windowFull()) queueAckOnly();
}

// ---------------------------------------------------------------------------
// Acknowledgements

bool VNet_Connection::readAckSection(VNet_BitStream* stream, AckSection* section) const
{
    StreamReader reader(*stream);
    section->first = static_cast<uint8_t>(reader.getInt(4));
    section->received = 0;
    for (int i = 0; i < kWindow; ++i) {
        if (reader.getBool()) section->received |= static_cast<uint8_t>(1u << i);
    }
    return reader.complete();
}

// The peer copies a lost packet unchanged when it resends it, so the
// section a datagram carries can be much older than the datagram. Numbered
// packets are taken only in the order the peer numbered them, and the peer
// writes the section when it numbers a packet, so a numbered packet never
// names an older number than the one taken before it, and no number goes
// out sixteen past the one named last (spanFull). A section is therefore
// read as naming a number from that one up to our newest: an old copy is
// read as the old number it names, never as one a cycle newer.
// Returns whether the section is one the peer can have written; sets the
// send time of the last number when that round trip can be measured.
bool VNet_Connection::sectionCanBeNewest(const AckSection& section) const
{
    return wrap(section.last() - m_peerAckLast) <= ackSpan();
}

// An acknowledgement-only packet has no number to tell a copy the network
// kept back from a new one, and by the time a late copy arrives our numbers
// may have come round, so that it names packets just sent as received. A
// copy of a section seen before cannot acknowledge anything sent after that
// earlier arrival; such a copy is dropped. A copy that could be taken
// renews the memory: while the peer repeats a section and the network
// echoes it, the copies keep coming, and the one that comes after our
// numbers come round must still be known for one. The memory lasts a few
// of the shortest trips and one of the peer's send intervals, the longest
// it goes without repeating a section it has nothing newer for. A fresh
// section that happens to read the same is dropped too until the memory
// fades, which only delays it; the delay lengthens the trips measured, so
// the memory does not follow the longest trip, or it would lengthen
// itself.
bool VNet_Connection::isLateCopy(const AckSection& section, uint32_t now)
{
    const uint32_t memory = 4 * shortestTrip() + 1000u / uint32_t(std::max<int16_t>(m_pacingAsked, 1));
    SeenSection* oldest = &m_seenAckOnly[0];
    for (SeenSection& seen : m_seenAckOnly) {
        const bool remembered = seen.arrival != 0 && now - seen.arrival < memory;
        if (remembered && seen.section.first == section.first && seen.section.received == section.received) {
            if (reportsSentSince(section, seen.arrival)) return true;
            seen.arrival = now;
            return false;
        }
        if (now - seen.arrival > now - oldest->arrival) oldest = &seen;
    }
    *oldest = SeenSection{section, now};
    return false;
}

// Whether the section reports received one of our outstanding numbers for
// which test holds.
template <class Test>
bool VNet_Connection::reportsOutstanding(const AckSection& section, Test test) const
{
    for (int i = 0; i < kWindow; ++i) {
        const int n = wrap(section.first + i);
        const bool received = (section.received >> i) & 1;
        if (received && m_sendWindow[n].outstanding && test(n)) return true;
    }
    return false;
}

bool VNet_Connection::reportsSentSince(const AckSection& section, uint32_t since) const
{
    return reportsOutstanding(section, [&](int n) { return int32_t(m_lastSentAt[n] - since) > 0; });
}

bool VNet_Connection::takeAckSection(const AckSection& section, bool numbered, uint32_t receiveTime,
                                     uint32_t* sendTime)
{
    *sendTime = 0;
    if (!sectionCanBeNewest(section)) return false;
    const int reach = wrap(section.last() - m_peerAckLast);
    const int span = ackSpan();
    if (numbered) m_peerAckLast = static_cast<int8_t>(section.last());
    // Numbers below the oldest unsettled one are settled already, and
    // their slots may hold packets in flight now.
    const int unsettled = m_oldest < 0 ? 0 : wrap(m_nextOut - m_oldest);
    if (reach >= span - unsettled) *sendTime = applyAcks(section, receiveTime);
    return true;
}

uint32_t VNet_Connection::applyAcks(const AckSection& section, uint32_t receiveTime)
{
    const int last = section.last();
    const bool lastOutstanding = m_sendWindow[last].outstanding;
    const uint32_t sendTime = m_sendTimes[last];
    followAcknowledged(section, receiveTime);
    for (int i = 0; i < kWindow; ++i) {
        const int n = wrap(section.first + i);
        if ((section.received >> i) & 1) {
            if (m_lostAhead[n] >= 0) noteReceived(n, receiveTime);
            ackPacket(true, n, receiveTime);
        } else if (takeMissingReport(n, last)) {
            ackPacket(false, n, receiveTime);
        }
    }
    return lastOutstanding && (section.received & 0x80) ? sendTime : 0;
}

void VNet_Connection::ackPacket(bool delivered, int n, uint32_t now)
{
    if (!m_sendWindow[n].outstanding) return;
    if (n != m_oldest) {
        m_sendWindow[n].buffered = delivered ? 1 : 0;
        return;
    }
    resolvePacket(delivered, n, true, now);
    while (m_oldest >= 0 && m_oldest != m_nextOut && m_sendWindow[m_oldest].outstanding &&
           m_sendWindow[m_oldest].buffered >= 0) {
        const SendEntry entry = m_sendWindow[m_oldest];
        resolvePacket(entry.buffered == 1, m_oldest, !entry.noResend, now);
    }
}

void VNet_Connection::countLost()
{
    if (m_stats.lostThisSecond < 0xFF) ++m_stats.lostThisSecond;
}

void VNet_Connection::resolvePacket(bool delivered, int n, bool resendAllowed, uint32_t now)
{
    HistoryRecord* record = m_history[n];
    if (record->kind == 0) return;
    if (!delivered) {
        countLost();
        m_doubtfulCopies[n] = true;
    }
    dropSavedCopy(record);
    m_oldest = static_cast<int8_t>(wrap(m_oldest + 1));
    m_sendWindow[n] = SendEntry{false, -1, false};
    m_settledAt[n] = now;
    settleKind(record, delivered, resendAllowed, now);
}

void VNet_Connection::settleKind(HistoryRecord* record, bool delivered, bool resendAllowed, uint32_t now)
{
    const int32_t kind = record->kind;
    record->kind = 0;
    VNet_BitStream* kept = record->keptStream;
    record->keptStream = nullptr;
    switch (kind) {
    case KindNodeData:
        settleNodeData(record, delivered);
        break;
    case KindConnectRequest:
        // A request that is already answered needs no resend.
        if (!delivered && m_state == StateHandshake && m_isOpener) {
            destroyStream(m_pendingStream);
            m_pendingStream = kept;
            if (resendAllowed) sendRequest(true);
            return;
        }
        break;
    case KindDisconnect:
    case KindDeny:
        if (delivered) {
            if (!m_destroying) {
                if (m_state >= StateConnected) notify(EventClosed, kept);
                setState(StateDead);
            }
            break;
        }
        if (kind == KindDisconnect && m_state == StateDisconnectSent) {
            destroyStream(m_pendingStream);
            m_pendingStream = kept;
            setState(StateDisconnectPending);
            return;
        }
        if (kind == KindDeny && m_state == StateDenySent) {
            answerRequest(false, kept);
            return;
        }
        break;
    case KindAccept:
        if (delivered) {
            if (!m_destroying && m_state == StateHandshake) {
                setState(StateConnected);
                notify(EventEstablished);
            }
            break;
        }
        if (m_state == StateHandshake) {
            answerRequest(true, kept);
            return;
        }
        break;
    case KindLevelRequest:
        if (!delivered) resendLevelRequest(record->orderOrLevel);
        break;
    case KindLevelResult:
        if (!delivered) {
            resendLevelResult(kept);
            return;
        }
        break;
    case KindRateRequest:
        if (delivered) {
            peerTookRate();
        } else {
            m_rateRequestSent = false;
        }
        break;
    case KindAppData:
        if (delivered) {
            orderDelivered(record->orderOrLevel, now);
            break;
        }
        settleLostData(record->number, record->orderOrLevel, kept);
        return;
    default:
        break;
    }
    destroyStream(kept);
}

// ---------------------------------------------------------------------------
// Transmission

bool VNet_Connection::simulateLoss()
{
    float loss = m_simulatedLoss > 0.0f ? m_simulatedLoss : m_control->simulatedLoss;
    if (loss <= 0.0f) return false;
    // xorshift32: cheap, and the same run for the same seed.
    m_random ^= m_random << 13;
    m_random ^= m_random >> 17;
    m_random ^= m_random << 5;
    const uint32_t r = m_random % 1000;
    return (1.0f - loss) * 1000.0f < static_cast<float>(r);
}

void VNet_Connection::countSent(unsigned bytes, uint32_t now)
{
    m_stats.bytesSentThisSecond += bytes;
    m_stats.totalBytesSent += bytes;
    ++m_stats.packetsSentThisSecond;
    m_stats.lastSendTime = now;
}

bool VNet_Connection::transmit(VNet_Packet* packet, HistoryRecord* resent)
{
    const uint32_t now = Vornet::getTime();
    const bool sequenced = packet->getMode() == ModeSequenced;
    HistoryRecord* record = resent ? resent : packet->getHistory();
    packet->setHistory(nullptr);
    if (sequenced && VNET_CHECK(record, "_hist") && record) {
        dropSavedCopy(record);
        record->savedCopy = copyForResend(*packet->getStream());
        record->sendTime = now;
        record->kind = packet->getKind();
        // A resent packet gives no round-trip sample: its acknowledgement
        // may answer either sending.
        m_sendTimes[record->number] = resent ? 0 : now;
        m_lastSentAt[record->number] = now;
        m_doubtfulCopies[record->number] = resent != nullptr;
        if (!resent) {
            // The number is given again: a loss kept under it stands.
            confirmLoss(record->number);
            m_firstSentAt[record->number] = now;
            m_lostAhead[record->number] = -1;
        }
    }
    const unsigned bytes = packet->getSize();
    if (!m_farewell && simulateLoss()) {
        delete packet;
        countSent(bytes, now);
        return true;
    }
    const uint32_t lag = m_simulatedLag > 0 ? m_simulatedLag : m_control->simulatedLag;
    if (!m_farewell && lag > 0 && m_delayed.append(packet)) {
        packet->setTime(now + lag);
        countSent(bytes, now);
        return true;
    }
    if (!m_control->routePacket(packet)) {
        if (sequenced && record) {
            // Settled in order like an acknowledgement would be: only the
            // oldest packet may move the window.
            const int n = record->number;
            if (n == m_oldest) {
                resolvePacket(false, n, false, now);
            } else if (m_sendWindow[n].outstanding) {
                m_sendWindow[n].buffered = 0;
                m_sendWindow[n].noResend = true;
            }
        }
        return false;
    }
    countSent(bytes, now);
    return true;
}

void VNet_Connection::numberDeferred(VNet_Packet* packet)
{
    VNet_BitStream* header = packet->takeHeaderStream();
    writeSequence(header);
    HistoryRecord* spare = packet->getHistory();
    recycleRecord(m_history[m_current]);
    m_history[m_current] = spare;
    spare->number = static_cast<uint8_t>(m_current);
    header->addBitStream(packet->getStream());
    packet->setStream(header);
}

void VNet_Connection::flushOutgoing()
{
    // Packets queued while flushing (the answers to a failed route) wait
    // for the next step.
    auto* last = m_outgoing.last();
    bool blocked = false;
    for (auto* node = m_outgoing.first(); node;) {
        const bool isLast = node == last;
        VNet_Packet* packet = node->payload;
        const bool sequenced = packet->getMode() == ModeSequenced;
        if (sequenced && !blocked && packet->getHeaderStream()) {
            if (windowFull()) {
                blocked = true;
            } else {
                numberDeferred(packet);
            }
        }
        if (sequenced && blocked) {
            node = isLast ? nullptr : node->next;
            continue;
        }
        node = m_outgoing.remove(node);
        transmit(packet, nullptr);
        if (isLast) break;
    }
}

// ---------------------------------------------------------------------------
// Time-out resend

void VNet_Connection::checkResend(uint32_t now)
{
    // Also while the handshake runs: a lost request or answer is sent again
    // instead of waiting for the connection time-out.
    if (m_state < StateHandshake || m_oldest < 0) return;
    if (m_oldest == m_nextOut) {
        // Nothing to resend, yet no number may go out until the peer numbers
        // a packet of its own, which may wait for our acknowledgements.
        if (spanFull() && now - m_lastAckOnly > resendTimeout()) {
            m_lastAckOnly = now;
            queueAckOnly();
        }
        return;
    }
    HistoryRecord* record = m_history[m_oldest];
    if (record->kind == 0) return;
    if (now - record->sendTime <= resendTimeout()) return;
    countLost();
    record->sendTime = now;
    queueAckOnly();
    resendOldest(now);
}

void VNet_Connection::resendOldest(uint32_t)
{
    HistoryRecord* record = m_history[m_oldest];
    if (!record->savedCopy) return;
    log(LogVerbose, "packet timed out - resending...");
    auto* packet = new VNet_Packet(record->savedCopy);
    if (!packet) return;
    record->savedCopy = nullptr;
    packet->setDestination(m_peer);
    packet->setMode(ModeSequenced);
    packet->setKind(record->kind);
    transmit(packet, record);
}

// ---------------------------------------------------------------------------
// Receiving

bool VNet_Connection::isNewNumber(int s) const
{
    if (m_state < StateResolving) return true;
    const int l = m_lastReceived;
    if (s == l) return false;
    const int distance = l < s ? s - l : s - l + 16;
    return distance <= kWindow;
}

void VNet_Connection::skipTo(int s)
{
    if (m_state < StateResolving) return;
    for (int k = wrap(m_lastReceived + 1); k != s; k = wrap(k + 1)) m_received[k] = false;
}

// Ordered data overtaken on the way by a newer packet: taken when its
// number is still in the window and missing, so that reordering alone does
// not cost a resend. Its acknowledgements are older than those taken and
// are left. It is reported received also when it carries data delivered
// already: that is how a resend usually comes, since the packets numbered
// after it in the same burst tend to overtake it, and reporting it missing
// would have it resent for ever while the ordered window stands still. A
// copy from a cycle before cannot be behind in the window: its number went
// out again only after the reuse wait (windowFull), twice over.
bool VNet_Connection::takeLateData(int s, VNet_BitStream* stream)
{
    if (m_state != StateConnected || m_lastReceived < 0) return false;
    const int behind = wrap(m_lastReceived - s);
    if (behind == 0 || behind >= kWindow || m_received[s]) return false;
    m_stats.lastReceiveTime = Vornet::getTime();
    m_received[s] = true;
    receiveOrderedData(stream);
    return true;
}

bool VNet_Connection::handlePacket(VNet_Packet* packet, bool fromUnknownSource)
{
    const uint32_t now = Vornet::getTime();
    VNet_BitStream* stream = packet->getStream();
    m_stats.bytesReceivedThisSecond += packet->getSize();
    m_stats.totalBytesReceived += packet->getSize();
    ++m_stats.packetsReceivedThisSecond;

    StreamReader reader(*stream);
    const bool sequenced = reader.getBool();
    // Only a numbered request opens a connection; anything raw from a
    // stranger, such as an acknowledgement that overtook the request, is
    // laid out otherwise and not read as one.
    if (!sequenced && fromUnknownSource) return false;
    if (!sequenced) {
        const bool ackOnly = reader.getBool();
        if (!reader.complete()) return false;
        if (!ackOnly) {
            m_stats.lastReceiveTime = now;
            notify(EventApplicationData, stream);
            return true;
        }
        AckSection section;
        uint32_t sendTime = 0;
        if (!readAckSection(stream, &section) || isLateCopy(section, now) ||
            !takeAckSection(section, false, packet->getTime(), &sendTime)) {
            return false;
        }
        // Sections go on their own while the peer's numbered packets wait,
        // and may settle our newest number before a numbered packet names
        // it: the round trip is measured here then.
        if (sendTime > 0) measureRoundTrip(packet->getTime(), sendTime);
        m_stats.lastReceiveTime = now;
        return true;
    }
    const int32_t kind = readKind(stream);
    if (kind == KindConnectRequest && m_state > StateDead) {
        if (isDuplicateRequest(*stream)) {
            // While answering, the opener did not get the answer: send it
            // again. Later it is a copy the network kept back.
            if (answeringRequest() && m_oldest >= 0 && m_oldest != m_nextOut) resendOldest(now);
            return false;
        }
        resetBySecondRequest();
        return false;
    }
    if (m_isOpener && (m_state == StateResolving || m_state == StateHandshake) && kind != KindAccept &&
        kind != KindDeny && kind != KindWrongVersion) {
        log(LogVerbose, "ignored packet while still connecting");
        return false;
    }
    const int s = static_cast<int>(reader.getInt(4));
    AckSection section;
    const bool acks = readAckSection(stream, &section);
    const uint32_t hold = s == 8 ? reader.getInt(16) : 0;
    if (!acks || !reader.complete() || stream->endOfStream()) return false;
    // A packet we have already, sent again, tells that our sections did not
    // reach the peer: it waits for one as much as a new packet.
    m_ackOwed = true;
    if (!isNewNumber(s)) return kind == KindAppData && takeLateData(s, stream);
    // The peer wrote this section after the one of the packet taken last,
    // which it numbered before: a section that cannot be newer is that of a
    // copy from a cycle before, whose number came round.
    if (!sectionCanBeNewest(section)) return false;
    m_newestUnanswered = true;
    skipTo(s);
    // Only a packet in the window proves the peer alive: replays do not.
    m_stats.lastReceiveTime = now;
    m_receiveTimes[s] = packet->getTime();
    m_lastReceived = static_cast<int8_t>(s);
    m_received[s] = true;
    uint32_t sendTime = 0;
    takeAckSection(section, true, packet->getTime(), &sendTime);
    if (s == 8) m_peerHoldTime = static_cast<uint16_t>(hold);
    if (sendTime > 0) measureRoundTrip(packet->getTime(), sendTime);
    if (fromUnknownSource) return kind == KindConnectRequest;
    // A packet whose content was refused is reported missing.
    if (!dispatch(kind, packet)) m_received[s] = false;
    return true;
}

bool VNet_Connection::dispatch(int32_t kind, VNet_Packet* packet)
{
    VNet_BitStream* stream = packet->getStream();
    switch (kind) {
    case KindNodeData:
        if (m_state == StateConnected) return readNodes(stream, packet->getTime());
        break;
    case KindDisconnect:
        handleDisconnect(stream);
        break;
    case KindWrongVersion:
        handleWrongVersion();
        break;
    case KindAccept:
        handleAccept(stream);
        break;
    case KindDeny:
        handleDeny(stream);
        break;
    case KindLevelRequest:
        if (m_state == StateConnected) handleLevelRequest(stream);
        break;
    case KindLevelResult:
        if (m_state == StateConnected) handleLevelResult(stream);
        break;
    case KindRateRequest:
        if (m_state == StateConnected) handleRateRequest(stream);
        break;
    case KindAppData:
        if (m_state == StateConnected) receiveOrderedData(stream);
        break;
    default:
        break;
    }
    return true;
}

}  // namespace Vornet_Private
