#pragma once

#include <cstdint>

#include "platform/Thread.h"
#include "vornet_memory.h"

class VNet_BitStream;
class VNet_Packet;

namespace Vornet_Private {

// A socket's spare packets and streams, kept with their buffers for the
// next datagram, so that sending and receiving in steady state allocate
// nothing. A packet the socket sends over UDP, or that a control has
// handled after taking it from the socket, comes back here; the socket
// reader and the connections that send through the socket take from here.
// Those run on two threads, so the pool has a mutex of its own, taken
// after any other lock and never together with the queue's.
class PacketPool {
public:
    // Enough for a full window of packets and their resend copies in each
    // direction.
    static constexpr int kKept = 48;

    PacketPool() = default;
    ~PacketPool();
    PacketPool(const PacketPool&) = delete;
    PacketPool& operator=(const PacketPool&) = delete;

    // A packet as new, with an empty stream as new of the size hint; null
    // when memory runs out.
    VNet_Packet* makePacket(unsigned short sizeHint);
    VNet_BitStream* makeStream(unsigned short sizeHint);
    // Takes back a packet (without history record) and its streams, or a
    // stream; what the pool has no room for is freed.
    void recycle(VNet_Packet* packet);
    void recycle(VNet_BitStream* stream);

private:
    // Memory of destroyed packets, and streams that wait to be emptied.
    platform::Mutex m_mutex;
    void* m_packetMemory[kKept];
    int m_packetCount = 0;
    VNet_BitStream* m_streams[kKept];
    int m_streamCount = 0;
};

}  // namespace Vornet_Private
