// The library's copies of the typed replicators over one element type.
#include "vornet_replicator_value_private.h"

#define VNET_INSTANTIATE_VALUE_HOLDER(T, SIZE) template class VNet_ReplicatorValue<T, SIZE>;
VNET_FOR_EACH_UINT_MEMBER(VNET_INSTANTIATE_VALUE_HOLDER)
