#pragma once

#include <cstdint>

#include "vornet_idhandler.h"
#include "vornet_memory.h"
#include "vornet_string.h"

namespace Vornet_Private {

// The classes of a control's nodes by id. Id 0 names no class; classes are
// never removed while the control lives.
class VNet_ClassDict : public HookAllocated {
public:
    explicit VNet_ClassDict(bool uniqueNames);
    ~VNet_ClassDict();
    VNet_ClassDict(const VNet_ClassDict&) = delete;
    VNet_ClassDict& operator=(const VNet_ClassDict&) = delete;

    // The new class's id, 0 for a duplicate name or when memory fails.
    uint32_t addLocalClass(const char* name, uint32_t flags);
    // Case-sensitive; 0 when no class has the name.
    uint32_t findClass(const char* name) const;
    // Null when the id names no class.
    const char* getClassName(uint32_t id) const;
    uint32_t getClassFlags(uint32_t id) const;
    // Ids in use, the reserved id 0 included: what a class id on the wire
    // must be able to count.
    uint32_t getClassCount() const { return static_cast<uint32_t>(m_classes.getUsedCount()); }

private:
    struct Entry : HookAllocated {
        STRING name;
        uint32_t flags = 0;
    };

    IdHandler<Entry*> m_classes;
    bool m_uniqueNames;
};

}  // namespace Vornet_Private
