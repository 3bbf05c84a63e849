#include "vornet/vornet.h"
#include "vornet/vornet_control.h"
#include "vornet_assert.h"
#include "vornet_connection.h"
#include "vornet_control_private.h"
#include "vornet_log.h"
#include "vornet_socket_udp.h"

using namespace Vornet_Private;

// ---------------------------------------------------------------------------
// The connection table

uint32_t VNet_Control_Private::registerConnection(VNet_Connection* connection)
{
    if (!connectionTable) return 0;
    connection->setId(lastConnectionId + 1);
    if (!connectionTable->insert(connection)) return 0;
    auto* item = connectionList.append(connection);
    if (!item) {
        connectionTable->remove(connection);
        return 0;
    }
    ++lastConnectionId;
    connection->listItem = item;
    groupManager.addConnection(VNET_CONNGROUP_ALL, connection->getId());
    return connection->getId();
}

void VNet_Control_Private::unregisterConnection(VNet_Connection* connection)
{
    groupManager.removeConnection(VNET_CONNGROUP_ALL, connection->getId());
    if (connectionTable) connectionTable->remove(connection);
    if (connection->listItem) {
        connectionList.remove(static_cast<ConnectionList::Node*>(connection->listItem));
        connection->listItem = nullptr;
    }
}

VNet_Connection* VNet_Control_Private::findConnection(const VNet_Address* address, uint32_t id) const
{
    if (!connectionTable) return nullptr;
    return address ? connectionTable->findByAddress(*address) : connectionTable->findById(id);
}

VNet_Connection* VNet_Control_Private::findConnectionById(uint32_t id) const
{
    return findConnection(nullptr, id);
}

void VNet_Control_Private::rehashConnection(VNet_Connection* connection, const VNet_Address& oldAddress)
{
    if (connectionTable) connectionTable->rehash(connection, oldAddress);
}

void VNet_Control_Private::setConnectionLevel(VNet_Connection* connection, int8_t level, bool skipLeaving,
                                              bool skipJoining)
{
    if (connectionTable) connectionTable->setLevel(connection, level, skipLeaving, skipJoining);
}

void VNet_Control_Private::answerConnectionRequest(uint32_t id, bool accepted, VNet_BitStream* reply)
{
    VNet_Connection* connection = findConnectionById(id);
    if (!connection || connection->getState() != StateRequestReceived) {
        destroyStream(reply);
        return;
    }
    connection->answerRequest(accepted, reply);
}

// ---------------------------------------------------------------------------
// Upstream distribution: the total upstream is shared out among the
// connections, each capped, and what a connection does not want goes to
// those that want more.

namespace {

int32_t want(VNet_Connection* connection)
{
    return int32_t(connection->peerRequestedRate().bytesPerPacket) * connection->sendRate().packetsPerSecond;
}

void allot(VNet_Connection* connection, int32_t allotted)
{
    connection->sendRate().bytesPerPacket = static_cast<int16_t>(allotted / connection->sendRate().packetsPerSecond);
}

}  // namespace

void VNet_Control_Private::distributeUpstream()
{
    const int32_t count = connectionList.count();
    if (count > 0) {
        int32_t share = upstreamTotal / count;
        int32_t cap = share;
        if (upstreamPerConnection > 0) {
            cap = upstreamPerConnection;
            if (share > cap) share = cap;
        }
        int32_t spare = 0;
        LIST<VNet_Connection*> wanting;
        for (auto* node = connectionList.first(); node; node = node->next) {
            VNet_Connection* connection = node->payload;
            if (connection->sendRate().packetsPerSecond <= 0) connection->sendRate().packetsPerSecond = 1;
            if (connection->getPeer().getType() == eVNet_AddressLocal) {
                connection->sendRate().bytesPerPacket = connection->peerRequestedRate().bytesPerPacket;
                continue;
            }
            const int32_t wanted = want(connection);
            if (share == 0) {
                if (cap == 0) {
                    connection->sendRate().bytesPerPacket = connection->peerRequestedRate().bytesPerPacket;
                    continue;
                }
                allot(connection, wanted > cap ? cap : wanted);
            } else if (wanted <= share) {
                spare += share - wanted;
                allot(connection, wanted);
            } else if (share >= 1) {
                wanting.append(connection);
                allot(connection, share);
            }
        }
        while (wanting.count() > 0 && spare > 1) {
            const int32_t extra = spare / wanting.count();
            spare = 0;
            LIST<VNet_Connection*> still;
            for (auto* node = wanting.first(); node; node = node->next) {
                VNet_Connection* connection = node->payload;
                const int32_t wanted = want(connection);
                if (wanted <= extra) {
                    spare = extra - wanted;
                    allot(connection, wanted);
                } else {
                    still.append(connection);
                    allot(connection, extra);
                }
            }
            wanting.clear();
            for (auto* node = still.first(); node; node = node->next) wanting.append(node->payload);
        }
    }
    const char* name = debugName.getBuffer() ? debugName.getBuffer() : "";
    for (auto* node = connectionList.first(); node; node = node->next) {
        VNet_Connection* connection = node->payload;
        logRaw("[%s]: new outgoing bandwidth for %d: %d bpp / %d pps", name, int(connection->getId()),
               int(connection->sendRate().bytesPerPacket), int(connection->sendRate().packetsPerSecond));
    }
    redistributePending = false;
    lastRedistribution = Vornet::getTime();
}

// ---------------------------------------------------------------------------
// Exported calls

unsigned int VNet_Control::VNet_Connect(const VNet_Address& address, VNet_BitStream* request)
{
    (void)checkNotLocked(request, VNET_LOCK_MESSAGE("_request"));
    auto* connection = new VNet_Connection(m_priv);
    if (!connection) {
        destroyStream(request);
        return 0;
    }
    connection->setPeer(address);
    const uint32_t id = m_priv->registerConnection(connection);
    lockHandedStream(request);
    if (id && connection->connect(request)) return id;
    if (id) m_priv->unregisterConnection(connection);
    delete connection;
    destroyStream(request);
    return 0;
}

bool VNet_Control::VNet_Disconnect(unsigned int connectionId, VNet_BitStream* reason)
{
    (void)checkNotLocked(reason, VNET_LOCK_MESSAGE("_reason"));
    VNet_Connection* connection = m_priv->findConnectionById(connectionId);
    if (!connection) {
        destroyStream(reason);
        return false;
    }
    lockHandedStream(reason);
    connection->disconnect(reason, true);
    return true;
}

void VNet_Control::VNet_disconnectAll(VNet_BitStream* reason)
{
    (void)checkNotLocked(reason, VNET_LOCK_MESSAGE("_reason"));
    for (auto* node = m_priv->connectionList.first(); node; node = node->next) {
        VNet_BitStream* copy = reason ? reason->Duplicate() : nullptr;
        lockHandedStream(copy);
        node->payload->disconnect(copy, true);
    }
    destroyStream(reason);
}

bool VNet_Control::VNet_sendData(unsigned int connectionId, VNet_BitStream* stream, eVNet_SendMode mode)
{
    (void)checkNotLocked(stream, VNET_LOCK_MESSAGE("_stream"));
    VNet_Connection* connection = m_priv->findConnectionById(connectionId);
    if (!connection) {
        destroyStream(stream);
        return false;
    }
    lockHandedStream(stream);
    return connection->queueData(stream, mode);
}

bool VNet_Control::VNet_sendDataToGroup(unsigned int group, VNet_BitStream* stream, eVNet_SendMode mode)
{
    (void)checkNotLocked(stream, VNET_LOCK_MESSAGE("_stream"));
    VNet_ConnGroupManager& groups = m_priv->groupManager;
    if (!groups.checkGroupExists(group)) {
        m_priv->controlLog(LogError, "VNet_sendDataToGroup", "group does not exist: %d", int(group));
        destroyStream(stream);
        return false;
    }
    // Counted first: a member id 0 must not end the walk early.
    const unsigned int members = groups.getGroupSize(group);
    unsigned int slot = 0;
    for (unsigned int i = 0; i < members; ++i) {
        const unsigned int id = i == 0 ? groups.getFirstConnection(group, slot) : groups.getNextConnection(group, slot);
        VNet_Connection* connection = m_priv->findConnectionById(id);
        if (!connection) {
            m_priv->controlLog(LogWarning, "VNet_sendDataToGroup", "invalid connection %d in group %d", int(id),
                               int(group));
            continue;
        }
        if (!stream) continue;
        VNet_BitStream* copy = stream->Duplicate();
        lockHandedStream(copy);
        connection->queueData(copy, mode);
    }
    destroyStream(stream);
    return true;
}

bool VNet_Control::VNet_sendDataRaw(VNet_Address& address, void* data, unsigned int size)
{
    if (!m_priv->udpSocket) {
        logMessage(LogError, "VNet_Control::VNet_sendDataRaw(): no socket initialized");
        return false;
    }
    if (address.getType() == eVNet_AddressUDP && address.getIP() == 0) {
        if (!address.getAddressHostname() || !address.resolveHostname(false, 2000)) {
            logMessage(LogError, "VNet_Control::VNet_sendDataRaw(): unable to resolve hostname");
            return false;
        }
    }
    return m_priv->udpSocket->sendRawPacket(address, static_cast<const char*>(data), size);
}

void VNet_Control::VNet_setUpstreamLimit(unsigned int total, unsigned int perConnection)
{
    m_priv->upstreamTotal = static_cast<int32_t>(total);
    m_priv->upstreamPerConnection = static_cast<int32_t>(perConnection);
    m_priv->redistributePending = true;
}

void VNet_Control::VNet_requestDownstreamLimit(unsigned int connectionId, unsigned short packetsPerSecond,
                                               unsigned short bytesPerPacket)
{
    if (VNet_Connection* connection = m_priv->findConnectionById(connectionId))
        connection->setDownstreamLimit(packetsPerSecond, bytesPerPacket);
}

void VNet_Control::VNet_simulateLag(unsigned int connectionId, unsigned int milliseconds)
{
    if (connectionId == 0) {
        m_priv->simulatedLag = milliseconds;
    } else if (VNet_Connection* connection = m_priv->findConnectionById(connectionId)) {
        connection->setSimulatedLag(milliseconds);
    }
}

void VNet_Control::VNet_simulateLoss(unsigned int connectionId, float probability)
{
    if (connectionId == 0) {
        m_priv->simulatedLoss = probability;
    } else if (VNet_Connection* connection = m_priv->findConnectionById(connectionId)) {
        connection->setSimulatedLoss(probability);
    }
}

void* VNet_Control::VNet_getUserData(unsigned int connectionId)
{
    VNet_Connection* connection = m_priv->findConnectionById(connectionId);
    return connection ? connection->userData() : nullptr;
}

void VNet_Control::VNet_setUserData(unsigned int connectionId, void* data)
{
    if (VNet_Connection* connection = m_priv->findConnectionById(connectionId)) connection->setUserData(data);
}

const VNet_ConnStats& VNet_Control::VNet_getConnectionStats(unsigned int connectionId)
{
    if (VNet_Connection* connection = m_priv->findConnectionById(connectionId)) return connection->stats();
    m_priv->noStats = VNet_ConnStats{};
    return m_priv->noStats;
}

const VNet_Address* VNet_Control::VNet_getPeer(unsigned int connectionId)
{
    VNet_Connection* connection = m_priv->findConnectionById(connectionId);
    return connection ? &connection->getPeer() : nullptr;
}

bool VNet_Control::VNet_requestVornMode(unsigned int connectionId, unsigned char level)
{
    VNet_Connection* connection = m_priv->findConnectionById(connectionId);
    if (!connection) return false;
    if (connection->isOpener()) return connection->sendLevelRequest(level);
    const bool forced = connection->forceLevel(level);
    if (forced) {
        logRaw("VNet_Control::VNet_requestVornMode(): forcing connection %d to vornlevel %d", int(connectionId),
               int(level));
    } else {
        logMessage(LogError, "VNet_Control::VNet_requestVornMode(): setting vornmode %d failed", int(level));
    }
    return forced;
}
