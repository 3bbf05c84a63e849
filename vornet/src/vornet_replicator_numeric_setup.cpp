#include "vornet/vornet_replicator_numeric.h"

#include "vornet_replicator_skipper.h"

VNet_RSetupNumeric::VNet_RSetupNumeric(unsigned char bits, unsigned char flags, unsigned char rules,
                                       unsigned char interceptId, short minDelay, short maxDelay)
    : VNet_ReplicatorSetup(flags, rules, interceptId, minDelay, maxDelay), m_bits(bits)
{
}

// Skippers that read the relevant bits take them while this is still a
// numeric set-up.
VNet_RSetupNumeric::~VNet_RSetupNumeric()
{
    Vornet_Private::DataSkipper::setupGone(*this);
}

VNet_ReplicatorSetup* VNet_RSetupNumeric::Duplicate()
{
    if (getFlags() & VNET_REPFLAG_SHAREDSETUP) return this;
    return new VNet_RSetupNumeric(m_bits, getFlags(), getRules(), getInterceptID(), getMinDelay(), getMaxDelay());
}
