#pragma once

#include <cstddef>
#include <cstdint>

#include "vornet/vornet_export.h"
#include "vornet/vornet_types.h"

class VNet_Address_Private;
class VNet_Packet;
namespace Vornet_Private {
struct AddressBlock;
}

// Names a peer: an in-process endpoint (port) or a UDP endpoint (IPv4
// address and port), together with the control id of the control object
// behind it. An address given by host name resolves itself on a thread of
// its own. An address belongs to the thread that uses it; only the lookup
// runs elsewhere, on state of its own.
class VNET_API VNet_Address {
public:
    VNet_Address();
    VNet_Address(const VNet_Address& other);
    // Copies address, port, host name, type, control id and whether the
    // address needs resolving. A lookup the target was running is
    // abandoned: its result never reaches the copied values.
    VNet_Address& operator=(const VNet_Address& other);
    ~VNet_Address();

    static void* operator new(size_t bytes) noexcept;
    static void* operator new[](size_t bytes) noexcept;
    static void operator delete(void* memory) noexcept;
    static void operator delete[](void* memory) noexcept;

    // "address:port" or "hostname:port"; the port is mandatory. False for a
    // text without colon, with an empty port or an empty host part.
    bool setAddress(eVNet_AddressType type, unsigned char controlId, const char* text);

    // Host order: the first octet of the dotted form is the top byte.
    uint32_t getIP() const;
    // Octet of the dotted form (0 is the first); 0 for an index beyond 3.
    unsigned char getIP(int index) const;
    unsigned short getPort() const;
    eVNet_AddressType getType() const;
    unsigned char getControlID() const;

    // Sets the address from the octets and forgets any host name.
    void setIP(unsigned char a, unsigned char b, unsigned char c, unsigned char d);
    void setIP(uint32_t address);
    void setPort(unsigned short port);
    void setControlID(unsigned char controlId);
    void setType(eVNet_AddressType type);

    // The texts live in a per-thread buffer until the thread's next such
    // call; null when that buffer cannot be had.
    const char* getAddressIP(eVNet_GetIPAddressOption option) const;
    // "hostname:port", or null for an address given in dotted form.
    const char* getAddressHostname() const;
    const char* toString() const;

    // Looks the host name up on a thread of its own. Asynchronous: true once
    // the lookup runs; poll checkHostname. Otherwise waits up to timeoutMs
    // and tells whether the name resolved.
    bool resolveHostname(bool asynchronous, uint32_t timeoutMs);
    eVNet_HostnameResult checkHostname() const;

    bool operator==(const VNet_Address& other) const;
    // Bucket of the address among bucketCount buckets.
    uint32_t computeHashKey(uint32_t bucketCount) const;

private:
    friend class VNet_Packet;
    // An address whose private part lives in a block its holder provides
    // and keeps for the address's lifetime.
    explicit VNet_Address(Vornet_Private::AddressBlock& block);

    VNet_Address_Private* m_priv;
};
