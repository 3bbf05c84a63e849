#include "vornet/vornet_replicator_memblock.h"

#include <cstring>

#include "vornet_memory.h"
#include "vornet_replicator_skipper.h"

using namespace Vornet_Private;

VNet_Replicate_Memblock::VNet_Replicate_Memblock(void* data, unsigned short size, VNet_ReplicatorSetup* setup)
    : VNet_ReplicatorBasic(setup)
{
    init(data, size);
}

VNet_Replicate_Memblock::VNet_Replicate_Memblock(void* data, unsigned short size, unsigned char flags,
                                                 unsigned char rules, unsigned char interceptId, short minDelay,
                                                 short maxDelay)
    : VNet_ReplicatorBasic(new VNet_ReplicatorSetup(uint8_t(flags | VNET_REPFLAG_OWNEDSETUP), rules, interceptId,
                                                    minDelay, maxDelay))
{
    init(data, size);
}

void VNet_Replicate_Memblock::init(void* data, unsigned short size)
{
    m_data = static_cast<char*>(data);
    m_size = size;
    // A block of 0 bytes needs no shadow; new[] of 0 still gives one.
    m_shadow = allocateArray<char>(size ? size : 1);
    if (m_shadow && m_data) std::memcpy(m_shadow, m_data, size);
    if (m_setup && m_shadow && m_data) m_flags |= VNET_REPLICATOR_INITIALIZED;
}

VNet_Replicate_Memblock::~VNet_Replicate_Memblock()
{
    release(m_shadow);
}

void* VNet_Replicate_Memblock::peekData()
{
    VNet_BitStream* stream = getPeekStream();
    if (!stream) return nullptr;
    char* copy = allocateArray<char>(m_size ? m_size : 1);
    if (!copy) return nullptr;
    stream->getBuffer(copy, m_size);
    peekDataStore(copy);
    return copy;
}

void VNet_Replicate_Memblock::clearPeekData()
{
    release(peekDataRetrieve());
}

bool VNet_Replicate_Memblock::checkState()
{
    if (std::memcmp(m_data, m_shadow, m_size) == 0) return false;
    std::memcpy(m_shadow, m_data, m_size);
    return true;
}

void VNet_Replicate_Memblock::packData(VNet_BitStream* stream)
{
    stream->addBuffer(m_data, m_size);
}

void VNet_Replicate_Memblock::unpackData(VNet_BitStream* stream, bool store, unsigned)
{
    if (store)
        stream->getBuffer(m_data, m_size);
    else
        stream->skipBuffer(m_size);
}

VNet_ReplicatorBasic* VNet_Replicate_Memblock::createSkipper() const
{
    return Vornet_Private::skipperFor(*this, Vornet_Private::skipBufferValue, m_size);
}
