// The library's copies of the movement replicators and their set-ups.
#include "vornet_replicator_movement_private.h"

#define VNET_INSTANTIATE_MOVEMENT_SETUP(E) template class VNet_RSetupMovement<E>;
#define VNET_INSTANTIATE_MOVEMENT(T, N) template class VNet_Replicate_Movement<T, N>;
VNET_FOR_EACH_ELEMENT(VNET_INSTANTIATE_MOVEMENT_SETUP)
VNET_FOR_EACH_MOVEMENT_MEMBER(VNET_INSTANTIATE_MOVEMENT)
