// Application data in order, rate requests and vornlevel changes of a
// connection.
#include "vornet/vornet.h"
#include "vornet_assert.h"
#include "vornet_connection.h"
#include "vornet_control_private.h"
#include "vornet_log.h"
#include "vornet_packet.h"
#include "vornet_stream_reader.h"

namespace Vornet_Private {

namespace {

// Ordered data in flight, and held back for its turn, spans at most this
// many order numbers.
constexpr int kOrderWindow = 8;

int wrapOrder(int n)
{
    return n & 15;
}

uint16_t orderBit(int order)
{
    return static_cast<uint16_t>(1u << wrapOrder(order));
}

}  // namespace

// ---------------------------------------------------------------------------
// Sending application data

bool VNet_Connection::queueData(VNet_BitStream* stream, int32_t mode)
{
    if (!stream) return false;
    // The wire has one reliable form, and it keeps order: unordered reliable
    // data travels in it rather than waiting in the queue for ever.
    if (mode == eVNet_ReliableUnordered) mode = eVNet_ReliableOrdered;
    if (mode != eVNet_ReliableOrdered && mode != eVNet_Unreliable) {
        log(LogError, "send mode %d cannot carry application data - refused", int(mode));
        destroyStream(stream);
        return false;
    }
    if (stream->getBitCount() > payloadLimitBits()) {
        log(LogError, "application data too large for one packet: %u bits - refused", stream->getBitCount());
        destroyStream(stream);
        return false;
    }
    DataItem* item = m_spareItems.take();
    if (!item || !m_dataQueue.append(item)) {
        recycleDataItem(item);
        log(LogError, "out of memory(np)");
        destroyStream(stream);
        return false;
    }
    item->stream = stream;
    item->mode = mode;
    return true;
}

bool VNet_Connection::sendDataItem(DataItem* item)
{
    const bool reliable = item->mode == eVNet_ReliableOrdered;
    VNet_Packet* packet = newPacket(KindAppData, reliable ? ModeSequenced : ModeRaw);
    if (!packet) return false;
    VNet_BitStream* stream = packet->getStream();
    if (!reliable) {
        stream->addBitStream(item->stream);
        destroyStream(item->stream);
        return true;
    }
    if (item->order < 0) {
        item->order = m_nextOrderOut;
        m_lostCarrierSentAt[item->order] = 0;
        m_nextOrderOut = static_cast<int8_t>(wrapOrder(m_nextOrderOut + 1));
    }
    stream->addInt(static_cast<uint32_t>(item->order), 4);
    stream->addBitStream(item->stream);
    HistoryRecord* record = packet->getHistory();
    record->orderOrLevel = static_cast<uint8_t>(item->order);
    destroyStream(record->keptStream);
    record->keptStream = item->stream;
    m_ordersInFlight |= orderBit(item->order);
    return true;
}

bool VNet_Connection::sendQueuedData()
{
    bool sent = false;
    for (auto* node = m_dataQueue.first(); node;) {
        DataItem* item = node->payload;
        if (!item->resent && !orderFree(m_nextOrderOut - kOrderWindow)) break;
        if (!sendDataItem(item)) break;
        recycleDataItem(item);
        node = m_dataQueue.remove(node);
        sent = true;
    }
    return sent;
}

// Whether a new order number may go out, the one this many before it
// being given. Once the new number is delivered, the receiver takes the
// given one as due again (holdOrderedData); so the given one must be
// settled as delivered, and no copy of it may still be on its way. A
// packet settled as lost can still arrive: on a path that reorders, a loss
// report often means overtaken, and its data goes again in another packet
// (requeueLostData). So the number waits until every such packet can have
// arrived, as long as a sequence number waits before it is used again.
bool VNet_Connection::orderFree(int order) const
{
    if (m_ordersInFlight & orderBit(order)) return false;
    const uint32_t lostSentAt = m_lostCarrierSentAt[wrapOrder(order)];
    return lostSentAt == 0 || m_farewell || Vornet::getTime() - lostSentAt >= doubtfulCopiesWait();
}

void VNet_Connection::orderDelivered(uint8_t order, uint32_t now)
{
    m_ordersInFlight = static_cast<uint16_t>(m_ordersInFlight & ~orderBit(order));
    m_orderedProgressAt = now;
}

// Items are kept for the next messages: a connection that sends steadily
// allocates none.
void VNet_Connection::recycleDataItem(DataItem* item)
{
    if (!item) return;
    *item = DataItem{};
    m_spareItems.give(item);
}

void VNet_Connection::requeueLostData(uint8_t order, VNet_BitStream* stream, uint32_t lostSentAt)
{
    m_lostCarrierSentAt[wrapOrder(order)] = lostSentAt;
    DataItem* item = m_spareItems.take();
    if (!item) fatalError("VNet_Connection: out of memory");
    item->stream = stream;
    item->mode = eVNet_ReliableOrdered;
    item->order = static_cast<int8_t>(order);
    item->resent = true;
    // Behind the other resends, ahead of new data.
    auto* node = m_dataQueue.first();
    while (node && node->payload->resent) node = node->next;
    auto* placed = node ? m_dataQueue.insertBefore(node, item) : m_dataQueue.append(item);
    if (!placed) fatalError("VNet_Connection: out of memory");
}

// ---------------------------------------------------------------------------
// Receiving ordered data

bool VNet_Connection::receiveOrderedData(VNet_BitStream* stream)
{
    StreamReader reader(*stream);
    const auto order = static_cast<int8_t>(reader.getInt(4));
    if (!reader.complete()) return false;
    if (order != m_nextOrderIn) return holdOrderedData(stream, order);
    m_nextOrderIn = static_cast<int8_t>(wrapOrder(m_nextOrderIn + 1));
    m_orderedProgressAt = Vornet::getTime();
    notify(EventApplicationData, stream);
    deliverHeldData();
    return true;
}

void VNet_Connection::deliverHeldData()
{
    while (m_holdList.first() && m_holdList.first()->payload->order == m_nextOrderIn) {
        HeldItem* held = m_holdList.first()->payload;
        m_holdList.remove(m_holdList.first());
        m_nextOrderIn = static_cast<int8_t>(wrapOrder(m_nextOrderIn + 1));
        notify(EventApplicationData, held->stream);
        destroyStream(held->stream);
        delete held;
    }
}

bool VNet_Connection::holdOrderedData(VNet_BitStream* stream, int8_t order)
{
    // Only numbers the sender can have in flight ahead of the next one, and
    // each once: anything else was delivered already or is forged, and
    // would wait for ever.
    const int ahead = wrapOrder(order - m_nextOrderIn);
    if (ahead == 0 || ahead >= kOrderWindow) return false;
    for (auto* node = m_holdList.first(); node; node = node->next) {
        if (node->payload->order == order) return false;
    }
    auto* held = new HeldItem;
    if (held) held->stream = new VNet_BitStream(*stream);
    if (!held || !held->stream) {
        if (held) delete held;
        log(LogError, "out of memory(np)");
        return false;
    }
    held->order = order;
    auto* after = m_holdList.last();
    while (after && wrapOrder(order - after->payload->order) >= kOrderWindow) after = after->prev;
    auto* placed = after ? m_holdList.insertAfter(after, held) : m_holdList.prepend(held);
    if (!placed) {
        destroyStream(held->stream);
        delete held;
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Rate requests

void VNet_Connection::sendRateRequest()
{
    VNet_Packet* packet = newPacket(KindRateRequest, ModeSequenced);
    if (!packet) return;
    packet->getStream()->addInt(static_cast<uint16_t>(m_ownRequestedRate.bytesPerPacket), 16);
    packet->getStream()->addInt(static_cast<uint16_t>(m_ownRequestedRate.packetsPerSecond), 16);
    m_rateRequestSent = true;
}

void VNet_Connection::handleRateRequest(VNet_BitStream* stream)
{
    StreamReader reader(*stream);
    const uint32_t bytesPerPacket = reader.getInt(16);
    const uint32_t packetsPerSecond = reader.getInt(16);
    if (!reader.complete()) return;
    setPeerRates(packetsPerSecond, bytesPerPacket);
    m_sendRate.packetsPerSecond = m_peerRequestedRate.packetsPerSecond;
    m_control->redistributePending = true;
    log(LogNormal, "peer requested new connection quality: %d bpp/%d pps", int(m_peerRequestedRate.bytesPerPacket),
        int(m_peerRequestedRate.packetsPerSecond));
}

// ---------------------------------------------------------------------------
// Vornlevels

bool VNet_Connection::forceLevel(uint8_t level)
{
    if (m_state != StateConnected) {
        log(LogError, "trying to set vornlevel for unconnected connection");
        return false;
    }
    if (level > kMaxLevel) {
        log(LogWarning, "invalid vornlevel requested: %d", int(level));
        return false;
    }
    if (m_requestedLevel != kNoLevel) {
        m_waitingLevel = level;
        log(LogNormal, "vornlevel request waiting for current levelchange to complete: %d", int(level));
        return true;
    }
    if (level == static_cast<uint8_t>(m_level)) return true;
    m_requestedLevel = level;
    m_syncOrder = -1;
    syncNextGroup();
    return true;
}

bool VNet_Connection::sendLevelRequest(uint8_t level)
{
    if (m_state != StateConnected || !m_isOpener) return false;
    VNet_Packet* packet = newPacket(KindLevelRequest, ModeSequenced);
    if (!packet) return false;
    packet->getStream()->addInt(level, 8);
    packet->getHistory()->orderOrLevel = level;
    m_requestedLevel = level;
    log(LogNormal, "vornlevel request queued for level: %d", int(level));
    return true;
}

void VNet_Connection::resendLevelRequest(uint8_t level)
{
    if (m_state != StateConnected) return;
    VNet_Packet* packet = newPacket(KindLevelRequest, ModeSequenced);
    if (!packet) return;
    packet->getStream()->addInt(level, 8);
    packet->getHistory()->orderOrLevel = level;
}

void VNet_Connection::handleLevelRequest(VNet_BitStream* stream)
{
    StreamReader reader(*stream);
    const auto level = static_cast<uint8_t>(reader.getInt(8));
    if (!reader.complete()) return;
    if (level > kMaxLevel) {
        log(LogWarning, "received invalid vornlevel request: %d", int(level));
        sendLevelResult(level, 1, nullptr);
        return;
    }
    if (m_requestedLevel != kNoLevel) {
        m_waitingLevel = level;
        log(LogNormal, "vornlevel request waiting for current levelchange to complete: %d", int(level));
        return;
    }
    // The peer waits for an answer even when it asks for the level it has.
    if (level == static_cast<uint8_t>(m_level)) {
        sendLevelResult(level, 0, nullptr);
        return;
    }
    auto* reply = new VNet_BitStream(64);
    if (!reply) fatalError("VNet_Connection: out of memory");
    log(LogNormal, "received vornlevel request for level: %d", int(level));
    bool accepted;
    {
        LentStream lent(reply);
        accepted = m_control->owner->onVornLevelRequest(m_id, level, reply);
    }
    if (accepted) {
        log(LogNormal, "vornrequest accepted by application");
        destroyStream(reply);
        m_requestedLevel = level;
        m_syncOrder = -1;
        syncNextGroup();
        return;
    }
    if (reply->getBitCount() == 0) {
        destroyStream(reply);
        reply = nullptr;
    }
    sendLevelResult(level, 1, reply);
    log(LogNormal, "vornrequest denied by application");
}

bool VNet_Connection::sendLevelResult(uint8_t level, uint8_t result, VNet_BitStream* stream)
{
    if (m_state != StateConnected) {
        destroyStream(stream);
        return false;
    }
    if (stream && stream->getBitCount() > payloadLimitBits() - 24) {
        log(LogError, "level result stream too large for one packet: %u bits - not sent", stream->getBitCount());
        stream->Clear();
    }
    auto* body = new VNet_BitStream(64);
    if (!body) fatalError("VNet_Connection: out of memory");
    body->addInt(level, 8);
    body->addInt(result, 8);
    body->addBool(stream != nullptr);
    if (stream) body->addBitStream(stream);
    VNet_Packet* packet = newPacket(KindLevelResult, ModeSequenced);
    if (packet) {
        packet->getStream()->addBitStream(body);
        packet->getHistory()->keptStream = body;
    } else {
        destroyStream(body);
    }
    VNet_BitStream* told = stream ? stream : new VNet_BitStream(64);
    if (!told) fatalError("VNet_Connection: out of memory");
    {
        LentStream lent(told);
        m_control->owner->onVornLevelResult(m_id, result, level, told);
    }
    destroyStream(told);
    return packet != nullptr;
}

void VNet_Connection::resendLevelResult(VNet_BitStream* body)
{
    VNet_Packet* packet = m_state == StateConnected ? newPacket(KindLevelResult, ModeSequenced) : nullptr;
    if (!packet) {
        destroyStream(body);
        return;
    }
    packet->getStream()->addBitStream(body);
    packet->getHistory()->keptStream = body;
}

void VNet_Connection::handleLevelResult(VNet_BitStream* stream)
{
    StreamReader reader(*stream);
    const auto level = static_cast<uint8_t>(reader.getInt(8));
    const auto result = static_cast<uint8_t>(reader.getInt(8));
    if (!reader.complete()) return;
    log(LogNormal, "received result for vornrequest: %d", int(result));
    if (m_requestedLevel == kNoLevel) return;
    m_requestedLevel = kNoLevel;
    const bool hasStream = reader.getBool();
    VNet_BitStream* told = hasStream ? stream : new VNet_BitStream(64);
    if (!told) fatalError("VNet_Connection: out of memory");
    {
        LentStream lent(told);
        m_control->owner->onVornLevelResult(m_id, result, level, told);
    }
    if (!hasStream) destroyStream(told);
}

void VNet_Connection::syncNextGroup()
{
    for (;;) {
        int32_t order = 0;
        if (!m_control->nextSyncOrder(m_requestedLevel, m_syncOrder, &order)) {
            levelReached();
            return;
        }
        m_syncOrder = order;
        m_syncing = m_control->linkSyncGroup(this, m_requestedLevel, order);
        if (m_syncing > 0) return;
    }
}

void VNet_Connection::syncResult(bool success, VNet_BitStream* stream)
{
    if (success) {
        destroyStream(stream);
        if (m_syncing > 0 && --m_syncing == 0) syncNextGroup();
        return;
    }
    if (m_requestedLevel == kNoLevel) {
        destroyStream(stream);
        return;
    }
    m_syncOrder = -1;
    m_requestedLevel = kNoLevel;
    m_syncing = 0;
    dropForeignNodes(m_level);
    sendLevelResult(static_cast<uint8_t>(m_level), m_classSyncFailed ? 2 : 3, stream);
}

void VNet_Connection::levelReached()
{
    m_syncOrder = -1;
    m_control->setConnectionLevel(this, static_cast<int8_t>(m_requestedLevel), false, false);
    dropForeignNodes(m_level);
    m_requestedLevel = kNoLevel;
    m_control->activateLevelNodes(this);
    sendLevelResult(static_cast<uint8_t>(m_level), 0, nullptr);
    if (m_waitingLevel == kNoLevel) return;
    const uint8_t waiting = m_waitingLevel;
    m_waitingLevel = kNoLevel;
    if (waiting == static_cast<uint8_t>(m_level)) return;
    log(LogNormal, "now processing waiting vornlevel request: %d", int(waiting));
    forceLevel(waiting);
}

void VNet_Connection::dropForeignNodes(int8_t level)
{
    m_control->dropForeignNodes(this, level);
}

}  // namespace Vornet_Private
