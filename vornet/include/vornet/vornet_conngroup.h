#pragma once

#include <cstddef>

#include "vornet/vornet_export.h"

// The group every connection of a control belongs to while it exists.
#define VNET_CONNGROUP_ALL 1

namespace Vornet_Private {
class GroupTable;
}

// Named sets of connection ids, so that data can go to many connections at
// once. Group ids start at 1; a connection id may stand in a group more than
// once, and nothing checks that it still names a connection.
class VNET_API VNet_ConnGroupManager {
public:
    VNet_ConnGroupManager();
    ~VNet_ConnGroupManager();
    // The manager owns its groups; a copy would free them twice.
    VNet_ConnGroupManager(const VNet_ConnGroupManager&) = delete;
    VNet_ConnGroupManager& operator=(const VNet_ConnGroupManager&) = delete;

    static void* operator new(size_t bytes) noexcept;
    static void* operator new[](size_t bytes) noexcept;
    static void operator delete(void* memory) noexcept;
    static void operator delete[](void* memory) noexcept;

    // The new group's id (16 slots when the hint is 0); 0 on failure.
    unsigned int createGroup(unsigned int sizeHint);
    void destroyGroup(unsigned int group);
    bool addConnection(unsigned int group, unsigned int connectionId);
    // Removes the entry in the lowest slot holding the id.
    bool removeConnection(unsigned int group, unsigned int connectionId);
    bool checkGroupExists(unsigned int group) const;
    unsigned int getGroupSize(unsigned int group) const;
    // Members in slot order: the first, then the next after the iterator's
    // slot; 0 at the end or for a group that does not exist.
    unsigned int getFirstConnection(unsigned int group, unsigned int& iterator) const;
    unsigned int getNextConnection(unsigned int group, unsigned int& iterator) const;
    // Destroys every group, VNET_CONNGROUP_ALL included.
    void Clear();

private:
    Vornet_Private::GroupTable* m_table;
};
