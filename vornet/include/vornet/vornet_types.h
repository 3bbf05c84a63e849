#pragma once

#include <cstdint>

// Roles a node can take on a peer.
enum eVNet_NodeRole {
    eVNet_RoleUndefined = 0,
    eVNet_RoleProxy = 1,
    eVNet_RoleOwner = 2,
    eVNet_RoleAuthority = 3
};

// What an address names.
enum eVNet_AddressType : int32_t {
    // An in-process endpoint: only the port and the control id count.
    eVNet_AddressLocal = 0,
    // Compared and hashed like UDP; no socket serves it.
    eVNet_AddressUnused = 1,
    // A UDP endpoint: IPv4 address and port.
    eVNet_AddressUDP = 2,
    // Sent through both the local and the UDP socket of a control; all such
    // addresses with the same control id are equal.
    eVNet_AddressBoth = 3
};

// Progress of a host-name lookup.
enum eVNet_HostnameResult : int32_t {
    eVNet_HostnameNotStarted = 0,
    eVNet_HostnameFailed = 1,
    eVNet_HostnameResolved = 2,
    eVNet_HostnameInProgress = 3
};

// Form of VNet_Address::getAddressIP.
enum eVNet_GetIPAddressOption {
    eVNet_IPWithPort = 0,
    eVNet_IPOnly = 1
};
