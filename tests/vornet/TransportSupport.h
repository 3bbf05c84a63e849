// Helpers of the transport tests: a thread-safe log capture and packets
// with a socket header and one payload value.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "vornet/src/vornet_packet.h"
#include "vornet/src/vornet_socket.h"
#include "vornet/vornet.h"

namespace transport_test {

// Log lines arrive from the socket reader thread as well.
class LogLines {
public:
    static void capture(const char* line)
    {
        std::lock_guard<std::mutex> lock(mutex());
        lines().push_back(line);
    }
    static void clear()
    {
        std::lock_guard<std::mutex> lock(mutex());
        lines().clear();
    }
    static size_t count()
    {
        std::lock_guard<std::mutex> lock(mutex());
        return lines().size();
    }
    static bool contains(const std::string& part)
    {
        std::lock_guard<std::mutex> lock(mutex());
        for (const std::string& line : lines()) {
            if (line.find(part) != std::string::npos) return true;
        }
        return false;
    }
    // Every line so far, for a failing test's message.
    static std::string all()
    {
        std::lock_guard<std::mutex> lock(mutex());
        std::string text;
        for (const std::string& line : lines()) text += line + "\n";
        return text;
    }

private:
    static std::mutex& mutex()
    {
        static std::mutex instance;
        return instance;
    }
    static std::vector<std::string>& lines()
    {
        static std::vector<std::string> instance;
        return instance;
    }
};

inline VNet_Address loopback(unsigned short port)
{
    VNet_Address address;
    address.setType(eVNet_AddressUDP);
    address.setIP(127, 0, 0, 1);
    address.setPort(port);
    return address;
}

inline VNet_Address localPort(unsigned short port)
{
    VNet_Address address;
    address.setType(eVNet_AddressLocal);
    address.setPort(port);
    return address;
}

// A packet from the socket to the address, its header and then the value.
inline VNet_Packet* makePacket(VNet_Socket& from, const VNet_Address& to, uint8_t sourceId, uint8_t destinationId,
                               uint32_t value, uint32_t flags = 0)
{
    auto* packet = new VNet_Packet(static_cast<unsigned short>(64));
    packet->setDestination(to);
    from.addPacketHeader(packet, sourceId, destinationId, flags);
    packet->getStream()->addInt(value, 32);
    return packet;
}

// The payload value of a popped packet; the packet is destroyed.
inline uint32_t takeValue(VNet_Packet* packet)
{
    if (!packet) return 0xDEADBEEF;
    const uint32_t value = packet->getStream()->getInt(32);
    delete packet;
    return value;
}

}  // namespace transport_test
