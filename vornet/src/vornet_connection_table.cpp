#include "vornet_connection_table.h"

#include "vornet_connection.h"

namespace Vornet_Private {

ConnectionTable::ConnectionTable(int32_t buckets) : m_bucketCount(buckets)
{
    m_byAddress.setSize(buckets);
    m_byId.setSize(buckets);
    for (int32_t i = 0; i < buckets; ++i) {
        m_byAddress[i] = new ConnectionList;
        m_byId[i] = new ConnectionList;
        if (!m_byAddress[i] || !m_byId[i]) m_valid = false;
    }
}

ConnectionTable::~ConnectionTable()
{
    for (int32_t i = 0; i < m_bucketCount; ++i) {
        delete m_byAddress[i];
        delete m_byId[i];
    }
    uint32_t level = 0;
    for (ConnectionList* list = m_byLevel.first(level); level < m_byLevel.getSlotCount(); list = m_byLevel.next(level))
        delete list;
}

ConnectionList* ConnectionTable::addressBucket(const VNet_Address& address) const
{
    return const_cast<ARRAY<ConnectionList*>&>(m_byAddress)[static_cast<int32_t>(address.computeHashKey(m_bucketCount))];
}

ConnectionList* ConnectionTable::idBucket(uint32_t id) const
{
    return const_cast<ARRAY<ConnectionList*>&>(m_byId)[static_cast<int32_t>(id % static_cast<uint32_t>(m_bucketCount))];
}

ConnectionList* ConnectionTable::levelList(int8_t level, bool create)
{
    if (level < 0) return nullptr;
    const uint32_t slot = static_cast<uint32_t>(level);
    if (m_byLevel.getState(slot) == IdHandler<ConnectionList*>::Used) return m_byLevel.get(slot);
    if (!create) return nullptr;
    auto* list = new ConnectionList;
    if (!list || m_byLevel.reserve(slot) < 0) {
        delete list;
        return nullptr;
    }
    m_byLevel.set(slot, list);
    return list;
}

const ConnectionList* ConnectionTable::connectionsAtLevel(int8_t level) const
{
    return const_cast<ConnectionTable*>(this)->levelList(level, false);
}

bool ConnectionTable::insert(VNet_Connection* connection)
{
    if (!m_valid) return false;
    ConnectionList* level = levelList(connection->getLevel(), true);
    if (!level || !addressBucket(connection->getPeer())->append(connection)) return false;
    if (!idBucket(connection->getId())->append(connection)) {
        addressBucket(connection->getPeer())->removeValue(connection);
        return false;
    }
    if (!level->append(connection)) {
        addressBucket(connection->getPeer())->removeValue(connection);
        idBucket(connection->getId())->removeValue(connection);
        return false;
    }
    return true;
}

void ConnectionTable::remove(VNet_Connection* connection)
{
    if (!m_valid) return;
    addressBucket(connection->getPeer())->removeValue(connection);
    idBucket(connection->getId())->removeValue(connection);
    if (ConnectionList* level = levelList(connection->getLevel(), false)) level->removeValue(connection);
}

VNet_Connection* ConnectionTable::findByAddress(const VNet_Address& address) const
{
    if (!m_valid) return nullptr;
    for (auto* node = addressBucket(address)->first(); node; node = node->next) {
        if (node->payload->getPeer() == address) return node->payload;
    }
    return nullptr;
}

VNet_Connection* ConnectionTable::findById(uint32_t id) const
{
    if (!m_valid || id == 0) return nullptr;
    for (auto* node = idBucket(id)->first(); node; node = node->next) {
        if (node->payload->getId() == id) return node->payload;
    }
    return nullptr;
}

void ConnectionTable::rehash(VNet_Connection* connection, const VNet_Address& oldAddress)
{
    if (!m_valid) return;
    addressBucket(oldAddress)->removeValue(connection);
    addressBucket(connection->getPeer())->append(connection);
}

void ConnectionTable::setLevel(VNet_Connection* connection, int8_t level, bool skipLeaving, bool skipJoining)
{
    if (!skipLeaving) {
        if (ConnectionList* old = levelList(connection->getLevel(), false)) old->removeValue(connection);
    }
    if (skipJoining) return;
    if (ConnectionList* list = levelList(level, true)) list->append(connection);
    connection->setLevel(level);
}

}  // namespace Vornet_Private
