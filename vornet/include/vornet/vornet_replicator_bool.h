#pragma once

#include "vornet/vornet_replicator.h"

// A bool held inside the replicator.
class VNET_API VNet_Replicate_Bool : public VNet_ReplicatorBasic {
public:
    VNet_Replicate_Bool(bool value, VNet_ReplicatorSetup* setup);
    VNet_Replicate_Bool(bool value, unsigned char flags, unsigned char rules, unsigned char interceptId,
                        short minDelay, short maxDelay);

    void* peekData() override;
    void clearPeekData() override {}
    void Process(eVNet_NodeRole, unsigned) override {}
    bool checkState() override;
    void packData(VNet_BitStream* stream) override;
    void unpackData(VNet_BitStream* stream, bool store, unsigned time) override;
    VNet_ReplicatorBasic* createSkipper() const override;

    bool getValue() const { return m_value; }
    void setValue(bool value) { m_value = value; }
    operator bool() const { return m_value; }
    bool& operator=(bool value)
    {
        m_value = value;
        return m_value;
    }

private:
    bool m_value;
    bool m_lastSeen;
};

// A bool held by the application.
class VNET_API VNet_Replicate_Boolp : public VNet_ReplicatorBasic {
public:
    VNet_Replicate_Boolp(bool* data, VNet_ReplicatorSetup* setup);
    VNet_Replicate_Boolp(bool* data, unsigned char flags, unsigned char rules, unsigned char interceptId,
                         short minDelay, short maxDelay);

    void* peekData() override;
    void clearPeekData() override {}
    void Process(eVNet_NodeRole, unsigned) override {}
    bool checkState() override;
    void packData(VNet_BitStream* stream) override;
    void unpackData(VNet_BitStream* stream, bool store, unsigned time) override;
    VNet_ReplicatorBasic* createSkipper() const override;

private:
    bool* m_data;
    bool m_lastSeen;
};
