#pragma once

#include <cstdint>

#include "vornet_list.h"
#include "vornet_memory.h"
#include "platform/Thread.h"

class VNet_Socket;
class VNet_Address;

namespace Vornet_Private {

// The library object's private block. One per process is published; the
// sockets, the reader and the log find it through currentCore().
class Core : public HookAllocated {
public:
    enum SocketType { SocketLocal = 0, SocketUnused = 1, SocketUDP = 2, SocketTypeCount = 3 };

    Core();
    // Retracts the published pointer if it still names this block.
    ~Core();
    Core(const Core&) = delete;
    Core& operator=(const Core&) = delete;

    // Registered sockets by type; the UDP list is guarded by registryMutex.
    LIST<VNet_Socket*> sockets[SocketTypeCount];
    platform::Mutex registryMutex;
    // Held by the socket reader while it waits for and reads datagrams.
    platform::Mutex readingMutex;
    bool stopReader = false;
    // Innermost lock: makes each log line whole.
    platform::Mutex logMutex;
    bool localAddressesDiscovered = false;
    LIST<VNet_Address*> localAddresses;
};

// The published private block, null while no library object exists.
Core* currentCore();

// Process-wide connection time-out in milliseconds.
uint32_t connectionTimeout();
void setConnectionTimeout(uint32_t milliseconds);

}  // namespace Vornet_Private
