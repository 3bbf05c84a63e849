#pragma once

#include <cstdint>

#include "vornet/vornet_address.h"
#include "vornet/vornet_bitstream.h"
#include "vornet_address_block.h"
#include "vornet_memory.h"

namespace Vornet_Private {
// A connection's record of what a sent packet carried.
struct HistoryRecord;
}  // namespace Vornet_Private

// One datagram on its way: its stream (socket header included), where it
// comes from and goes to, and what the connection layer notes about it.
class VNet_Packet : public Vornet_Private::HookAllocated {
public:
    // What the socket layer says about a packet.
    enum Mark : int32_t {
        MarkNone = 0,
        // Outgoing: any mark but MarkNone means broadcast.
        MarkDiscoverRequest = 1,
        MarkDiscoverAnswer = 2
    };

    // With a new stream of the size hint; fatal when it cannot be had.
    explicit VNet_Packet(unsigned short sizeHint);
    // Around a stream that the packet takes over; null for none.
    explicit VNet_Packet(VNet_BitStream* stream);
    // Frees the stream (clearing its lock) and the header stream. The
    // connection layer hands back its history record first.
    ~VNet_Packet();
    VNet_Packet(const VNet_Packet&) = delete;
    VNet_Packet& operator=(const VNet_Packet&) = delete;

    // A copy to hand to a second socket, since sending consumes a packet:
    // stream, addresses, time, mark and what the connection layer noted,
    // without the history record. Null when memory runs out.
    VNet_Packet* duplicate() const;

    VNet_BitStream* getStream() const { return m_stream; }
    // Replaces the stream, freeing the old one.
    void setStream(VNet_BitStream* stream);
    // A second stream that holds the packet's sequence section while its
    // number is deferred; owned by the packet.
    VNet_BitStream* getHeaderStream() const { return m_headerStream; }
    void setHeaderStream(VNet_BitStream* stream);
    // The header stream, now owned by the caller.
    VNet_BitStream* takeHeaderStream();
    // The stream, now owned by the caller; the packet is left without.
    VNet_BitStream* takeStream();

    VNet_Address& getSource() { return m_source; }
    const VNet_Address& getSource() const { return m_source; }
    void setSource(const VNet_Address& address) { m_source = address; }
    VNet_Address& getDestination() { return m_destination; }
    const VNet_Address& getDestination() const { return m_destination; }
    void setDestination(const VNet_Address& address) { m_destination = address; }

    // Receive time of incoming packets, due time of outgoing ones.
    uint32_t getTime() const { return m_time; }
    void setTime(uint32_t time) { m_time = time; }

    Mark getMark() const { return m_mark; }
    void setMark(Mark mark) { m_mark = mark; }
    // For a received discovery request: the port its listener announces.
    uint16_t getDiscoverRequestPort() const { return m_discoverRequestPort; }
    void setDiscoverRequestPort(uint16_t port) { m_discoverRequestPort = port; }

    // Set and read by the connection layer only.
    int32_t getMode() const { return m_mode; }
    void setMode(int32_t mode) { m_mode = mode; }
    int32_t getKind() const { return m_kind; }
    void setKind(int32_t kind) { m_kind = kind; }
    Vornet_Private::HistoryRecord* getHistory() const { return m_history; }
    void setHistory(Vornet_Private::HistoryRecord* history) { m_history = history; }

    // Serialised size of the stream in bytes; 0 without stream.
    unsigned getSize() const;

private:
    VNet_BitStream* m_stream = nullptr;
    VNet_BitStream* m_headerStream = nullptr;
    // The addresses' private parts ride in the packet: a datagram costs no
    // allocations for its two addresses.
    Vornet_Private::AddressBlock m_sourceBlock;
    Vornet_Private::AddressBlock m_destinationBlock;
    VNet_Address m_source{m_sourceBlock};
    VNet_Address m_destination{m_destinationBlock};
    uint32_t m_time = 0;
    Mark m_mark = MarkNone;
    uint16_t m_discoverRequestPort = 0;
    int32_t m_mode = 0;
    int32_t m_kind = 0;
    Vornet_Private::HistoryRecord* m_history = nullptr;
};
