#include "vornet/vornet.h"
#include "vornet_core.h"
#include "vornet_log.h"
#include "vornet_socket_local.h"
#include "vornet_socket_udp.h"

using namespace Vornet_Private;

namespace {

VNet_Socket* findUdpSocket(Core& core, unsigned short port)
{
    for (auto* node = core.sockets[Core::SocketUDP].first(); node; node = node->next) {
        if (node->payload->getPort() == port) return node->payload;
    }
    return nullptr;
}

VNet_Socket* createSocket(eVNet_AddressType type, unsigned short port)
{
    if (type == eVNet_AddressLocal) {
        auto* socket = new VNet_SocketLocal(port);
        if (!socket) fatalError("VNet_SocketLocal(): out of memory");
        return socket;
    }
    auto* socket = new VNet_SocketUDP;
    if (!socket) fatalError("VNet_SocketUDP:: out of memory");
    if (socket->initSocket(port)) return socket;
    delete socket;
    logMessage(LogError, "Vornet::requestSocket(): failed to initialize socket");
    return nullptr;
}

}  // namespace

VNet_Socket* Vornet::requestSocket(eVNet_AddressType type, unsigned short port, bool share)
{
    Core* core = currentCore();
    if (!core) return nullptr;
    if (type != eVNet_AddressLocal && type != eVNet_AddressUDP) {
        logMessage(LogError, "Vornet::requestSocket(): invalid socket type %d", int(type));
        return nullptr;
    }
    // Held from the search to the registration, so two requests for one
    // port never open two sockets.
    platform::MutexLock lock(core->registryMutex);
    if (type == eVNet_AddressUDP) {
        if (VNet_Socket* existing = findUdpSocket(*core, port)) {
            if (!share) return nullptr;
            existing->setReferenceCount(existing->getReferenceCount() + 1);
            return existing;
        }
    }
    VNet_Socket* socket = createSocket(type, port);
    if (!socket) return nullptr;
    if (!core->sockets[type].append(socket)) fatalError("Vornet::requestSocket(): out of memory");
    socket->setReferenceCount(1);
    if (type == eVNet_AddressUDP) core->readerWake.notifyAll();
    return socket;
}

void Vornet::releaseSocket(VNet_Socket* socket)
{
    Core* core = currentCore();
    if (!core || !socket) return;
    // Searched by pointer only: the socket may be gone already, so nothing
    // is read from it before it is found in a list.
    platform::MutexLock lock(core->registryMutex);
    for (auto& list : core->sockets) {
        auto* node = list.find(socket);
        if (!node) continue;
        socket->setReferenceCount(socket->getReferenceCount() - 1);
        if (socket->getReferenceCount() <= 0) {
            list.remove(node);
            delete socket;
        }
        return;
    }
    logMessage(LogWarning, "Vornet::releaseSocket(): socket not found");
}

namespace Vornet_Private {

void Core::destroySockets()
{
    platform::MutexLock lock(registryMutex);
    for (auto& list : sockets) {
        for (auto* node = list.first(); node; node = node->next) delete node->payload;
        list.clear();
    }
}

const LIST<platform::LocalInterface>& Core::getLocalInterfaces()
{
    platform::MutexLock lock(registryMutex);
    if (localAddressesDiscovered) return localInterfaces;
    for (const platform::LocalInterface& found : platform::localInterfaces()) {
        VNet_Address address;
        address.setType(eVNet_AddressUDP);
        address.setIP(found.address);
        logRaw("Discovered local IP: %s", address.toString());
        localInterfaces.append(found);
    }
    localAddressesDiscovered = true;
    return localInterfaces;
}

}  // namespace Vornet_Private
