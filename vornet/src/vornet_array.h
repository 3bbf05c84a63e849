#pragma once

#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>

#include "vornet_log.h"
#include "vornet_memory.h"

namespace Vornet_Private {

// Bounds-checked array. A bad index or a failed allocation ends the process:
// the owners cannot go on without their table.
template <typename T>
class ARRAY : public HookAllocated {
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>,
                  "ARRAY holds pointers, integers and small plain records");

public:
    ARRAY() = default;
    ~ARRAY() { release(m_data); }
    ARRAY(const ARRAY&) = delete;
    ARRAY& operator=(const ARRAY&) = delete;

    int32_t getCount() const { return m_count; }

    T& operator[](int32_t index)
    {
        if (!m_data) fatalError("!ERROR: ARRAY::operator[]: array not allocated");
        if (index < 0 || index >= m_count)
            fatalError("!ERROR: ARRAY::operator[]: out of boundary access at %d/%d", index, m_count - 1);
        return m_data[index];
    }

    // The old contents are lost.
    void setSize(int32_t count, bool keepGarbage = false)
    {
        if (count < 1) fatalError("!ERROR: ARRAY::setSize(%d): invalid size", count);
        T* data = makeStorage(count, keepGarbage);
        if (!data) fatalError("!ERROR: ARRAY::setSize(%d): out of memory", count);
        release(m_data);
        m_data = data;
        m_count = count;
    }

    // Keeps the first min(old, new) elements.
    void resize(int32_t count, bool keepGarbage = false)
    {
        if (count < 1) fatalError("!ERROR: ARRAY::resize(%d): invalid size", count);
        T* data = makeStorage(count, keepGarbage);
        if (!data) fatalError("!ERROR: ARRAY::resize(%d): out of memory", count);
        if (m_data) std::memcpy(static_cast<void*>(data), m_data, sizeof(T) * (count < m_count ? count : m_count));
        release(m_data);
        m_data = data;
        m_count = count;
    }

    void fill(const T& value)
    {
        for (int32_t i = 0; i < m_count; ++i) m_data[i] = value;
    }

    // Stores the value in the first element equal to the marker, doubling the
    // array when there is none; returns the index used.
    int32_t putFirstFree(const T& value, const T& freeMarker)
    {
        for (int32_t i = 0; i < m_count; ++i) {
            if (m_data[i] == freeMarker) {
                m_data[i] = value;
                return i;
            }
        }
        const int32_t index = m_count;
        resize(m_count ? m_count * 2 : 1);
        m_data[index] = value;
        return index;
    }

private:
    static T* makeStorage(int32_t count, bool keepGarbage)
    {
        T* data = allocateArray<T>(static_cast<size_t>(count));
        if (data && !keepGarbage) std::memset(static_cast<void*>(data), 0, sizeof(T) * count);
        return data;
    }

    T* m_data = nullptr;
    int32_t m_count = 0;
};

}  // namespace Vornet_Private
