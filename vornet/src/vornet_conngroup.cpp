#include "vornet/vornet_conngroup.h"

#include "vornet_idhandler.h"
#include "vornet_log.h"
#include "vornet_memory.h"

namespace Vornet_Private {

// One group: its slots hold connection ids.
using Group = IdHandler<uint32_t>;

// The groups by id; id 0 is reserved so that it never names a group.
class GroupTable : public HookAllocated {
public:
    GroupTable() { groups.reserve(0); }
    ~GroupTable()
    {
        uint32_t id = 0;
        for (Group* group = groups.first(id); id < groups.getSlotCount(); group = groups.next(id)) delete group;
    }

    Group* find(uint32_t id) const
    {
        return groups.getState(id) == IdHandler<Group*>::Used ? groups.get(id) : nullptr;
    }

    IdHandler<Group*> groups;
};

}  // namespace Vornet_Private

using Vornet_Private::Group;
using Vornet_Private::GroupTable;

VNET_DEFINE_HOOK_ALLOCATION(VNet_ConnGroupManager)

VNet_ConnGroupManager::VNet_ConnGroupManager() : m_table(new GroupTable)
{
    if (!m_table) Vornet_Private::logMessage(Vornet_Private::LogError, "VNet_ConnGroupManager:: out of memory");
}

VNet_ConnGroupManager::~VNet_ConnGroupManager()
{
    delete m_table;
}

unsigned int VNet_ConnGroupManager::createGroup(unsigned int sizeHint)
{
    if (!m_table) return 0;
    auto* group = new Group(sizeHint ? sizeHint : 16);
    if (!group || group->getSlotCount() == 0) {
        delete group;
        return 0;
    }
    const int32_t id = m_table->groups.reserveNext();
    if (id < 0) {
        delete group;
        return 0;
    }
    m_table->groups.set(static_cast<uint32_t>(id), group);
    return static_cast<unsigned int>(id);
}

void VNet_ConnGroupManager::destroyGroup(unsigned int id)
{
    Group* group = m_table ? m_table->find(id) : nullptr;
    if (!group) return;
    delete group;
    m_table->groups.remove(id);
}

bool VNet_ConnGroupManager::addConnection(unsigned int id, unsigned int connectionId)
{
    Group* group = m_table ? m_table->find(id) : nullptr;
    if (!group) return false;
    const int32_t slot = group->reserveNext();
    if (slot < 0) return false;
    group->set(static_cast<uint32_t>(slot), connectionId);
    return true;
}

bool VNet_ConnGroupManager::removeConnection(unsigned int id, unsigned int connectionId)
{
    Group* group = m_table ? m_table->find(id) : nullptr;
    if (!group || group->getUsedCount() == 0) return false;
    uint32_t slot = 0;
    for (uint32_t member = group->first(slot); slot < group->getSlotCount(); member = group->next(slot)) {
        if (member == connectionId) {
            group->remove(slot);
            return true;
        }
    }
    return false;
}

bool VNet_ConnGroupManager::checkGroupExists(unsigned int id) const
{
    return m_table && m_table->find(id) != nullptr;
}

unsigned int VNet_ConnGroupManager::getGroupSize(unsigned int id) const
{
    Group* group = m_table ? m_table->find(id) : nullptr;
    return group ? static_cast<unsigned int>(group->getUsedCount()) : 0;
}

unsigned int VNet_ConnGroupManager::getFirstConnection(unsigned int id, unsigned int& iterator) const
{
    Group* group = m_table ? m_table->find(id) : nullptr;
    if (!group) return 0;
    uint32_t slot = 0;
    const uint32_t member = group->first(slot);
    iterator = slot;
    return slot < group->getSlotCount() ? member : 0;
}

unsigned int VNet_ConnGroupManager::getNextConnection(unsigned int id, unsigned int& iterator) const
{
    Group* group = m_table ? m_table->find(id) : nullptr;
    if (!group || iterator >= group->getSlotCount()) return 0;
    uint32_t slot = iterator;
    const uint32_t member = group->next(slot);
    iterator = slot;
    return slot < group->getSlotCount() ? member : 0;
}

void VNet_ConnGroupManager::Clear()
{
    delete m_table;
    m_table = new GroupTable;
    if (!m_table) Vornet_Private::logMessage(Vornet_Private::LogError, "VNet_ConnGroupManager:: out of memory");
}
