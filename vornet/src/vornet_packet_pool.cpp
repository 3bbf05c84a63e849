#include "vornet_packet_pool.h"

#include <new>

#include "vornet/vornet_bitstream.h"
#include "vornet_log.h"
#include "vornet_packet.h"

namespace Vornet_Private {

namespace {

void freeStream(VNet_BitStream* stream)
{
    stream->setFlag(VNET_BS_LOCKED_FLAG, false);
    delete stream;
}

}  // namespace

PacketPool::~PacketPool()
{
    for (int i = 0; i < m_packetCount; ++i) release(m_packetMemory[i]);
    for (int i = 0; i < m_streamCount; ++i) freeStream(m_streams[i]);
}

VNet_Packet* PacketPool::makePacket(unsigned short sizeHint)
{
    VNet_BitStream* stream = makeStream(sizeHint);
    if (!stream) return nullptr;
    void* memory = nullptr;
    {
        platform::MutexLock lock(m_mutex);
        if (m_packetCount > 0) memory = m_packetMemory[--m_packetCount];
    }
    if (!memory) memory = allocate(sizeof(VNet_Packet));
    if (!memory) {
        freeStream(stream);
        return nullptr;
    }
    return ::new (memory) VNet_Packet(stream);
}

VNet_BitStream* PacketPool::makeStream(unsigned short sizeHint)
{
    VNet_BitStream* stream = nullptr;
    {
        platform::MutexLock lock(m_mutex);
        if (m_streamCount > 0) stream = m_streams[--m_streamCount];
    }
    if (!stream) return new VNet_BitStream(sizeHint);
    stream->rewind(sizeHint);
    return stream;
}

void PacketPool::recycle(VNet_Packet* packet)
{
    if (!packet) return;
    recycle(packet->takeStream());
    recycle(packet->takeHeaderStream());
    packet->~VNet_Packet();
    {
        platform::MutexLock lock(m_mutex);
        if (m_packetCount < kKept) {
            m_packetMemory[m_packetCount++] = packet;
            return;
        }
    }
    release(packet);
}

void PacketPool::recycle(VNet_BitStream* stream)
{
    if (!stream) return;
    {
        platform::MutexLock lock(m_mutex);
        if (m_streamCount < kKept) {
            m_streams[m_streamCount++] = stream;
            return;
        }
    }
    freeStream(stream);
}

}  // namespace Vornet_Private
