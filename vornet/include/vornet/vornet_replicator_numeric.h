#pragma once

#include <type_traits>

#include "vornet/vornet_replicator.h"
#include "vornet/vornet_replicator_families.h"
#include "vornet/vornet_replicator_value.h"

// A set-up with the bits each element takes on the wire: for integers the
// bits per element, for floats the mantissa bits.
class VNET_API VNet_RSetupNumeric : public VNet_ReplicatorSetup {
public:
    VNet_RSetupNumeric(unsigned char bits, unsigned char flags, unsigned char rules, unsigned char interceptId,
                       short minDelay, short maxDelay);
    VNet_RSetupNumeric(const VNet_RSetupNumeric& other) = default;
    VNet_RSetupNumeric& operator=(const VNet_RSetupNumeric& other) = default;
    ~VNet_RSetupNumeric() override;
    // The set-up itself when shared, else a copy; null when memory fails.
    VNet_ReplicatorSetup* Duplicate() override;

    // Read at every pack, unpack and peek: a change takes effect at once.
    unsigned char getRelevantBits() const { return m_bits; }
    void setRelevantBits(unsigned char bits) { m_bits = bits; }

private:
    uint8_t m_bits;
};

// One to twelve numbers of one type, each sent in the set-up's bits. T is
// int, unsigned int or float (the replicator holds the numbers) or a pointer
// to one (the numbers live in the application's array).
template <typename T, unsigned int SIZE>
class VNET_API VNet_Replicate_Numeric : public VNet_ReplicatorBasic {
public:
    using Element = std::remove_pointer_t<T>;

    // Value forms copy data (null: zeros); pointer forms keep using it.
    VNet_Replicate_Numeric(Element* data, VNet_RSetupNumeric* setup);
    // Makes and owns its set-up.
    VNet_Replicate_Numeric(Element* data, unsigned char bits, unsigned char flags, unsigned char rules,
                           unsigned char interceptId, short minDelay, short maxDelay);
    // A copy of a replicator that owns its set-up owns a copy of it.
    VNet_Replicate_Numeric(const VNet_Replicate_Numeric& other);
    VNet_Replicate_Numeric& operator=(const VNet_Replicate_Numeric& other);
    ~VNet_Replicate_Numeric() override;

    void* peekData() override;
    void clearPeekData() override;
    void Process(eVNet_NodeRole role, unsigned int time) override;
    bool checkState() override;
    void packData(VNet_BitStream* stream) override;
    void unpackData(VNet_BitStream* stream, bool store, unsigned int time) override;
    VNet_ReplicatorBasic* createSkipper() const override;

    Element getValue(unsigned char _idx);
    // Not reported as a change by itself.
    void setValue(unsigned char _idx, Element value);
    Element* getValue();
    // Value forms copy and mark a change; pointer forms rebind.
    void setValue(Element* values);
    unsigned char getSize() const;

protected:
    VNet_ReplicatorValue<T, SIZE> m_value;
};

#define VNET_DECLARE_NUMERIC(T, SIZE) extern template class VNet_Replicate_Numeric<T, SIZE>;
VNET_FOR_EACH_VALUE_MEMBER(VNET_DECLARE_NUMERIC)
#undef VNET_DECLARE_NUMERIC
