#pragma once

#include <atomic>
#include <cstdint>

#include "platform/Thread.h"
#include "vornet/vornet_types.h"
#include "vornet_memory.h"
#include "vornet_string.h"

namespace Vornet_Private {

// One host-name lookup on a thread of its own. The address that asked and
// the thread each hold a reference; whichever lets go last frees the lookup,
// so an address can be destroyed or reassigned while the system still
// looks the name up, and the result then reaches nobody.
class HostnameLookup : public platform::Thread, public HookAllocated {
public:
    // Starts looking the name up; the caller holds the one reference it
    // gets back. Null when the lookup cannot be made or started.
    static HostnameLookup* start(const char* hostName);
    // Drops the caller's reference.
    void release();

    // In progress until the thread has finished, then failed or resolved.
    eVNet_HostnameResult state() const { return m_state.load(std::memory_order_acquire); }
    // The result, valid once the state says resolved.
    uint32_t address() const { return m_address; }

private:
    explicit HostnameLookup(const char* hostName) : m_hostName(hostName) {}
    void run() override;
    void finished() override { release(); }

    STRING m_hostName;
    uint32_t m_address = 0;
    std::atomic<eVNet_HostnameResult> m_state{eVNet_HostnameInProgress};
    std::atomic<int> m_references{2};
};

}  // namespace Vornet_Private
