#include "vornet_hostname_lookup.h"

#include "platform/NameLookup.h"

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

// Touches nothing but this object: the library object may be gone by the
// time the system answers, so the owner reports the outcome, not this thread.
void HostnameLookup::run()
{
    uint32_t address = 0;
    const bool found = platform::resolveHostIPv4(m_hostName.getBuffer() ? m_hostName.getBuffer() : "", &address);
    m_address = address;
    m_state.store(found ? eVNet_HostnameResolved : eVNet_HostnameFailed, std::memory_order_release);
}

}  // namespace Vornet_Private
