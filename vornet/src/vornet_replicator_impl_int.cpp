// The library's copies of the typed replicators over one element type.
#include "vornet_replicator_interpolate_private.h"
#include "vornet_replicator_numeric_private.h"
#include "vornet_replicator_value_private.h"

#define VNET_INSTANTIATE_VALUE_HOLDER(T, SIZE) template class VNet_ReplicatorValue<T, SIZE>;
#define VNET_INSTANTIATE_NUMERIC(T, SIZE) template class VNet_Replicate_Numeric<T, SIZE>;
#define VNET_INSTANTIATE_INTERPOLATE(T, SIZE) template class VNet_Interpolate<T, SIZE>;
VNET_FOR_EACH_INT_MEMBER(VNET_INSTANTIATE_VALUE_HOLDER)
VNET_FOR_EACH_INT_MEMBER(VNET_INSTANTIATE_NUMERIC)
VNET_FOR_EACH_INT_MEMBER(VNET_INSTANTIATE_INTERPOLATE)
template class VNet_RSetupInterpolate<int>;
