#pragma once

#include "vornet/vornet_bitstream.h"
#include "vornet/vornet_export.h"
#include "vornet/vornet_replicator.h"
#include "vornet/vornet_replicator_families.h"
#include "vornet/vornet_replicator_numeric.h"

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

namespace Vornet_Private {
template <typename T, unsigned int N>
class MovementCore;
}

// The movement set-up: the numeric bits (position elements, and the
// mantissa bits of velocity and acceleration), how long a proxy smooths an
// update, and how far a peer's dead reckoning may drift before it gets one.
template <typename T>
class VNET_API VNet_RSetupMovement : public VNet_RSetupNumeric {
public:
    VNet_RSetupMovement(unsigned char bits, unsigned char flags, unsigned char rules, unsigned char interceptId,
                        short minDelay, short maxDelay);
    VNet_RSetupMovement(const VNet_RSetupMovement& other) = default;
    VNet_RSetupMovement& operator=(const VNet_RSetupMovement& other) = default;
    ~VNet_RSetupMovement() override;
    // A copy carries every field; the set-up itself when shared.
    VNet_ReplicatorSetup* Duplicate() override;

    float getConstantErrorThreshold() const { return m_errorThreshold; }
    void setConstantErrorThreshold(float threshold) { m_errorThreshold = threshold; }
    unsigned int getInterpolationTime() const { return m_interpolationTime; }
    void setInterpolationTime(unsigned int milliseconds) { m_interpolationTime = milliseconds; }
    // For the application's own input encoding; the replicator never reads it.
    unsigned char getInputsizeBits() const { return m_inputSizeBits; }
    void setInputsizeBits(unsigned char bits) { m_inputSizeBits = bits; }
    // 0x04: an update at every send opportunity.
    unsigned char getExtendedFlags() const { return m_extendedFlags; }
    void setExtendedFlags(unsigned char flags) { m_extendedFlags = flags; }

private:
    uint8_t m_extendedFlags = 0;
    uint8_t m_inputSizeBits = 8;
    uint32_t m_interpolationTime = 100;
    float m_errorThreshold = 25.0f;
};

// Movement of a node by dead reckoning: a position of N elements of T, with
// float velocity and acceleration per millisecond. The authority sends
// updates when a peer's extrapolation drifts, a proxy smooths each update
// along a spline, an owner sends its input and replays it on corrections.
template <typename T, unsigned int N>
class VNET_API VNet_Replicate_Movement : public VNet_ReplicatorAdvanced {
public:
    // Makes and owns its set-up.
    VNet_Replicate_Movement(unsigned char bits, unsigned char flags, unsigned char rules, unsigned char interceptId,
                            short minDelay, short maxDelay);
    explicit VNet_Replicate_Movement(VNet_RSetupMovement<T>* setup);
    // The private state has one owner.
    VNet_Replicate_Movement(const VNet_Replicate_Movement&) = delete;
    VNet_Replicate_Movement& operator=(const VNet_Replicate_Movement&) = delete;
    ~VNet_Replicate_Movement() override;

    void setUpdateListener(VNet_MoveUpdateListener<T>* listener);
    void setTimeScale(float scale);
    // The true state; a null part is kept.
    void updateState(T* position, float* velocity, float* acceleration, bool force);
    // A local change on a proxy, undone by the next update that lacks it.
    void overrideState(T* position, float* velocity, float* acceleration, int timeOffset);
    void getExtrapolatedPosition(int timeOffset, T* out);
    // timeOffset: milliseconds after now, as for positions.
    void getExtrapolatedVelocity(int timeOffset, float* out);
    void getLastReceivedPosition(T* out);
    void getLastReceivedVelocity(float* out);
    void getAcceleration(float* out);
    void getSplinePoint(float t, T* out);
    void getSplineControlPoint(unsigned int index, T* out);

    // The owner's newest input (owned from now on; null repeats the last)
    // and the position it led to.
    void updateInput(T* position, VNet_BitStream* input);
    // One step of a replay: start with *iterator null; null at the end.
    VNet_BitStream* getNextInputHistoryEntry(unsigned int* time, void** iterator);

    void* peekData() override;
    void clearPeekData() override;
    void Process(eVNet_NodeRole role, unsigned int elapsed) override;
    void onPreSendData(unsigned int connectionId, eVNet_NodeRole remoteRole, unsigned int* lastSendTime) override;
    void onDataReceived(unsigned int connectionId, eVNet_NodeRole remoteRole, VNet_BitStream& stream, bool store,
                        unsigned int estimatedSendTime) override;
    void onDataAcked(unsigned int connectionId, unsigned int userValue, VNet_BitStream* stream) override;
    void onDataLost(unsigned int connectionId, unsigned int userValue, VNet_BitStream* stream) override;
    void onPacketReceived(unsigned int connectionId) override;
    void onConnectionAdded(unsigned int connectionId, eVNet_NodeRole remoteRole) override;
    void onConnectionRemoved(unsigned int connectionId, eVNet_NodeRole remoteRole) override;
    void onLocalRoleChanged(eVNet_NodeRole oldRole, eVNet_NodeRole newRole) override;
    void onRemoteRoleChanged(unsigned int connectionId, eVNet_NodeRole oldRole, eVNet_NodeRole newRole) override;

private:
    void createState();
    const VNet_RSetupMovement<T>& setup() const;
    unsigned char bits() const;
    void sendInput();
    void sendCorrection(unsigned int connectionId, unsigned int inputTime);

    Vornet_Private::MovementCore<T, N>* m_priv;
};

#define VNET_DECLARE_MOVEMENT_SETUP(E) extern template class VNet_RSetupMovement<E>;
VNET_FOR_EACH_ELEMENT(VNET_DECLARE_MOVEMENT_SETUP)
#undef VNET_DECLARE_MOVEMENT_SETUP
#define VNET_DECLARE_MOVEMENT(T, N) extern template class VNet_Replicate_Movement<T, N>;
VNET_FOR_EACH_MOVEMENT_MEMBER(VNET_DECLARE_MOVEMENT)
#undef VNET_DECLARE_MOVEMENT
