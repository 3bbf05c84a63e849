#pragma once

#include <cstdint>

#include "vornet_socket.h"

// An in-process socket: a packet sent to a local port moves, without a
// copy, into the queue of the local socket with that port. Sending and
// popping happen on the application's thread.
class VNet_SocketLocal : public VNet_Socket {
public:
    explicit VNet_SocketLocal(uint16_t port);

    bool sendPacket(VNet_Packet* packet) override;
    // The header is only the destination control id (nothing at width 0).
    bool addPacketHeader(VNet_Packet* packet, uint8_t sourceId, uint8_t destinationId, uint32_t flags) override;

private:
    // Takes a packet from another local socket: reads the destination id
    // and queues it for that control.
    void deliver(VNet_Packet* packet);
};
