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

// How VNet_Control::VNet_processInput waits for datagrams.
enum eVNet_BlockMode : int32_t {
    // Waits on the UDP socket until a packet for this control arrives.
    eVNet_Block = 0,
    // Takes what is queued and returns.
    eVNet_NoBlock = 1
};

// Delivery of application data and node events.
enum eVNet_SendMode : int32_t {
    // Resent when lost, handed over on arrival.
    eVNet_ReliableUnordered = 0,
    // Resent when lost, handed over in sending order.
    eVNet_ReliableOrdered = 1,
    // Sent once.
    eVNet_Unreliable = 2,
    // Sent once; advanced replicator data only, whose replicator hears the
    // packet's fate.
    eVNet_UnreliableNotify = 3
};
