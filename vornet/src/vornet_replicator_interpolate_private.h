#pragma once

#include <cmath>

#include "vornet/vornet_replicator_interpolate.h"

#include "vornet_replicator_elements.h"
#include "vornet_replicator_numeric_private.h"

namespace Vornet_Private {

// Differences up to this are never worth smoothing, whatever the type.
inline constexpr float snapBelowError = 2.0f;

// One smoothing step of one element toward its received target: the step
// moves a fixed share of the way, or takes the target outright when the
// error is small, larger than the threshold, or not a number at all.
template <typename E>
E smoothElement(E current, E target, E threshold, float factor)
{
    const float cur = toFloat(current);
    const float rec = toFloat(target);
    const float err = std::fabs(rec - cur);
    // The threshold counts at its full value, not rounded to float.
    if (!std::isfinite(err) || static_cast<double>(err) > static_cast<double>(threshold) || err <= snapBelowError)
        return target;
    const float blended = rec * factor + cur * (1.0f - factor);
    if (!std::isfinite(blended)) return target;
    return roundHalfUp<E>(blended);
}

}  // namespace Vornet_Private

// ---------------------------------------------------------------------------
// Interpolating replicators

template <typename E>
VNet_RSetupInterpolate<E>::VNet_RSetupInterpolate(unsigned char bits, unsigned char flags, unsigned char rules,
                                                  E threshold, unsigned char interceptId, short minDelay,
                                                  short maxDelay, float factor)
    : VNet_RSetupNumeric(bits, flags, rules, interceptId, minDelay, maxDelay), m_factor(factor),
      m_threshold(threshold)
{
}

template <typename E>
VNet_RSetupInterpolate<E>::~VNet_RSetupInterpolate() = default;

template <typename E>
VNet_ReplicatorSetup* VNet_RSetupInterpolate<E>::Duplicate()
{
    if (getFlags() & VNET_REPFLAG_SHAREDSETUP) return this;
    return new VNet_RSetupInterpolate(getRelevantBits(), getFlags(), getRules(), m_threshold, getInterceptID(),
                                      getMinDelay(), getMaxDelay(), m_factor);
}

namespace Vornet_Private {

template <typename E>
const VNet_RSetupInterpolate<E>* interpolationSetup(const VNet_ReplicatorSetup* setup)
{
    return static_cast<const VNet_RSetupInterpolate<E>*>(setup);
}

}  // namespace Vornet_Private

template <typename T, unsigned int SIZE>
VNet_Interpolate<T, SIZE>::VNet_Interpolate(Element* data, VNet_RSetupInterpolate<Element>* setup)
    : VNet_ReplicatorBasic(setup), m_recval{}
{
    completeConstruction(data);
}

template <typename T, unsigned int SIZE>
VNet_Interpolate<T, SIZE>::VNet_Interpolate(Element* data, unsigned char bits, unsigned char flags,
                                            unsigned char rules, Element threshold, Element*,
                                            unsigned char interceptId, short minDelay, short maxDelay, float factor)
    : VNet_ReplicatorBasic(nullptr), m_recval{}
{
    m_setup = new VNet_RSetupInterpolate<Element>(bits, flags | VNET_REPFLAG_OWNEDSETUP, rules, threshold,
                                                  interceptId, minDelay, maxDelay, factor);
    if (!m_setup) {
        Vornet_Private::logRaw("VNet_Interpolate(): out of memory");
        return;
    }
    completeConstruction(data);
}

template <typename T, unsigned int SIZE>
void VNet_Interpolate<T, SIZE>::completeConstruction(Element* data)
{
    if (!Vornet_Private::bindFirstValues(m_value, data)) return;
    m_flags |= VNET_REPLICATOR_PROCESS;
    std::memcpy(m_recval, m_value.getData(), sizeof(m_recval));
    m_flags |= VNET_REPLICATOR_INITIALIZED;
}

template <typename T, unsigned int SIZE>
VNet_Interpolate<T, SIZE>::VNet_Interpolate(const VNet_Interpolate& other)
    : VNet_ReplicatorBasic(other), m_value(other.m_value)
{
    std::memcpy(m_recval, other.m_recval, sizeof(m_recval));
    m_setup = Vornet_Private::setupForCopy<VNet_RSetupInterpolate<Element>>(other.m_setup);
    if (!m_setup) m_flags &= ~VNET_REPLICATOR_INITIALIZED;
}

template <typename T, unsigned int SIZE>
VNet_Interpolate<T, SIZE>& VNet_Interpolate<T, SIZE>::operator=(const VNet_Interpolate& other)
{
    if (this == &other) return *this;
    VNet_ReplicatorSetup* setup = Vornet_Private::setupForCopy<VNet_RSetupInterpolate<Element>>(other.m_setup);
    Vornet_Private::deleteOwnedSetup(m_setup);
    VNet_ReplicatorBasic::operator=(other);
    m_setup = setup;
    if (!m_setup) m_flags &= ~VNET_REPLICATOR_INITIALIZED;
    m_value = other.m_value;
    std::memcpy(m_recval, other.m_recval, sizeof(m_recval));
    return *this;
}

template <typename T, unsigned int SIZE>
VNet_Interpolate<T, SIZE>::~VNet_Interpolate() = default;

template <typename T, unsigned int SIZE>
void* VNet_Interpolate<T, SIZE>::peekData()
{
    Element* values = Vornet_Private::peekValues<Element, SIZE>(getPeekStream(), Vornet_Private::relevantBits(m_setup));
    if (values) peekDataStore(values);
    return values;
}

template <typename T, unsigned int SIZE>
void VNet_Interpolate<T, SIZE>::clearPeekData()
{
    Vornet_Private::release(peekDataRetrieve());
}

template <typename T, unsigned int SIZE>
void VNet_Interpolate<T, SIZE>::Process(eVNet_NodeRole role, unsigned int)
{
    Element* values = m_value.getData();
    if (!m_setup || !values) return;
    const auto* setup = Vornet_Private::interpolationSetup<Element>(m_setup);
    const unsigned char rules = setup->getRules();
    const bool smooths = ((rules & VNET_RULE_AUTHORITY_TO_PROXY) && role == eVNet_RoleProxy) ||
                         ((rules & VNET_RULE_AUTHORITY_TO_OWNER) && role == eVNet_RoleOwner);
    if (smooths) {
        for (unsigned int i = 0; i < SIZE; ++i)
            values[i] =
                Vornet_Private::smoothElement(values[i], m_recval[i], setup->getThreshold(), setup->getFactor());
    } else if ((rules & VNET_RULE_OWNER_TO_AUTHORITY) && role == eVNet_RoleAuthority) {
        std::memcpy(values, m_recval, sizeof(m_recval));
    }
}

template <typename T, unsigned int SIZE>
bool VNet_Interpolate<T, SIZE>::checkState()
{
    return m_value.hasChanged();
}

template <typename T, unsigned int SIZE>
void VNet_Interpolate<T, SIZE>::packData(VNet_BitStream* stream)
{
    Vornet_Private::packValues<Element, SIZE>(stream, m_value.getData(), Vornet_Private::relevantBits(m_setup));
}

// The first update is shown at once; later ones only move the targets.
template <typename T, unsigned int SIZE>
void VNet_Interpolate<T, SIZE>::unpackData(VNet_BitStream* stream, bool store, unsigned int)
{
    const unsigned char bits = Vornet_Private::relevantBits(m_setup);
    if (!store || (m_flags & VNET_REPLICATOR_RECEIVED)) {
        Vornet_Private::unpackValues<Element, SIZE>(stream, m_recval, store, bits);
        return;
    }
    Element* values = m_value.getData();
    Vornet_Private::unpackValues<Element, SIZE>(stream, values, store, bits);
    if (!values) return;
    std::memcpy(m_recval, values, sizeof(m_recval));
    m_flags |= VNET_REPLICATOR_RECEIVED;
}

template <typename T, unsigned int SIZE>
VNet_ReplicatorBasic* VNet_Interpolate<T, SIZE>::createSkipper() const
{
    return Vornet_Private::valuesSkipper<Element, SIZE>(*this);
}

template <typename T, unsigned int SIZE>
typename VNet_Interpolate<T, SIZE>::Element VNet_Interpolate<T, SIZE>::getValue(unsigned char _idx)
{
    Element* element = Vornet_Private::elementAt(m_value, _idx);
    return element ? *element : Element{};
}

template <typename T, unsigned int SIZE>
void VNet_Interpolate<T, SIZE>::setValue(unsigned char _idx, Element value)
{
    if (Element* element = Vornet_Private::elementAt(m_value, _idx)) *element = value;
}

template <typename T, unsigned int SIZE>
typename VNet_Interpolate<T, SIZE>::Element* VNet_Interpolate<T, SIZE>::getValue()
{
    return m_value.getData();
}

template <typename T, unsigned int SIZE>
void VNet_Interpolate<T, SIZE>::setValue(Element* values)
{
    m_value.setData(values);
}

template <typename T, unsigned int SIZE>
typename VNet_Interpolate<T, SIZE>::Element VNet_Interpolate<T, SIZE>::getRecVal(unsigned char _idx) const
{
    if (!VNET_ASSERT(_idx < SIZE, "element index out of range")) return Element{};
    return m_recval[_idx];
}

template <typename T, unsigned int SIZE>
void VNet_Interpolate<T, SIZE>::setRecVal(unsigned char _idx, Element value)
{
    if (VNET_ASSERT(_idx < SIZE, "element index out of range")) m_recval[_idx] = value;
}

template <typename T, unsigned int SIZE>
typename VNet_Interpolate<T, SIZE>::Element* VNet_Interpolate<T, SIZE>::getRecValPtr(unsigned char _idx)
{
    if (!VNET_ASSERT(_idx < SIZE, "element index out of range")) return nullptr;
    return m_recval + _idx;
}

template <typename T, unsigned int SIZE>
unsigned char VNet_Interpolate<T, SIZE>::getSize() const
{
    return SIZE;
}
