#pragma once

#include "vornet/vornet_export.h"
#include "vornet/vornet_replicator_families.h"

// The current value of a numeric or interpolating replicator: SIZE elements
// of int, unsigned int or float, and whether they changed since the node's
// last change check. The value form holds the elements; every write through
// it counts as a change, equal or not.
template <typename T, unsigned int SIZE>
class VNET_API VNet_ReplicatorValue {
public:
    VNet_ReplicatorValue();

    void setData(T value, unsigned int _idx);
    // Null sets every element to zero.
    void setData(T* values);
    void updateData(T* values);
    // The held elements; writes through this pointer are not reported.
    T* getData();
    bool getChanged() const;
    // Reports a change once.
    bool hasChanged();
    void setChanged();

private:
    T m_values[SIZE];
    bool m_changed;
};

// The pointer form: the elements live in the application's array, and a
// change is any byte that differs from the copy taken at the last check.
template <typename E, unsigned int SIZE>
class VNET_API VNet_ReplicatorValue<E*, SIZE> {
public:
    VNet_ReplicatorValue();
    // The first check reports a change.
    explicit VNet_ReplicatorValue(E* data);

    void setData(E value, unsigned int _idx);
    // Rebinds to another application array; the copy stays as it was.
    void setData(E* values);
    // Writes into the application's array, so the next check compares it.
    void updateData(E* values);
    E* getData();
    bool getChanged() const;
    bool hasChanged();
    void setChanged();

private:
    E* m_data;
    E m_shadow[SIZE];
};

#define VNET_DECLARE_VALUE_HOLDER(T, SIZE) extern template class VNet_ReplicatorValue<T, SIZE>;
VNET_FOR_EACH_VALUE_MEMBER(VNET_DECLARE_VALUE_HOLDER)
#undef VNET_DECLARE_VALUE_HOLDER
