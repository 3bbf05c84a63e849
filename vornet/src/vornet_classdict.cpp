#include "vornet_classdict.h"

#include <cstring>

#include "vornet_log.h"

namespace Vornet_Private {

VNet_ClassDict::VNet_ClassDict(bool uniqueNames) : m_uniqueNames(uniqueNames)
{
    m_classes.reserve(0);
}

VNet_ClassDict::~VNet_ClassDict()
{
    uint32_t id = 0;
    for (Entry* entry = m_classes.first(id); id < m_classes.getSlotCount(); entry = m_classes.next(id)) delete entry;
}

uint32_t VNet_ClassDict::findClass(const char* name) const
{
    if (!name) return 0;
    uint32_t id = 0;
    for (Entry* entry = m_classes.first(id); id < m_classes.getSlotCount(); entry = m_classes.next(id)) {
        if (entry && entry->name.getBuffer() && std::strcmp(entry->name.getBuffer(), name) == 0) return id;
    }
    return 0;
}

uint32_t VNet_ClassDict::addLocalClass(const char* name, uint32_t flags)
{
    if (m_uniqueNames && findClass(name) != 0) {
        logMessage(LogWarning, "VNet_ClassDict::addLocalClass(): a class with this name already exists: %s", name);
        return 0;
    }
    auto* entry = new Entry;
    if (entry) entry->name = name;
    if (!entry || !entry->name.getBuffer()) {
        delete entry;
        logMessage(LogError, "VNet_ClassDict::addLocalClass(): out of memory");
        return 0;
    }
    entry->flags = flags;
    const int32_t id = m_classes.reserveNext();
    if (id < 0) {
        delete entry;
        logMessage(LogError, "VNet_ClassDict::addLocalClass(): out of memory");
        return 0;
    }
    m_classes.set(static_cast<uint32_t>(id), entry);
    return static_cast<uint32_t>(id);
}

const char* VNet_ClassDict::getClassName(uint32_t id) const
{
    if (m_classes.getState(id) != IdHandler<Entry*>::Used) return nullptr;
    return m_classes.get(id)->name.getBuffer();
}

uint32_t VNet_ClassDict::getClassFlags(uint32_t id) const
{
    if (m_classes.getState(id) != IdHandler<Entry*>::Used) return 0;
    return m_classes.get(id)->flags;
}

}  // namespace Vornet_Private
