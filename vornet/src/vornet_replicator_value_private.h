#pragma once

#include <cstring>
#include <type_traits>

#include "vornet/vornet_replicator_value.h"

#include "vornet_assert.h"

// Member definitions of the value holder; only the library's instantiation
// sources include them.

template <typename T, unsigned int SIZE>
VNet_ReplicatorValue<T, SIZE>::VNet_ReplicatorValue() : m_values{}, m_changed(true)
{
}

template <typename T, unsigned int SIZE>
void VNet_ReplicatorValue<T, SIZE>::setData(T value, unsigned int _idx)
{
    if (!VNET_ASSERT(_idx < SIZE, "element index out of range")) return;
    m_values[_idx] = value;
    m_changed = true;
}

template <typename T, unsigned int SIZE>
void VNet_ReplicatorValue<T, SIZE>::setData(T* values)
{
    if (values) {
        std::memcpy(m_values, values, sizeof(m_values));
    } else {
        std::memset(m_values, 0, sizeof(m_values));
    }
    m_changed = true;
}

template <typename T, unsigned int SIZE>
void VNet_ReplicatorValue<T, SIZE>::updateData(T* values)
{
    setData(values);
}

template <typename T, unsigned int SIZE>
T* VNet_ReplicatorValue<T, SIZE>::getData()
{
    return m_values;
}

template <typename T, unsigned int SIZE>
bool VNet_ReplicatorValue<T, SIZE>::getChanged() const
{
    return m_changed;
}

template <typename T, unsigned int SIZE>
bool VNet_ReplicatorValue<T, SIZE>::hasChanged()
{
    const bool changed = m_changed;
    m_changed = false;
    return changed;
}

template <typename T, unsigned int SIZE>
void VNet_ReplicatorValue<T, SIZE>::setChanged()
{
    m_changed = true;
}

// ---------------------------------------------------------------------------
// Pointer form

template <typename E, unsigned int SIZE>
VNet_ReplicatorValue<E*, SIZE>::VNet_ReplicatorValue() : m_data(nullptr), m_shadow{}
{
}

template <typename E, unsigned int SIZE>
VNet_ReplicatorValue<E*, SIZE>::VNet_ReplicatorValue(E* data) : m_data(data), m_shadow{}
{
    setChanged();
}

template <typename E, unsigned int SIZE>
void VNet_ReplicatorValue<E*, SIZE>::setData(E value, unsigned int _idx)
{
    if (!VNET_ASSERT(_idx < SIZE, "element index out of range") || !VNET_ASSERT(m_data, "no application array"))
        return;
    m_data[_idx] = value;
}

template <typename E, unsigned int SIZE>
void VNet_ReplicatorValue<E*, SIZE>::setData(E* values)
{
    m_data = values;
}

template <typename E, unsigned int SIZE>
void VNet_ReplicatorValue<E*, SIZE>::updateData(E* values)
{
    if (!VNET_ASSERT(m_data, "no application array") || !values) return;
    std::memcpy(m_data, values, sizeof(m_shadow));
}

template <typename E, unsigned int SIZE>
E* VNet_ReplicatorValue<E*, SIZE>::getData()
{
    return m_data;
}

template <typename E, unsigned int SIZE>
bool VNet_ReplicatorValue<E*, SIZE>::getChanged() const
{
    if (!VNET_ASSERT(m_data, "no application array")) return false;
    return std::memcmp(m_data, m_shadow, sizeof(m_shadow)) != 0;
}

template <typename E, unsigned int SIZE>
bool VNet_ReplicatorValue<E*, SIZE>::hasChanged()
{
    const bool changed = getChanged();
    if (m_data) std::memcpy(m_shadow, m_data, sizeof(m_shadow));
    return changed;
}

template <typename E, unsigned int SIZE>
void VNet_ReplicatorValue<E*, SIZE>::setChanged()
{
    if (!VNET_ASSERT(m_data, "no application array")) return;
    if constexpr (std::is_floating_point_v<E>) {
        m_shadow[0] = static_cast<E>(static_cast<double>(m_data[0]) + 1.0);
    } else {
        // The sum wraps instead of overflowing.
        m_shadow[0] = static_cast<E>(static_cast<unsigned int>(m_data[0]) + 1u);
    }
    // A float that one does not move (huge, infinite or NaN) must still
    // differ, or the forced report would be lost.
    if (std::memcmp(m_shadow, m_data, sizeof(E)) == 0) {
        unsigned int bits;
        std::memcpy(&bits, m_data, sizeof(bits));
        bits = ~bits;
        std::memcpy(m_shadow, &bits, sizeof(bits));
    }
}
