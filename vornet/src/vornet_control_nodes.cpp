// What connections ask of the control's node registry. No node can be
// registered yet: no level has must-sync nodes, and there is nothing to
// link or unlink.
#include "vornet_connection.h"
#include "vornet_control_private.h"

using namespace Vornet_Private;

bool VNet_Control_Private::nextSyncOrder(uint8_t, int32_t, int32_t*) const
{
    return false;
}

uint16_t VNet_Control_Private::linkSyncGroup(VNet_Connection*, uint8_t, int32_t)
{
    return 0;
}

void VNet_Control_Private::dropForeignNodes(VNet_Connection*, int8_t)
{
}

void VNet_Control_Private::activateLevelNodes(VNet_Connection*)
{
}

void VNet_Control_Private::unlinkConnection(VNet_Connection*)
{
}
