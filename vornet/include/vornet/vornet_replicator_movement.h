#pragma once

#include "vornet/vornet_bitstream.h"
#include "vornet/vornet_export.h"

// What a movement replicator tells the application. Positions have the
// replicator's element type T; velocities and accelerations are floats.
template <typename T>
class VNet_MoveUpdateListener {
public:
    VNet_MoveUpdateListener() = default;
    VNet_MoveUpdateListener(const VNet_MoveUpdateListener&) = default;
    VNet_MoveUpdateListener& operator=(const VNet_MoveUpdateListener&) = default;

    // Authority: one entry of an owner's input packet, old entries again
    // included; with hasInput the listener reads the entry's input bits.
    virtual void onInputReceived(VNet_BitStream* stream, bool hasInput, unsigned int time,
                                 unsigned int estimatedSendTime) = 0;
    // Owner: the newest input has just been sent.
    virtual void onLocalInput(VNet_BitStream* input) = 0;
    // Owner: the authority's state at the owner's input; replay the inputs
    // still in the history from here.
    virtual void onCorrection(T* position, float* velocity, float* acceleration, bool forced,
                              unsigned int estimatedSendTime) = 0;
    // Proxy: an update from the authority was applied.
    virtual void onUpdateReceived(VNet_BitStream* stream, T* position, float* velocity, float* acceleration,
                                  unsigned int estimatedSendTime) = 0;

protected:
    ~VNet_MoveUpdateListener() = default;
};
