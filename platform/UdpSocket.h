#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// An IPv4 address and port, both in host byte order.
struct Ipv4Endpoint {
    uint32_t address = 0;
    uint16_t port = 0;
};

constexpr uint32_t kAnyAddress = 0;
constexpr uint32_t kLoopbackAddress = 0x7F000001;  // 127.0.0.1

// Outcome of one receive on a non-blocking socket.
enum class ReceiveStatus {
    Received,   // a whole datagram is in the buffer
    Empty,      // nothing more to read now
    Truncated,  // the datagram was longer than the buffer and is dropped
    Failed,     // a socket error (see lastError)
};

// A BSD datagram socket over IPv4. -1 is the closed handle (0 is a valid
// descriptor here). Every call reports failure by its result; the system's
// error code is in lastError().
class UdpSocket {
public:
    UdpSocket() = default;
    ~UdpSocket();
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    bool open();
    void close();
    bool isOpen() const { return handle_ >= 0; }
    int handle() const { return handle_; }

    bool setNonBlocking();
    bool setReuseAddress();
    bool setBroadcast();
    // Port 0 lets the system choose one; localPort() tells which.
    bool bind(uint32_t address, uint16_t port);
    uint16_t localPort() const;

    // Sends one datagram; refuses the unspecified address 0.0.0.0.
    bool sendTo(const void* bytes, size_t length, const Ipv4Endpoint& to);
    ReceiveStatus receiveFrom(void* buffer, size_t capacity, size_t* length, Ipv4Endpoint* from);

    int lastError() const { return lastError_; }

private:
    bool fail();

    int handle_ = -1;
    int lastError_ = 0;
};

// Waits up to timeoutMs for any of the handles to become readable; ready[i]
// tells which. Returns the number of ready handles, 0 on time-out, -1 on error.
int waitReadable(const int* handles, size_t count, int timeoutMs, bool* ready);

}  // namespace platform
