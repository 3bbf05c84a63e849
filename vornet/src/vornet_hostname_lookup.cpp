#include "vornet_hostname_lookup.h"

#include "platform/NameLookup.h"
#include "vornet_log.h"

namespace Vornet_Private {

HostnameLookup* HostnameLookup::start(const char* hostName)
{
    auto* lookup = new HostnameLookup(hostName);
    if (!lookup) return nullptr;
    if (!lookup->platform::Thread::start()) {
        delete lookup;
        return nullptr;
    }
    // Nobody joins the thread: it ends by dropping its reference.
    lookup->detach();
    return lookup;
}

void HostnameLookup::release()
{
    if (m_references.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
}

void HostnameLookup::run()
{
    const char* name = m_hostName.getBuffer() ? m_hostName.getBuffer() : "";
    uint32_t address = 0;
    if (!platform::resolveHostIPv4(name, &address)) {
        logMessage(LogError, "VNet_Address: failed to resolve hostname: '%s'", name);
        m_state.store(eVNet_HostnameFailed, std::memory_order_release);
        return;
    }
    m_address = address;
    m_state.store(eVNet_HostnameResolved, std::memory_order_release);
    logRaw("VNet_Address: resolved hostname '%s' to %d.%d.%d.%d", name, int(address >> 24), int((address >> 16) & 0xFF),
           int((address >> 8) & 0xFF), int(address & 0xFF));
}

}  // namespace Vornet_Private
