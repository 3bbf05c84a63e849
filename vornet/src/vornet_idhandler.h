#pragma once

#include <cstdint>
#include <cstring>

#include "vornet_list.h"
#include "vornet_log.h"
#include "vornet_memory.h"

namespace Vornet_Private {

class STRING;

// Table of identifiers. Free ids wait in a queue in the order they became
// free, so a released id comes back only after every id queued before it.
template <typename T>
class IdHandler : public HookAllocated {
public:
    enum SlotState : int32_t { Free = 0, Used = 1, Reserved = 2 };

    IdHandler() { grow(16); }
    // Starts with this many free ids.
    explicit IdHandler(uint32_t initialIds) { grow(initialIds); }
    ~IdHandler() { release(m_slots); }
    IdHandler(const IdHandler&) = delete;
    IdHandler& operator=(const IdHandler&) = delete;

    uint32_t getSlotCount() const { return m_slotCount; }
    int32_t getUsedCount() const { return m_usedCount; }
    int32_t getState(uint32_t id) const { return id < m_slotCount ? m_slots[id].state : Free; }

    // Adds n free ids at the end; false, table unchanged, when memory fails.
    bool grow(uint32_t n)
    {
        if (n == 0 || n > static_cast<uint32_t>(INT32_MAX) - m_slotCount) return false;
        Slot* slots = allocateArray<Slot>(m_slotCount + n);
        if (!slots) return false;
        std::memset(static_cast<void*>(slots), 0, sizeof(Slot) * (m_slotCount + n));
        if (m_slots) std::memcpy(static_cast<void*>(slots), m_slots, sizeof(Slot) * m_slotCount);
        for (uint32_t id = m_slotCount; id < m_slotCount + n; ++id) {
            slots[id].freeEntry = m_freeIds.append(id);
            if (!slots[id].freeEntry) {
                while (m_freeIds.count() && m_freeIds.last()->payload >= m_slotCount)
                    m_freeIds.remove(m_freeIds.last());
                release(slots);
                return false;
            }
        }
        release(m_slots);
        m_slots = slots;
        m_slotCount += n;
        return true;
    }

    // The oldest free id, marked reserved; -1 when the table cannot grow.
    int32_t reserveNext()
    {
        if (!m_freeIds.count()) grow(32);
        if (!m_freeIds.count()) return -1;
        const uint32_t id = m_freeIds.first()->payload;
        markReserved(id);
        return static_cast<int32_t>(id);
    }

    // Reserves exactly this id, growing the table as needed; -1 when it
    // cannot be made to fit.
    int32_t reserve(uint32_t id)
    {
        if (id >= m_slotCount) {
            const uint32_t needed = id - m_slotCount + 1;
            grow(needed > 32 ? needed : 32);
            if (id >= m_slotCount) return -1;
        }
        if (m_slots[id].state != Free) remove(id);
        markReserved(id);
        return static_cast<int32_t>(id);
    }

    void set(uint32_t id, T payload)
    {
        if (id >= m_slotCount) return;
        if (m_slots[id].state != Reserved) {
            logMessage(LogWarning, "IdHandler: id not reserved: %d", static_cast<int>(id));
            return;
        }
        m_slots[id].payload = payload;
        m_slots[id].state = Used;
    }

    T get(uint32_t id) const { return id < m_slotCount ? m_slots[id].payload : T{}; }

    void remove(uint32_t id)
    {
        if (id >= m_slotCount) return;
        if (m_slots[id].state == Free) {
            logMessage(LogWarning, "IdHandler: tried to remove unused: %d", static_cast<int>(id));
            return;
        }
        m_slots[id].payload = T{};
        m_slots[id].state = Free;
        m_slots[id].freeEntry = m_freeIds.append(id);
        --m_usedCount;
    }

    // Empties a used slot but keeps its id out of circulation (reserved)
    // until remove().
    void vacate(uint32_t id)
    {
        if (id >= m_slotCount || m_slots[id].state != Used) return;
        m_slots[id].payload = T{};
        m_slots[id].state = Reserved;
    }

    // Iteration over used slots; the caller keeps the index.
    T first(uint32_t& iterator) const { return scanFrom(0, iterator); }
    T next(uint32_t& iterator) const { return scanFrom(iterator + 1, iterator); }

    // For tables of STRING pointers: the id of the first used slot whose
    // string equals the given one, 0 when none does.
    uint32_t findString(const STRING& text) const
    {
        for (uint32_t id = 0; id < m_slotCount; ++id) {
            if (m_slots[id].state == Used && m_slots[id].payload && *m_slots[id].payload == text) return id;
        }
        return 0;
    }

private:
    struct Slot {
        T payload;
        int32_t state;
        // The id's place in the free queue while it is free, so that taking
        // any one id out of the queue costs the same however long it is.
        typename LIST<uint32_t>::Node* freeEntry;
    };

    void markReserved(uint32_t id)
    {
        m_freeIds.remove(m_slots[id].freeEntry);
        m_slots[id].freeEntry = nullptr;
        m_slots[id].state = Reserved;
        ++m_usedCount;
    }

    T scanFrom(uint32_t start, uint32_t& iterator) const
    {
        for (uint32_t id = start; id < m_slotCount; ++id) {
            if (m_slots[id].state == Used) {
                iterator = id;
                return m_slots[id].payload;
            }
        }
        iterator = m_slotCount;
        return T{};
    }

    Slot* m_slots = nullptr;
    uint32_t m_slotCount = 0;
    int32_t m_usedCount = 0;
    LIST<uint32_t> m_freeIds;
};

// Maps ids both ways: set(a, b) enters b -> a in the first table and a -> b
// in the second. Id 0 is reserved in both, so it never names a mapping.
class IdMap : public HookAllocated {
public:
    IdMap()
    {
        m_first.reserve(0);
        m_second.reserve(0);
    }

    void set(uint32_t a, uint32_t b)
    {
        m_first.reserve(b);
        m_first.set(b, a);
        m_second.reserve(a);
        m_second.set(a, b);
    }

    void remove(uint32_t a)
    {
        const uint32_t b = m_second.get(a);
        m_second.remove(a);
        m_first.remove(b);
    }

    // b for a, 0 when none.
    uint32_t forward(uint32_t a) const { return m_second.get(a); }
    // a for b, 0 when none.
    uint32_t backward(uint32_t b) const { return m_first.get(b); }

private:
    IdHandler<uint32_t> m_first;
    IdHandler<uint32_t> m_second;
};

}  // namespace Vornet_Private
