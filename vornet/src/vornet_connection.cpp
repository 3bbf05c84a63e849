// Connection lifecycle: handshake, states, time-outs, disconnection,
// statistics and the output step.
#include "vornet_connection.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>

#include "platform/Random.h"
#include "vornet/vornet.h"
#include "vornet_assert.h"
#include "vornet_control_private.h"
#include "vornet_core.h"
#include "vornet_log.h"
#include "vornet_node_private.h"
#include "vornet_packet.h"
#include "vornet_socket.h"
#include "vornet_socket_udp.h"
#include "vornet_stream_reader.h"

namespace Vornet_Private {

namespace {

// Each character gives one bool of a connection request's marker.
const char* const connectionRequestMarker = "1100101";

// Values a peer sends are bounded before use: a rate of 0 packets per second
// would divide by zero, and a packet larger than a datagram cannot be sent.
constexpr int kMinPacketsPerSecond = 1;
constexpr int kMaxPacketsPerSecond = 1000;
constexpr int kMinBytesPerPacket = 1;
constexpr int kMaxBytesPerPacket = VNet_SocketUDP::kMaxPacketBytes;
// Largest packet on an in-process link: what a stream can hold, less room
// for the framing.
constexpr unsigned kMaxLocalPacketBytes = 65535 - 64;

int16_t clampRate(uint32_t value, int low, int high)
{
    if (value < static_cast<uint32_t>(low)) return static_cast<int16_t>(low);
    if (value > static_cast<uint32_t>(high)) return static_cast<int16_t>(high);
    return static_cast<int16_t>(value);
}

unsigned significantBits(uint32_t value)
{
    unsigned bits = 0;
    while (value) {
        ++bits;
        value >>= 1;
    }
    return bits;
}

// Loss simulation: every connection draws its own run of numbers. The runs
// start from a base that differs between processes unless a test fixes it.
std::atomic<uint32_t> lossSeedBase{0};
std::atomic<bool> lossSeedFixed{false};

uint32_t nextSeed()
{
    if (!lossSeedFixed.load()) {
        uint32_t unset = 0;
        lossSeedBase.compare_exchange_strong(unset, platform::randomSeed() | 1u);
    }
    // Golden-ratio steps keep the connections' runs apart; xorshift must
    // not start from 0.
    return lossSeedBase.fetch_add(0x9E3779B9u) | 1u;
}

}  // namespace

void seedLossSimulation(uint32_t base)
{
    lossSeedFixed.store(base != 0);
    lossSeedBase.store(base);
}

void destroyStream(VNet_BitStream* stream)
{
    if (!stream) return;
    stream->setFlag(VNET_BS_LOCKED_FLAG, false);
    delete stream;
}

// ---------------------------------------------------------------------------
// Construction and destruction

VNet_Connection::VNet_Connection(VNet_Control_Private* control) : m_control(control), m_random(nextSeed())
{
    m_history.setSize(kSequenceCount);
    for (int n = 0; n < kSequenceCount; ++n) {
        m_history[n] = new HistoryRecord;
        if (!m_history[n]) fatalError("VNet_Connection(): out of memory");
        m_history[n]->number = static_cast<uint8_t>(n);
        m_received[n] = true;
        m_sendWindow[n] = SendEntry{false, -1, false};
    }
    const uint32_t now = Vornet::getTime();
    m_lastTickTime = now;
    m_stats.lastSecondStart = now;
    createControlNode();
}

VNet_Connection::~VNet_Connection()
{
    m_destroying = true;
    for (int n = 0; n < kSequenceCount; ++n) {
        if (m_history[n]->kind != 0) resolvePacket(true, n, false, 0);
    }
    // Queued packets first: a deferred one still holds a spare record.
    for (auto* node = m_delayed.first(); node; node = node->next) dropPacket(node->payload);
    for (auto* node = m_outgoing.first(); node; node = node->next) dropPacket(node->payload);
    for (int n = 0; n < kSequenceCount; ++n) releaseRecord(m_history[n]);
    for (auto* node = m_dataQueue.first(); node; node = node->next) {
        destroyStream(node->payload->stream);
        delete node->payload;
    }
    for (auto* node = m_holdList.first(); node; node = node->next) {
        destroyStream(node->payload->stream);
        delete node->payload;
    }
    dropDoubtfulLosses();
    destroyStream(m_pendingStream);
    destroyStream(m_openingRequest);
    delete m_classIdMap;
    delete m_nodeIdMap;
    destroyControlNode();
    m_control->unlinkConnection(this);
}

void VNet_Connection::log(int level, const char* format, ...)
{
    char text[1024];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    const char* name = m_control ? m_control->debugName.getBuffer() : nullptr;
    logMessage(level, "[%s/%u]: %s", name ? name : "", m_id, text);
}

void VNet_Connection::notify(int32_t event, VNet_BitStream* stream)
{
    m_control->notifyConnectionEvent(event, this, stream);
}

void VNet_Connection::setPeer(const VNet_Address& address)
{
    m_peer = address;
    m_socket = m_control->socketForAddress(address);
}

void VNet_Connection::setDownstreamLimit(uint16_t packetsPerSecond, uint16_t bytesPerPacket)
{
    m_ownRequestedRate.packetsPerSecond = clampRate(packetsPerSecond, kMinPacketsPerSecond, kMaxPacketsPerSecond);
    m_ownRequestedRate.bytesPerPacket = clampRate(bytesPerPacket, kMinBytesPerPacket, kMaxBytesPerPacket);
    m_rateRequestSent = false;
}

void VNet_Connection::setPeerRates(uint32_t packetsPerSecond, uint32_t bytesPerPacket)
{
    m_peerRequestedRate.packetsPerSecond = clampRate(packetsPerSecond, kMinPacketsPerSecond, kMaxPacketsPerSecond);
    m_peerRequestedRate.bytesPerPacket = clampRate(bytesPerPacket, kMinBytesPerPacket, kMaxBytesPerPacket);
}

unsigned VNet_Connection::payloadLimitBits() const
{
    const unsigned packetBytes = m_peer.getType() == eVNet_AddressLocal ? kMaxLocalPacketBytes : VNet_SocketUDP::kMaxPacketBytes;
    // Framing: datagram header with both control ids, kind, sequence number,
    // acknowledgements, hold time and order number, each with its tag in
    // the checking build; 2 bytes of stream header.
    const unsigned width = m_socket ? m_socket->getControlIDSize() : 0;
    const unsigned intTag = VNet_BitStream::getTagOverheadInt();
    const unsigned boolTag = VNet_BitStream::getTagOverheadBool();
    const unsigned bools = 4 + 9 + 8;
    const unsigned framing = bools * (1 + boolTag) + 2 * (width + intTag) + (4 + intTag) * 3 + (16 + intTag);
    return (packetBytes - 2) * 8 - framing;
}

// ---------------------------------------------------------------------------
// Opening

bool VNet_Connection::connect(VNet_BitStream* request)
{
    const char* name = m_peer.getAddressHostname();
    if (m_peer.getType() == eVNet_AddressLocal) {
        log(LogNormal, "connecting to LOCAL: %d (control id: %d)", int(m_peer.getPort()), int(m_peer.getControlID()));
    } else {
        log(LogNormal, "connecting to UDP: %s (control id: %d)", name ? name : m_peer.getAddressIP(eVNet_IPWithPort),
            int(m_peer.getControlID()));
    }
    if (request && request->getBitCount() > payloadLimitBits()) {
        log(LogError, "connection request too large for one packet: %u bits", request->getBitCount());
        return false;
    }
    bool resolving = false;
    if (m_peer.getType() == eVNet_AddressUDP && m_peer.getIP() == 0) {
        if (!name || !m_peer.resolveHostname(true, 0)) return false;
        resolving = true;
    }
    destroyStream(m_pendingStream);
    setState(StateResolving);
    m_pendingStream = request;
    m_isOpener = true;
    if (resolving) return true;
    if (!sendRequest(false)) {
        m_pendingStream = nullptr;
        setState(StateNew);
        return false;
    }
    return true;
}

bool VNet_Connection::sendRequest(bool resend)
{
    log(LogVerbose, "preparing connection request");
    if (!resend) {
        // Fresh tables for what the acceptor will announce.
        delete m_classIdMap;
        delete m_nodeIdMap;
        m_classIdMap = new IdMap;
        m_nodeIdMap = new IdMap;
        if (!m_classIdMap || !m_nodeIdMap) return false;
        m_classIdMap->set(m_control->controlClassId, m_control->controlClassId);
    }
    VNet_Packet* packet = newPacket(KindConnectRequest, ModeSequenced);
    if (!packet) return false;
    VNet_BitStream* stream = packet->getStream();
    for (const char* marker = connectionRequestMarker; *marker; ++marker) stream->addBool(*marker == '1');
    stream->addInt(kProtocolVersion, 16);
    stream->addBool(true);
    stream->addInt(static_cast<uint16_t>(m_ownRequestedRate.packetsPerSecond), 16);
    stream->addInt(static_cast<uint16_t>(m_ownRequestedRate.bytesPerPacket), 16);
    m_pacingAsked = m_ownRequestedRate.packetsPerSecond;
    m_classIdWidth = static_cast<uint8_t>(
        significantBits(m_control->classDict ? m_control->classDict->getClassCount() : 0));
    stream->addInt(m_classIdWidth, 5);
    const unsigned width = m_socket->getControlIDSize();
    if (width > 0) stream->addInt(m_control->controlId, static_cast<unsigned char>(width));
    if (m_pendingStream && !stream->addBitStream(m_pendingStream)) log(LogError, "unable to attach request");
    m_rateRequestSent = true;
    if (m_state == StateResolving) m_stats.lastReceiveTime = Vornet::getTime();
    setState(StateHandshake);
    HistoryRecord* record = packet->getHistory();
    if (VNET_CHECK(record, "hist")) {
        destroyStream(record->keptStream);
        record->keptStream = m_pendingStream;
        m_pendingStream = nullptr;
    }
    log(LogVerbose, "connection request queued for sending");
    if (!resend) registerControlNode(eVNet_RoleProxy);
    return true;
}

// ---------------------------------------------------------------------------
// Accepting

bool VNet_Connection::handleRequest(VNet_Packet* packet)
{
    if (!handlePacket(packet, true)) return false;
    m_peer = packet->getSource();
    VNet_BitStream& stream = *packet->getStream();
    StreamReader reader(stream);
    for (const char* marker = connectionRequestMarker; *marker; ++marker) {
        if (reader.getBool() != (*marker == '1')) return false;
    }
    const uint32_t version = reader.getInt(16);
    const bool versionFlag = reader.getBool();
    if (!reader.complete()) return false;
    if (version != kProtocolVersion || !versionFlag) {
        sendWrongVersion();
        return false;
    }
    return parseRequestBody(stream) && (setState(StateRequestReceived), true);
}

bool VNet_Connection::parseRequestBody(VNet_BitStream& stream)
{
    StreamReader reader(stream);
    const uint32_t packetsPerSecond = reader.getInt(16);
    const uint32_t bytesPerPacket = reader.getInt(16);
    const uint32_t classIdWidth = reader.getInt(5);
    const unsigned width = m_socket ? m_socket->getControlIDSize() : 0;
    const uint32_t peerControlId = reader.getInt(width);
    if (!reader.complete()) return false;
    setPeerRates(packetsPerSecond, bytesPerPacket);
    m_sendRate = m_peerRequestedRate;
    m_classIdWidth = static_cast<uint8_t>(classIdWidth);
    m_peer.setControlID(static_cast<uint8_t>(peerControlId));
    m_control->redistributePending = true;
    m_bytesPerSecond = static_cast<uint16_t>(m_sendRate.packetsPerSecond * m_sendRate.bytesPerPacket);
    m_isOpener = false;
    delete m_classIdMap;
    delete m_nodeIdMap;
    m_classIdMap = m_nodeIdMap = nullptr;
    // Kept whole for the connection's life: the opener resends this very
    // datagram until answered, and the network may still hand over a copy
    // once the connection stands.
    destroyStream(m_openingRequest);
    m_openingRequest = new VNet_BitStream(stream);
    return true;
}

void VNet_Connection::sendWrongVersion()
{
    // Sent before the control discards the connection, so that the opener
    // learns why.
    if (newPacket(KindWrongVersion, ModeSequenced)) flushOutgoing();
}

void VNet_Connection::answerRequest(bool accepted, VNet_BitStream* reply)
{
    if (reply && reply->getBitCount() > payloadLimitBits()) {
        log(LogError, "reply too large for one packet: %u bits - not sent", reply->getBitCount());
        reply->Clear();
    }
    setState(accepted ? StateHandshake : StateDenySent);
    VNet_Packet* packet = newPacket(accepted ? KindAccept : KindDeny, ModeSequenced);
    if (!packet) {
        destroyStream(reply);
        return;
    }
    if (reply) packet->getStream()->addBitStream(reply);
    HistoryRecord* record = packet->getHistory();
    destroyStream(record->keptStream);
    record->keptStream = reply;
}

bool VNet_Connection::isDuplicateRequest(const VNet_BitStream& stream) const
{
    return m_openingRequest && m_openingRequest->isEqual(stream);
}

bool VNet_Connection::answeringRequest() const
{
    return m_state == StateRequestReceived || m_state == StateHandshake || m_state == StateDenySent;
}

void VNet_Connection::resetBySecondRequest()
{
    if (m_state == StateRequestReceived || m_state >= StateConnected) {
        notify(EventReset);
    } else if (m_isOpener && (m_state == StateResolving || m_state == StateHandshake)) {
        // The application waits for the outcome of its connect.
        notify(EventConnectTimedOut);
    }
    log(LogNormal, "received new connection request from same source - resetting connection");
    setState(StateDead);
}

// ---------------------------------------------------------------------------
// Handshake replies and disconnects

void VNet_Connection::handleAccept(VNet_BitStream* stream)
{
    if (m_state != StateHandshake || !m_isOpener) {
        log(LogWarning, "received invalid accept packet - ignored");
        return;
    }
    setState(StateConnected);
    log(LogNormal, "peer accepted connection request");
    notify(EventAccepted, stream);
}

void VNet_Connection::handleDeny(VNet_BitStream* stream)
{
    if (m_state != StateHandshake || !m_isOpener) {
        log(LogWarning, "received invalid deny packet - ignored");
        return;
    }
    log(LogNormal, "peer denied connection request");
    setState(StateClosing);
    notify(EventDenied, stream);
}

void VNet_Connection::handleWrongVersion()
{
    if (m_state != StateHandshake || !m_isOpener) {
        log(LogWarning, "received invalid 'wrong version' packet - ignored");
        return;
    }
    log(LogNormal, "peer reported wrong version");
    setState(StateDead);
    notify(EventWrongVersion);
}

void VNet_Connection::handleDisconnect(VNet_BitStream* stream)
{
    if (m_state != StateConnected) {
        log(LogWarning, "received invalid disconnect packet - ignored");
        return;
    }
    log(LogNormal, "peer announced disconnect");
    setState(StateClosing);
    notify(EventClosed, stream);
}

void VNet_Connection::disconnect(VNet_BitStream* reason, bool announce)
{
    if (m_state < StateDisconnectPending && m_state != StateDead) {
        log(LogNormal, "disconnect requested by application");
        // Nothing went to a peer whose name is still being looked up: there
        // is nobody to tell, and no receive time would ever end the wait.
        if (announce && m_state != StateResolving) {
            if (reason && reason->getBitCount() > payloadLimitBits()) {
                log(LogError, "disconnect reason too large for one packet: %u bits - not sent", reason->getBitCount());
                destroyStream(reason);
                reason = nullptr;
            }
            destroyStream(m_pendingStream);
            setState(StateDisconnectPending);
            m_pendingStream = reason;
            return;
        }
        setState(StateDead);
    }
    destroyStream(reason);
}

bool VNet_Connection::sendDisconnectPacket()
{
    VNet_Packet* packet = newPacket(KindDisconnect, ModeSequenced);
    if (!packet) return false;
    if (m_pendingStream) packet->getStream()->addBitStream(m_pendingStream);
    HistoryRecord* record = packet->getHistory();
    destroyStream(record->keptStream);
    record->keptStream = m_pendingStream;
    m_pendingStream = nullptr;
    setState(StateDisconnectSent);
    return true;
}

void VNet_Connection::sendFarewell()
{
    if (m_state != StateDisconnectPending || !m_socket) return;
    m_farewell = true;
    if (sendDisconnectPacket()) flushOutgoing();
}

// ---------------------------------------------------------------------------
// Output step

void VNet_Connection::checkResolution(uint32_t, bool* alive)
{
    const eVNet_HostnameResult result = m_peer.checkHostname();
    if (result == eVNet_HostnameFailed) {
        notify(EventUnresolved);
        setState(StateDead);
        *alive = false;
        return;
    }
    if (result != eVNet_HostnameResolved) return;
    VNet_Address unresolved(m_peer);
    unresolved.setIP(0u);
    m_control->rehashConnection(this, unresolved);
    if (!sendRequest(false)) {
        // Without a request the connection would wait for ever.
        notify(EventConnectTimedOut);
        setState(StateDead);
        *alive = false;
    }
}

bool VNet_Connection::checkTimeout(uint32_t now)
{
    if (m_stats.lastReceiveTime == 0 || now - m_stats.lastReceiveTime <= connectionTimeout()) return false;
    switch (m_state) {
    case StateRequestReceived:
    case StateConnected:
    case StateDisconnectPending:
    case StateDisconnectSent:
    case StateClosing:
        notify(EventTimedOut);
        break;
    case StateResolving:
    case StateHandshake:
        notify(EventConnectTimedOut);
        break;
    default:
        break;
    }
    log(LogWarning, "connection timeout");
    setState(StateDead);
    return true;
}

// Packets that keep arriving keep a connection from timing out; yet if its
// ordered data stands still all the while (ours never acknowledged, or the
// peer's held for a message that never comes), the application would wait
// for ever on a connection that looks well. Such a connection times out
// too, after as long, with a line that says why.
bool VNet_Connection::checkStalledData(uint32_t now)
{
    const bool waiting = m_ordersInFlight != 0 || m_holdList.count() > 0;
    if (m_state != StateConnected || !waiting) {
        m_orderedProgressAt = now;
        return false;
    }
    if (now - m_orderedProgressAt <= connectionTimeout()) return false;
    log(LogWarning, "ordered data made no progress for %u ms - connection timeout", now - m_orderedProgressAt);
    notify(EventTimedOut);
    setState(StateDead);
    return true;
}

bool VNet_Connection::hasSendOpportunity(uint32_t now)
{
    const uint16_t interval = static_cast<uint16_t>(1000 / m_sendRate.packetsPerSecond);
    m_sendCredit = static_cast<uint16_t>(m_sendCredit + static_cast<uint16_t>(now - m_lastTickTime));
    m_lastTickTime = now;
    if (m_sendCredit > 3 * interval) m_sendCredit = interval;
    if (m_state < StateConnected) return false;
    if (m_sendCredit < interval && m_peer.getType() != eVNet_AddressLocal) return false;
    m_sendCredit = static_cast<uint16_t>(m_sendCredit - interval);
    return true;
}

void VNet_Connection::useSendOpportunity()
{
    switch (m_state) {
    case StateConnected:
        if (!m_rateRequestSent) {
            sendRateRequest();
        } else if (m_dataQueue.count() == 0 || !sendQueuedData()) {
            sendNodeData();
        }
        break;
    case StateDisconnectPending:
        sendDisconnectPacket();
        break;
    case StateDisconnectSent:
    case StateClosing:
        sendNodeData();
        break;
    default:
        break;
    }
}

void VNet_Connection::rollStatistics(uint32_t now)
{
    if (now - m_stats.lastSecondStart < 1000) return;
    m_stats.lastSecondStart = now;
    m_stats.bytesSentLastSecond = m_stats.bytesSentThisSecond;
    m_stats.bytesReceivedLastSecond = m_stats.bytesReceivedThisSecond;
    m_stats.packetsSentLastSecond = m_stats.packetsSentThisSecond;
    m_stats.packetsReceivedLastSecond = m_stats.packetsReceivedThisSecond;
    m_stats.lostLastSecond = m_stats.lostThisSecond;
    m_stats.bytesSentThisSecond = m_stats.bytesReceivedThisSecond = 0;
    m_stats.packetsSentThisSecond = m_stats.packetsReceivedThisSecond = 0;
    m_stats.lostThisSecond = 0;
    if (m_stats.packetsSentLastSecond == 0) {
        m_stats.lossPercent = 100;
        return;
    }
    const uint32_t percent = m_stats.lostLastSecond * 100u / m_stats.packetsSentLastSecond;
    m_stats.lossPercent = static_cast<uint8_t>(percent > 100 ? 100 : percent);
}

void VNet_Connection::releaseDelayed(uint32_t now)
{
    while (m_delayed.first() && static_cast<int32_t>(now - m_delayed.first()->payload->getTime()) >= 0) {
        VNet_Packet* packet = m_delayed.first()->payload;
        m_delayed.remove(m_delayed.first());
        m_control->routePacket(packet);
    }
}

bool VNet_Connection::tick()
{
    const uint32_t now = Vornet::getTime();
    if (m_state == StateResolving) {
        bool alive = true;
        checkResolution(now, &alive);
        if (!alive) return false;
    }
    if (checkTimeout(now) || checkStalledData(now)) return false;
    settleOverdueLosses(now);
    checkResend(now);
    if (hasSendOpportunity(now)) {
        useSendOpportunity();
        acknowledgeWhileBlocked();
    }
    rollStatistics(now);
    flushOutgoing();
    releaseDelayed(now);
    handleControlNodeEvents();
    return true;
}

}  // namespace Vornet_Private
