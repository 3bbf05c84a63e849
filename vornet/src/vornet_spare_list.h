#pragma once

#include <cstdint>

#include "vornet_list.h"

namespace Vornet_Private {

// Objects kept for reuse, at most a given number, so that a connection
// that works steadily allocates none. The owner resets an object before it
// gives it back; what is kept is deleted with the list.
template <typename T>
class SpareList {
public:
    explicit SpareList(int32_t limit) : m_limit(limit) {}
    ~SpareList()
    {
        for (auto* node = m_items.first(); node; node = node->next) delete node->payload;
    }
    SpareList(const SpareList&) = delete;
    SpareList& operator=(const SpareList&) = delete;

    // A kept object, or a new one (null when the allocation failed).
    T* take()
    {
        auto* node = m_items.first();
        if (!node) return new T;
        T* item = node->payload;
        m_items.remove(node);
        return item;
    }
    void give(T* item)
    {
        if (m_items.count() >= m_limit || !m_items.append(item)) delete item;
    }

private:
    LIST<T*> m_items;
    int32_t m_limit;
};

}  // namespace Vornet_Private
