#pragma once

#include <atomic>
#include <cstdint>

#include "platform/Thread.h"
#include "vornet/vornet_address.h"
#include "vornet_list.h"
#include "vornet_memory.h"
#include "vornet_packet_pool.h"

class VNet_Packet;

// Moves packets between control objects: a UDP socket between processes, a
// local socket between controls of one process. Sockets belong to the
// library object's registry, which counts the references of their users.
//
// Received packets wait in the socket's queue until the control whose id
// they are addressed to takes them. A packet for a control id that no
// control has attached as receiver is dropped on arrival: nobody would ever
// take it, and the queue must not grow without bound.
class VNet_Socket : public Vornet_Private::HookAllocated {
public:
    // Header flags of addPacketHeader.
    enum HeaderFlag : uint32_t {
        FlagDiscoverRequest = 1,
        FlagDiscoverAnswer = 2,
        FlagConnectionRequest = 8
    };
    // Widths of the control ids in the header run from 0 (no ids) to this.
    static constexpr unsigned kMaxControlIdWidth = 127;

    // Frees every packet still queued.
    virtual ~VNet_Socket();
    VNet_Socket(const VNet_Socket&) = delete;
    VNet_Socket& operator=(const VNet_Socket&) = delete;

    // Sends the packet, whose header is already written, to its destination.
    // The packet is consumed whatever the result.
    virtual bool sendPacket(VNet_Packet* packet) = 0;
    // Whether a packet for the control id is queued. Without noBlock a UDP
    // socket waits until one arrives; a local socket never waits.
    virtual bool hasPacket(bool noBlock, uint8_t controlId);
    // The oldest queued packet for the control id (any packet when the
    // width is 0), now owned by the caller; null when none.
    VNet_Packet* popPacket(uint8_t controlId);
    // Writes the datagram header at the start of the packet's stream.
    virtual bool addPacketHeader(VNet_Packet* packet, uint8_t sourceId, uint8_t destinationId, uint32_t flags) = 0;

    // A control announces that it takes the packets addressed to its id
    // from this socket, and withdraws when it lets go of the socket or
    // changes its id. Counted per id; withdrawing the last claim on an id
    // drops what is queued for it. Without ids in the header (width 0)
    // every claim takes every packet.
    void attachReceiver(uint8_t controlId);
    void detachReceiver(uint8_t controlId);

    eVNet_AddressType getType() const { return m_type; }
    uint16_t getPort() const { return m_ownAddress.getPort(); }
    const VNet_Address& getOwnAddress() const { return m_ownAddress; }

    // False, width unchanged, for a width beyond kMaxControlIdWidth.
    bool setControlIDSize(unsigned char width);
    unsigned char getControlIDSize() const { return m_width.load(); }
    // Whether a control has set the width; controls of another width must
    // not share the socket then.
    bool isControlIDSizeSet() const { return m_widthSet; }

    // Packets and streams kept for reuse: sending takes from here, and
    // packets sent or handled come back.
    Vornet_Private::PacketPool& packets() { return m_packets; }

    // Kept by the registry, under its mutex.
    int32_t getReferenceCount() const { return m_references; }
    void setReferenceCount(int32_t count) { m_references = count; }

protected:
    explicit VNet_Socket(eVNet_AddressType type);

    // Appends a received packet for its destination control id; false,
    // packet untouched, when no receiver has that id.
    bool enqueue(VNet_Packet* packet);
    bool hasQueued(uint8_t controlId);
    // The id that pops a packet: the header's destination, 0 without ids.
    uint8_t queueKey(const VNet_Packet* packet) const;
    // Whether a control takes the packets of the key; under the queue mutex.
    bool hasReceiverFor(uint8_t key) const;

    VNet_Address m_ownAddress;
    // Guards the queue and the receivers: the socket reader appends while
    // the application pops.
    platform::Mutex m_queueMutex;

private:
    eVNet_AddressType m_type;
    int32_t m_references = 0;
    // Set by a control on its thread while the reader may be parsing.
    std::atomic<unsigned char> m_width{0};
    std::atomic<bool> m_widthSet{false};
    Vornet_Private::LIST<VNet_Packet*> m_queue;
    uint16_t m_receivers[256] = {};
    uint32_t m_receiverCount = 0;
    Vornet_Private::PacketPool m_packets;
};
