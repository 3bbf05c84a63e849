#include "vornet_socket_reader.h"

#include "vornet_core.h"

namespace Vornet_Private {

namespace {

constexpr unsigned kIdleSleepMs = 100;

}  // namespace

SocketReader::~SocketReader()
{
    release(m_handles);
    release(m_ready);
}

bool SocketReader::growHandleArrays(unsigned capacity)
{
    int* handles = allocateArray<int>(capacity);
    bool* ready = allocateArray<bool>(capacity);
    if (!handles || !ready) {
        release(handles);
        release(ready);
        return false;
    }
    release(m_handles);
    release(m_ready);
    m_handles = handles;
    m_ready = ready;
    m_capacity = capacity;
    return true;
}

bool SocketReader::collectHandles()
{
    platform::MutexLock lock(m_core.registryMutex);
    const LIST<VNet_Socket*>& sockets = m_core.sockets[Core::SocketUDP];
    const unsigned wanted = static_cast<unsigned>(sockets.count());
    // Without memory for a longer list the sockets that fit are watched.
    if (wanted > m_capacity) growHandleArrays(wanted < 64 ? 64 : wanted * 2);
    m_count = 0;
    for (auto* node = sockets.first(); node && m_count < m_capacity; node = node->next) {
        m_handles[m_count++] = static_cast<VNet_SocketUDP*>(node->payload)->handle();
    }
    return m_count > 0;
}

// A socket whose handle was reported ready is drained; one released in the
// meantime is no longer in the list.
void SocketReader::readReadySockets()
{
    platform::MutexLock lock(m_core.registryMutex);
    for (auto* node = m_core.sockets[Core::SocketUDP].first(); node; node = node->next) {
        auto* socket = static_cast<VNet_SocketUDP*>(node->payload);
        for (unsigned i = 0; i < m_count; ++i) {
            if (m_ready[i] && m_handles[i] == socket->handle()) {
                socket->readPackets(m_buffer);
                break;
            }
        }
    }
}

void SocketReader::run()
{
    for (;;) {
        // Noted before the stop flag is read, so a wake-up in between is
        // not missed by the idle wait.
        const uint64_t wakes = m_core.readerWake.count();
        if (m_core.stopReader.load()) return;
        if (!collectHandles()) {
            m_core.readerWake.waitChange(wakes, kIdleSleepMs);
            continue;
        }
        if (platform::waitReadable(m_handles, m_count, Core::kReaderWaitMs, m_ready) <= 0) continue;
        readReadySockets();
        m_core.readBatches.notifyAll();
    }
}

}  // namespace Vornet_Private
