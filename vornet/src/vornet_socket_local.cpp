#include "vornet_socket_local.h"

#include "vornet/vornet.h"
#include "vornet_core.h"
#include "vornet_log.h"
#include "vornet_packet.h"

using namespace Vornet_Private;

VNet_SocketLocal::VNet_SocketLocal(uint16_t port) : VNet_Socket(eVNet_AddressLocal)
{
    m_ownAddress.setPort(port);
}

bool VNet_SocketLocal::addPacketHeader(VNet_Packet* packet, uint8_t sourceId, uint8_t destinationId, uint32_t)
{
    VNet_BitStream* stream = packet ? packet->getStream() : nullptr;
    if (!stream) {
        logMessage(LogError, "VNet_SocketLocal::addPacketHeader(): no data in packet!");
        return false;
    }
    if (getControlIDSize() > 0) stream->addInt(destinationId, getControlIDSize());
    // Not on the wire: the packet itself travels and keeps its sender's id.
    packet->getSource().setControlID(sourceId);
    return true;
}

bool VNet_SocketLocal::sendPacket(VNet_Packet* packet)
{
    if (!packet) return false;
    Core* core = currentCore();
    if (!core || !packet->getStream()) {
        delete packet;
        return false;
    }
    // Held while delivering, so the target cannot be released meanwhile.
    platform::MutexLock lock(core->registryMutex);
    auto* node = core->sockets[Core::SocketLocal].first();
    while (node && node->payload->getPort() != packet->getDestination().getPort()) node = node->next;
    if (!node) {
        delete packet;
        return false;
    }
    packet->getSource().setPort(getPort());
    packet->getSource().setType(eVNet_AddressLocal);
    // Without ids in the header no side learns the other's, as over UDP.
    if (getControlIDSize() == 0) packet->getSource().setControlID(0);
    packet->setTime(Vornet::getTime());
    static_cast<VNet_SocketLocal*>(node->payload)->deliver(packet);
    return true;
}

void VNet_SocketLocal::deliver(VNet_Packet* packet)
{
    VNet_BitStream* stream = packet->getStream();
    stream->resetReadState();
    if (getControlIDSize() > 0) {
        packet->getDestination().setControlID(static_cast<uint8_t>(stream->getInt(getControlIDSize())));
    }
    if (!enqueue(packet)) delete packet;
}
