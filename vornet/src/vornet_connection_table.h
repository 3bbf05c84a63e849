#pragma once

#include <cstdint>

#include "vornet/vornet_address.h"
#include "vornet_array.h"
#include "vornet_idhandler.h"
#include "vornet_list.h"
#include "vornet_memory.h"

namespace Vornet_Private {

class VNet_Connection;
using ConnectionList = LIST<VNet_Connection*>;

// The connections of one control, found by peer address and by id, and
// listed per vornlevel so that nodes reach every connection at a level.
class ConnectionTable : public HookAllocated {
public:
    // False from isValid when a bucket could not be allocated.
    explicit ConnectionTable(int32_t buckets);
    ~ConnectionTable();
    ConnectionTable(const ConnectionTable&) = delete;
    ConnectionTable& operator=(const ConnectionTable&) = delete;

    bool isValid() const { return m_valid; }
    bool insert(VNet_Connection* connection);
    void remove(VNet_Connection* connection);
    VNet_Connection* findByAddress(const VNet_Address& address) const;
    VNet_Connection* findById(uint32_t id) const;
    // The connection was filed under the old address; file it under its
    // current one.
    void rehash(VNet_Connection* connection, const VNet_Address& oldAddress);
    // Moves the connection between level lists; either step may be skipped.
    void setLevel(VNet_Connection* connection, int8_t level, bool skipLeaving, bool skipJoining);
    // Null when no connection ever entered the level.
    const ConnectionList* connectionsAtLevel(int8_t level) const;

private:
    ConnectionList* addressBucket(const VNet_Address& address) const;
    ConnectionList* idBucket(uint32_t id) const;
    ConnectionList* levelList(int8_t level, bool create);

    int32_t m_bucketCount;
    bool m_valid = true;
    ARRAY<ConnectionList*> m_byAddress;
    ARRAY<ConnectionList*> m_byId;
    IdHandler<ConnectionList*> m_byLevel;
};

}  // namespace Vornet_Private
