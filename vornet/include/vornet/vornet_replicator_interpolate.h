#pragma once

#include <type_traits>

#include "vornet/vornet_replicator.h"
#include "vornet/vornet_replicator_families.h"
#include "vornet/vornet_replicator_numeric.h"
#include "vornet/vornet_replicator_value.h"

// The numeric set-up plus the smoothing: the error threshold above which a
// received value is taken at once, and the share of the way to the target
// one step moves.
template <typename E>
class VNET_API VNet_RSetupInterpolate : public VNet_RSetupNumeric {
public:
    VNet_RSetupInterpolate(unsigned char bits, unsigned char flags, unsigned char rules, E threshold,
                           unsigned char interceptId, short minDelay, short maxDelay, float factor);
    VNet_RSetupInterpolate(const VNet_RSetupInterpolate& other) = default;
    VNet_RSetupInterpolate& operator=(const VNet_RSetupInterpolate& other) = default;
    ~VNet_RSetupInterpolate() override;
    VNet_ReplicatorSetup* Duplicate() override;

    E getThreshold() const { return m_threshold; }
    float getFactor() const { return m_factor; }

private:
    float m_factor;
    E m_threshold;
};

// Numbers replicated as the numeric replicator does, smoothed toward the
// received values on the receiving side, once per replicator step.
template <typename T, unsigned int SIZE>
class VNET_API VNet_Interpolate : public VNet_ReplicatorBasic {
public:
    using Element = std::remove_pointer_t<T>;

    VNet_Interpolate(Element* data, VNet_RSetupInterpolate<Element>* setup);
    // Makes and owns its set-up; the reference is not used.
    VNet_Interpolate(Element* data, unsigned char bits, unsigned char flags, unsigned char rules, Element threshold,
                     Element* reference, unsigned char interceptId, short minDelay, short maxDelay, float factor);
    VNet_Interpolate(const VNet_Interpolate& other);
    VNet_Interpolate& operator=(const VNet_Interpolate& other);
    ~VNet_Interpolate() override;

    void* peekData() override;
    void clearPeekData() override;
    // One smoothing step; the time is not used.
    void Process(eVNet_NodeRole role, unsigned int time) override;
    bool checkState() override;
    void packData(VNet_BitStream* stream) override;
    void unpackData(VNet_BitStream* stream, bool store, unsigned int time) override;
    VNet_ReplicatorBasic* createSkipper() const override;

    Element getValue(unsigned char _idx);
    void setValue(unsigned char _idx, Element value);
    Element* getValue();
    void setValue(Element* values);
    // The targets of the smoothing; writing one steers it.
    Element getRecVal(unsigned char _idx) const;
    void setRecVal(unsigned char _idx, Element value);
    Element* getRecValPtr(unsigned char _idx);
    unsigned char getSize() const;

protected:
    VNet_ReplicatorValue<T, SIZE> m_value;
    Element m_recval[SIZE];

private:
    void completeConstruction(Element* data);
};

#define VNET_DECLARE_INTERPOLATE_SETUP(E) extern template class VNet_RSetupInterpolate<E>;
VNET_FOR_EACH_ELEMENT(VNET_DECLARE_INTERPOLATE_SETUP)
#undef VNET_DECLARE_INTERPOLATE_SETUP
#define VNET_DECLARE_INTERPOLATE(T, SIZE) extern template class VNet_Interpolate<T, SIZE>;
VNET_FOR_EACH_VALUE_MEMBER(VNET_DECLARE_INTERPOLATE)
#undef VNET_DECLARE_INTERPOLATE
