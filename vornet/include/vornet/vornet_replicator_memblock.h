#pragma once

#include "vornet/vornet_replicator.h"

// A raw block of the application's memory, sent whole when any byte
// changed.
class VNET_API VNet_Replicate_Memblock : public VNet_ReplicatorBasic {
public:
    VNet_Replicate_Memblock(void* data, unsigned short size, VNet_ReplicatorSetup* setup);
    VNet_Replicate_Memblock(void* data, unsigned short size, unsigned char flags, unsigned char rules,
                            unsigned char interceptId, short minDelay, short maxDelay);
    ~VNet_Replicate_Memblock() override;
    // The shadow is owned; a copy would free it twice.
    VNet_Replicate_Memblock(const VNet_Replicate_Memblock&) = delete;
    VNet_Replicate_Memblock& operator=(const VNet_Replicate_Memblock&) = delete;

    void* peekData() override;
    void clearPeekData() override;
    void Process(eVNet_NodeRole, unsigned) override {}
    bool checkState() override;
    void packData(VNet_BitStream* stream) override;
    void unpackData(VNet_BitStream* stream, bool store, unsigned time) override;
    VNet_ReplicatorBasic* createSkipper() const override;

private:
    void init(void* data, unsigned short size);

    char* m_data = nullptr;
    char* m_shadow = nullptr;
    uint16_t m_size = 0;
};
