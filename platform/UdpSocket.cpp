#include "platform/UdpSocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace platform {

namespace {

sockaddr_in toSockaddr(uint32_t address, uint16_t port)
{
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_addr.s_addr = htonl(address);
    result.sin_port = htons(port);
    return result;
}

bool setFlag(int handle, int option)
{
    const int on = 1;
    return setsockopt(handle, SOL_SOCKET, option, &on, sizeof on) == 0;
}

}  // namespace

UdpSocket::~UdpSocket()
{
    close();
}

bool UdpSocket::fail()
{
    lastError_ = errno;
    return false;
}

bool UdpSocket::open()
{
    close();
    handle_ = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    return handle_ >= 0 || fail();
}

void UdpSocket::close()
{
    if (handle_ >= 0) ::close(handle_);
    handle_ = -1;
}

bool UdpSocket::setNonBlocking()
{
    const int flags = fcntl(handle_, F_GETFL, 0);
    return (flags >= 0 && fcntl(handle_, F_SETFL, flags | O_NONBLOCK) == 0) || fail();
}

bool UdpSocket::setReuseAddress()
{
    return setFlag(handle_, SO_REUSEADDR) || fail();
}

bool UdpSocket::setBroadcast()
{
    return setFlag(handle_, SO_BROADCAST) || fail();
}

bool UdpSocket::bind(uint32_t address, uint16_t port)
{
    const sockaddr_in local = toSockaddr(address, port);
    return ::bind(handle_, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0 || fail();
}

uint16_t UdpSocket::localPort() const
{
    sockaddr_in local{};
    socklen_t size = sizeof local;
    if (getsockname(handle_, reinterpret_cast<sockaddr*>(&local), &size) != 0) return 0;
    return ntohs(local.sin_port);
}

bool UdpSocket::sendTo(const void* bytes, size_t length, const Ipv4Endpoint& to)
{
    if (to.address == kAnyAddress) {
        lastError_ = EDESTADDRREQ;
        return false;
    }
    const sockaddr_in target = toSockaddr(to.address, to.port);
    const ssize_t sent = ::sendto(handle_, bytes, length, MSG_NOSIGNAL,
                                  reinterpret_cast<const sockaddr*>(&target), sizeof target);
    return sent == static_cast<ssize_t>(length) || fail();
}

ReceiveStatus UdpSocket::receiveFrom(void* buffer, size_t capacity, size_t* length, Ipv4Endpoint* from)
{
    sockaddr_in source{};
    socklen_t size = sizeof source;
    // MSG_TRUNC makes the call return the datagram's real length, so one
    // longer than the buffer is recognised instead of silently cut.
    const ssize_t received = ::recvfrom(handle_, buffer, capacity, MSG_TRUNC,
                                        reinterpret_cast<sockaddr*>(&source), &size);
    if (received < 0) {
        lastError_ = errno;
        return errno == EAGAIN || errno == EWOULDBLOCK ? ReceiveStatus::Empty : ReceiveStatus::Failed;
    }
    if (from) *from = {ntohl(source.sin_addr.s_addr), ntohs(source.sin_port)};
    if (static_cast<size_t>(received) > capacity) return ReceiveStatus::Truncated;
    *length = static_cast<size_t>(received);
    return ReceiveStatus::Received;
}

int waitReadable(const int* handles, size_t count, int timeoutMs, bool* ready)
{
    std::vector<pollfd> polled(count);
    for (size_t i = 0; i < count; ++i) polled[i] = {handles[i], POLLIN, 0};
    const int result = ::poll(polled.data(), polled.size(), timeoutMs);
    for (size_t i = 0; i < count; ++i) {
        ready[i] = result > 0 && (polled[i].revents & (POLLIN | POLLERR | POLLHUP)) != 0;
    }
    return result;
}

}  // namespace platform
