#pragma once

#include <atomic>
#include <cstdint>

#include "platform/NameLookup.h"
#include "platform/Thread.h"
#include "vornet_list.h"
#include "vornet_memory.h"
#include "vornet_socket_reader.h"

class VNet_Socket;

namespace Vornet_Private {

// The library object's private block. One per process is published; the
// sockets, the reader and the log find it through currentCore().
class Core : public HookAllocated {
public:
    enum SocketType { SocketLocal = 0, SocketUnused = 1, SocketUDP = 2, SocketTypeCount = 3 };
    // Longest wait of the socket reader between two looks at its stop flag.
    static constexpr unsigned kReaderWaitMs = 200;

    // Publishes the block and starts the socket reader.
    Core();
    // Stops and joins the reader, destroys the sockets still registered and
    // retracts the published pointer if it still names this block.
    ~Core();
    Core(const Core&) = delete;
    Core& operator=(const Core&) = delete;

    // Destroys every registered socket, whatever its reference count.
    void destroySockets();
    // The host's IPv4 interfaces with their broadcast addresses, found on
    // first use; loopback is always among them.
    const LIST<platform::LocalInterface>& getLocalInterfaces();

    // Registered sockets by type, all guarded by registryMutex.
    LIST<VNet_Socket*> sockets[SocketTypeCount];
    platform::Mutex registryMutex;
    // Moves on after every batch of datagrams the reader has queued; a
    // blocking hasPacket waits for it.
    platform::Notifier readBatches;
    std::atomic<bool> stopReader{false};
    // Wakes the reader from its idle wait: to stop, or to watch a socket
    // that was just registered.
    platform::Notifier readerWake;
    // Innermost lock: makes each log line whole.
    platform::Mutex logMutex;
    bool localAddressesDiscovered = false;
    LIST<platform::LocalInterface> localInterfaces;

private:
    SocketReader m_reader{*this};
};

// The published private block, null while no library object exists.
Core* currentCore();

// Process-wide connection time-out in milliseconds.
uint32_t connectionTimeout();
void setConnectionTimeout(uint32_t milliseconds);

}  // namespace Vornet_Private
