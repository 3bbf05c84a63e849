#pragma once

// Roles a node can take on a peer.
enum eVNet_NodeRole {
    eVNet_RoleUndefined = 0,
    eVNet_RoleProxy = 1,
    eVNet_RoleOwner = 2,
    eVNet_RoleAuthority = 3
};
