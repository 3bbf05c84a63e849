#pragma once

#include <type_traits>

#include "vornet/vornet_replicator_numeric.h"

#include "vornet_assert.h"
#include "vornet_log.h"
#include "vornet_memory.h"
#include "vornet_replicator_elements.h"
#include "vornet_replicator_skipper.h"
#include "vornet_replicator_value_private.h"

// Member definitions of the numeric replicators, and what the numeric and
// the interpolating replicators share; only the library's instantiation
// sources include them.

namespace Vornet_Private {

inline unsigned char relevantBits(const VNet_ReplicatorSetup* setup)
{
    return setup ? static_cast<const VNet_RSetupNumeric*>(setup)->getRelevantBits() : 0;
}

// What a copy of a replicator refers to: a set-up the source owns is copied
// for the copy to own, so no set-up is deleted twice; any other is shared.
template <typename Setup>
VNet_ReplicatorSetup* setupForCopy(VNet_ReplicatorSetup* setup)
{
    if (!setup || !(setup->getFlags() & VNET_REPFLAG_OWNEDSETUP)) return setup;
    return new Setup(*static_cast<Setup*>(setup));
}

inline void deleteOwnedSetup(VNet_ReplicatorSetup* setup)
{
    if (setup && (setup->getFlags() & VNET_REPFLAG_OWNEDSETUP)) delete setup;
}

// Gives a new replicator's holder its first values and consumes that change,
// so the first change check reports none. A pointer form needs an array.
template <typename T, unsigned int SIZE>
bool bindFirstValues(VNet_ReplicatorValue<T, SIZE>& holder, ElementOf<T>* data)
{
    if (std::is_pointer_v<T> && !VNET_ASSERT(data, "m_data: the pointer form needs the application's array"))
        return false;
    holder.setData(data);
    holder.hasChanged();
    return true;
}

// Element _idx of the holder's array, or null for an index beyond it or a
// pointer form without array.
template <typename T, unsigned int SIZE>
ElementOf<T>* elementAt(VNet_ReplicatorValue<T, SIZE>& holder, unsigned int _idx)
{
    if (!VNET_ASSERT(_idx < SIZE, "element index out of range")) return nullptr;
    ElementOf<T>* values = holder.getData();
    if (!VNET_ASSERT(values, "m_data: no application array")) return nullptr;
    return values + _idx;
}

// A copy of the next SIZE elements of the peek stream, allocated for the
// replicator's peek store; null when memory fails.
template <typename E, unsigned int SIZE>
E* peekValues(VNet_BitStream* bs, unsigned char bits)
{
    if (!VNET_ASSERT(bs, "no stream under interception")) return nullptr;
    E* values = allocateArray<E>(SIZE);
    if (values) readValues<E, SIZE>(*bs, values, bits);
    return values;
}

// A pointer form without an array still writes its items, as zeros: the
// peer reads them whatever this side holds, and the rest of the update
// must stay in step.
template <typename E, unsigned int SIZE>
void packValues(VNet_BitStream* stream, const E* values, unsigned char bits)
{
    if (!stream) return;
    static constexpr E zeros[SIZE] = {};
    if (!VNET_CHECK(values, "no application array: its items are sent as zeros") || !values) values = zeros;
    writeValues<E, SIZE>(*stream, values, bits);
}

// With store false the same items are passed over and nothing changes.
template <typename E, unsigned int SIZE>
void unpackValues(VNet_BitStream* stream, E* values, bool store, unsigned char bits)
{
    if (!stream) return;
    if (store && values) {
        readValues<E, SIZE>(*stream, values, bits);
    } else {
        skipValues<E, SIZE>(*stream, bits);
    }
}

// A skipper of SIZE values of E, the parameter their relevant bits.
template <typename E, unsigned int SIZE>
void skipValueItems(VNet_BitStream& stream, unsigned bits)
{
    skipValues<E, SIZE>(stream, static_cast<unsigned char>(bits));
}

inline unsigned setupRelevantBits(const VNet_ReplicatorSetup& setup)
{
    return relevantBits(&setup);
}

// What passes by the values of a numeric or interpolating replicator of
// the class R once the replicator itself may be gone, in the bits its
// set-up says when they are passed by.
template <typename E, unsigned int SIZE, class R>
VNet_ReplicatorBasic* valuesSkipper(const R& of)
{
    return skipperFor(of, skipValueItems<E, SIZE>, relevantBits(of.getSetup()), setupRelevantBits);
}

}  // namespace Vornet_Private

template <typename T, unsigned int SIZE>
VNet_Replicate_Numeric<T, SIZE>::VNet_Replicate_Numeric(Element* data, VNet_RSetupNumeric* setup)
    : VNet_ReplicatorBasic(setup)
{
    if (Vornet_Private::bindFirstValues(m_value, data)) m_flags |= VNET_REPLICATOR_INITIALIZED;
}

template <typename T, unsigned int SIZE>
VNet_Replicate_Numeric<T, SIZE>::VNet_Replicate_Numeric(Element* data, unsigned char bits, unsigned char flags,
                                                        unsigned char rules, unsigned char interceptId,
                                                        short minDelay, short maxDelay)
    : VNet_ReplicatorBasic(nullptr)
{
    m_setup = new VNet_RSetupNumeric(bits, flags | VNET_REPFLAG_OWNEDSETUP, rules, interceptId, minDelay, maxDelay);
    if (!m_setup) {
        Vornet_Private::logRaw("VNet_Replicate_Numeric(): out of memory");
        return;
    }
    if (Vornet_Private::bindFirstValues(m_value, data)) m_flags |= VNET_REPLICATOR_INITIALIZED;
}

template <typename T, unsigned int SIZE>
VNet_Replicate_Numeric<T, SIZE>::VNet_Replicate_Numeric(const VNet_Replicate_Numeric& other)
    : VNet_ReplicatorBasic(other), m_value(other.m_value)
{
    m_setup = Vornet_Private::setupForCopy<VNet_RSetupNumeric>(other.m_setup);
    if (!m_setup) m_flags &= ~VNET_REPLICATOR_INITIALIZED;
}

template <typename T, unsigned int SIZE>
VNet_Replicate_Numeric<T, SIZE>& VNet_Replicate_Numeric<T, SIZE>::operator=(const VNet_Replicate_Numeric& other)
{
    if (this == &other) return *this;
    VNet_ReplicatorSetup* setup = Vornet_Private::setupForCopy<VNet_RSetupNumeric>(other.m_setup);
    Vornet_Private::deleteOwnedSetup(m_setup);
    VNet_ReplicatorBasic::operator=(other);
    m_setup = setup;
    if (!m_setup) m_flags &= ~VNET_REPLICATOR_INITIALIZED;
    m_value = other.m_value;
    return *this;
}

template <typename T, unsigned int SIZE>
VNet_Replicate_Numeric<T, SIZE>::~VNet_Replicate_Numeric() = default;

template <typename T, unsigned int SIZE>
void* VNet_Replicate_Numeric<T, SIZE>::peekData()
{
    Element* values = Vornet_Private::peekValues<Element, SIZE>(getPeekStream(), Vornet_Private::relevantBits(m_setup));
    if (values) peekDataStore(values);
    return values;
}

template <typename T, unsigned int SIZE>
void VNet_Replicate_Numeric<T, SIZE>::clearPeekData()
{
    Vornet_Private::release(peekDataRetrieve());
}

template <typename T, unsigned int SIZE>
void VNet_Replicate_Numeric<T, SIZE>::Process(eVNet_NodeRole, unsigned int)
{
}

template <typename T, unsigned int SIZE>
bool VNet_Replicate_Numeric<T, SIZE>::checkState()
{
    return m_value.hasChanged();
}

template <typename T, unsigned int SIZE>
void VNet_Replicate_Numeric<T, SIZE>::packData(VNet_BitStream* stream)
{
    Vornet_Private::packValues<Element, SIZE>(stream, m_value.getData(), Vornet_Private::relevantBits(m_setup));
}

template <typename T, unsigned int SIZE>
void VNet_Replicate_Numeric<T, SIZE>::unpackData(VNet_BitStream* stream, bool store, unsigned int)
{
    Vornet_Private::unpackValues<Element, SIZE>(stream, m_value.getData(), store,
                                                Vornet_Private::relevantBits(m_setup));
}

template <typename T, unsigned int SIZE>
VNet_ReplicatorBasic* VNet_Replicate_Numeric<T, SIZE>::createSkipper() const
{
    return Vornet_Private::valuesSkipper<Element, SIZE>(*this);
}

template <typename T, unsigned int SIZE>
typename VNet_Replicate_Numeric<T, SIZE>::Element VNet_Replicate_Numeric<T, SIZE>::getValue(unsigned char _idx)
{
    Element* element = Vornet_Private::elementAt(m_value, _idx);
    return element ? *element : Element{};
}

template <typename T, unsigned int SIZE>
void VNet_Replicate_Numeric<T, SIZE>::setValue(unsigned char _idx, Element value)
{
    if (Element* element = Vornet_Private::elementAt(m_value, _idx)) *element = value;
}

template <typename T, unsigned int SIZE>
typename VNet_Replicate_Numeric<T, SIZE>::Element* VNet_Replicate_Numeric<T, SIZE>::getValue()
{
    return m_value.getData();
}

template <typename T, unsigned int SIZE>
void VNet_Replicate_Numeric<T, SIZE>::setValue(Element* values)
{
    m_value.setData(values);
}

template <typename T, unsigned int SIZE>
unsigned char VNet_Replicate_Numeric<T, SIZE>::getSize() const
{
    return SIZE;
}
