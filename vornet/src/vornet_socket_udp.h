#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/UdpSocket.h"
#include "vornet_socket.h"

// A socket on a UDP port, shared by every control of the process that asks
// for that port. The socket reader thread receives its datagrams; the
// discovery table tells which controls answer discovery requests here.
class VNet_SocketUDP : public VNet_Socket {
public:
    // Largest serialised packet that is sent; larger ones are refused.
    static constexpr unsigned kMaxPacketBytes = 1024;
    // Size of the reader's buffer: longer datagrams are dropped.
    static constexpr unsigned kReceiveBufferBytes = 2048;

    VNet_SocketUDP();
    ~VNet_SocketUDP() override;

    // Opens the socket on the port of every interface (0: the system picks).
    bool initSocket(uint16_t port);
    // The system's handle, -1 when closed.
    int handle() const { return m_socket.handle(); }

    // A packet with a mark is a broadcast: it goes out on every local
    // interface to the destination's port.
    bool sendPacket(VNet_Packet* packet) override;
    bool hasPacket(bool noBlock, uint8_t controlId) override;
    bool addPacketHeader(VNet_Packet* packet, uint8_t sourceId, uint8_t destinationId, uint32_t flags) override;
    // Sends the bytes as one datagram without header.
    bool sendRawPacket(const VNet_Address& address, const char* bytes, unsigned length);
    bool isBroadcastAvailable() const { return m_broadcastAvailable; }

    // Discovery table: a control enables and disables answering for its id,
    // announcing the given port. Enabling is counted per id (per socket when
    // the width is 0), so each enable needs its own disable.
    void registerListener(uint8_t controlId, bool add, uint16_t port);
    // The port to announce for a request from the source control id.
    bool findListener(uint32_t sourceId, uint16_t* port);

    // Reader thread: receives every pending datagram into the buffer (of
    // kReceiveBufferBytes) and queues the valid ones.
    void readPackets(char* buffer);
    // Parses the datagram header of a received packet, whose read position
    // is at the start, into its addresses and mark. False, with a log line,
    // for a header this socket cannot take.
    bool parseHeader(VNet_Packet* packet);

private:
    struct Listener {
        uint8_t key;
        uint16_t port;
        uint32_t count;
    };

    bool sendDatagram(const char* bytes, unsigned length, const platform::Ipv4Endpoint& to);
    void broadcast(const char* bytes, unsigned length, uint16_t port);
    uint8_t listenerKey(uint8_t controlId) const { return getControlIDSize() == 0 ? 0 : controlId; }
    void receiveOne(char* buffer, unsigned length, const platform::Ipv4Endpoint& from);

    platform::UdpSocket m_socket;
    bool m_broadcastAvailable = false;
    // Registered listeners, one entry per key.
    Vornet_Private::LIST<Listener> m_listeners;
    platform::Mutex m_tableMutex;
};
