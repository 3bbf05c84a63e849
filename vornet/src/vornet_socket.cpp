#include "vornet_socket.h"

#include "vornet_log.h"
#include "vornet_packet.h"

using namespace Vornet_Private;

VNet_Socket::VNet_Socket(eVNet_AddressType type) : m_type(type)
{
    m_ownAddress.setType(type);
}

VNet_Socket::~VNet_Socket()
{
    platform::MutexLock lock(m_queueMutex);
    for (auto* node = m_queue.first(); node; node = node->next) delete node->payload;
    m_queue.clear();
}

bool VNet_Socket::setControlIDSize(unsigned char width)
{
    if (width > kMaxControlIdWidth) {
        logMessage(LogError, "VNet_Socket::setControlIDSize(): invalid control id size %d", int(width));
        return false;
    }
    m_width = width;
    m_widthSet = true;
    return true;
}

uint8_t VNet_Socket::queueKey(const VNet_Packet* packet) const
{
    return m_width == 0 ? 0 : packet->getDestination().getControlID();
}

bool VNet_Socket::hasReceiverFor(uint8_t key) const
{
    // Without ids in the header a packet belongs to whichever control reads
    // the socket, whatever id that control has.
    return m_width == 0 ? m_receiverCount > 0 : m_receivers[key] > 0;
}

void VNet_Socket::attachReceiver(uint8_t controlId)
{
    platform::MutexLock lock(m_queueMutex);
    ++m_receivers[controlId];
    ++m_receiverCount;
}

void VNet_Socket::detachReceiver(uint8_t controlId)
{
    platform::MutexLock lock(m_queueMutex);
    if (m_receivers[controlId] == 0) return;
    --m_receivers[controlId];
    --m_receiverCount;
    const uint8_t key = m_width == 0 ? 0 : controlId;
    if (hasReceiverFor(key)) return;
    for (auto* node = m_queue.first(); node;) {
        if (queueKey(node->payload) != key) {
            node = node->next;
            continue;
        }
        delete node->payload;
        node = m_queue.remove(node);
    }
}

bool VNet_Socket::enqueue(VNet_Packet* packet)
{
    platform::MutexLock lock(m_queueMutex);
    const uint8_t key = queueKey(packet);
    if (!hasReceiverFor(key)) {
        logMessage(LogVerbose, "VNet_Socket:: dropped packet for control id %d: no control receives it", int(key));
        return false;
    }
    if (!m_queue.append(packet)) {
        logMessage(LogError, "VNet_Socket:: could not queue packet - out of mem");
        return false;
    }
    return true;
}

bool VNet_Socket::hasQueued(uint8_t controlId)
{
    platform::MutexLock lock(m_queueMutex);
    for (auto* node = m_queue.first(); node; node = node->next) {
        if (m_width == 0 || queueKey(node->payload) == controlId) return true;
    }
    return false;
}

bool VNet_Socket::hasPacket(bool, uint8_t controlId)
{
    return hasQueued(controlId);
}

VNet_Packet* VNet_Socket::popPacket(uint8_t controlId)
{
    platform::MutexLock lock(m_queueMutex);
    for (auto* node = m_queue.first(); node; node = node->next) {
        if (m_width != 0 && queueKey(node->payload) != controlId) continue;
        VNet_Packet* packet = node->payload;
        m_queue.remove(node);
        return packet;
    }
    return nullptr;
}
