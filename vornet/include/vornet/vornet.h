#pragma once

#include <cstddef>
#include <cstdint>

#include "vornet/vornet_export.h"
#include "vornet/vornet_types.h"

namespace Vornet_Private {
class Core;
}
class VNet_Socket;

// The library object: the first thing an application creates and the last it
// destroys. Its settings, clock and allocation hooks are process-wide and
// usable before any library object exists.
class VNET_API Vornet {
public:
    using AllocateFunction = void* (*)(unsigned int bytes);
    using FreeFunction = void (*)(void* memory);
    using LogCallback = void (*)(const char* line);

    // Logs nowhere.
    Vornet();
    // Logs to the named file, deleting an existing file of that name first.
    explicit Vornet(const char* logFileName);
    // Hands every log line, without its newline, to the callback.
    explicit Vornet(LogCallback logCallback);
    ~Vornet();

    // Two objects sharing one private block would tear it down twice.
    Vornet(const Vornet&) = delete;
    Vornet& operator=(const Vornet&) = delete;

    // Readies the socket layer; false when the object has no private block.
    bool Init();
    // Destroys every registered socket, whatever its users. Call it after
    // the control objects are gone and before destroying this object.
    void Clear();

    void setConnectionTimeout(uint32_t milliseconds);
    // Kept for callers of older versions; resends follow acknowledgements.
    void setResendTimeout(uint32_t milliseconds);
    // 0: errors and warnings; 1 (default): all but verbose lines; 2: all.
    void setLogLevel(uint8_t level);

    // Replaces the process-wide allocation hooks; null restores the C
    // runtime's function. Call before creating any library object or node.
    static void overrideMemoryHandlers(AllocateFunction allocate, FreeFunction release);
    // Library clock: milliseconds, first reading 1, wraps after 49.7 days.
    static uint32_t getTime();
    static void Sleep(uint32_t milliseconds);

    // The socket registry of the current library object, for the control
    // objects. A UDP socket (type eVNet_AddressUDP) is shared by every
    // request for its port that allows sharing (port 0 always opens a new
    // one); each local socket request (eVNet_AddressLocal) makes a new one.
    // Null when the socket cannot be had or the port is taken.
    static VNet_Socket* requestSocket(eVNet_AddressType type, unsigned short port, bool share);
    // Gives one reference back; the last one destroys the socket. Null, a
    // socket the registry does not hold, or a call after the library
    // object's end change nothing.
    static void releaseSocket(VNet_Socket* socket);

    static void* operator new(size_t bytes) noexcept;
    static void* operator new[](size_t bytes) noexcept;
    static void operator delete(void* memory) noexcept;
    static void operator delete[](void* memory) noexcept;

private:
    void build();

    // Null when its allocation failed: the object then does nothing.
    Vornet_Private::Core* m_priv;
};
