#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

#include "vornet/vornet_bitstream.h"
#include "vornet/vornet.h"
#include "vornet/vornet_control.h"
#include "vornet/vornet_node.h"
#include "vornet/vornet_replicator_movement.h"

#include "vornet_assert.h"
#include "vornet_list.h"
#include "vornet_log.h"
#include "vornet_memory.h"
#include "vornet_replicator_elements.h"
#include "vornet_spline.h"

namespace Vornet_Private {

// ---------------------------------------------------------------------------
// Dead reckoning

// A position with the velocity and acceleration it moves with from its base
// time on (milliseconds of the replicator clock).
template <typename T, unsigned int N>
struct Motion {
    T position[N] = {};
    float velocity[N] = {};
    float acceleration[N] = {};
    T extrapolated[N] = {};
    uint32_t baseTime = 0;
    uint32_t lastExtrapolationTime = 0;

    void extrapolate(uint32_t time)
    {
        const float dt = static_cast<float>(static_cast<int32_t>(time - baseTime));
        for (unsigned int i = 0; i < N; ++i) {
            const double value = static_cast<double>(toFloat(position[i])) + static_cast<double>(velocity[i]) * dt +
                                 static_cast<double>(acceleration[i]) * dt * dt * 0.5;
            extrapolated[i] = roundHalfTruncated<T>(static_cast<float>(value));
        }
        lastExtrapolationTime = time;
    }
};

// What the peer on one connection is believed to hold. Its values are the
// ones the wire delivered, quantised, so the authority reckons with exactly
// what the peer reckons with.
template <typename T, unsigned int N>
struct ExtrapolationRecord : HookAllocated {
    explicit ExtrapolationRecord(uint32_t id) : connectionId(id) {}

    Motion<T, N> motion;
    uint32_t connectionId;
    bool force = false;
    // Whether the peer holds what the record says. A base time of 0 cannot
    // tell: the state's own base time is 0 until the replicator clock first
    // moves, and an update sent then would be sent again, forced, at every
    // opportunity.
    bool delivered = false;
};

template <typename T>
float elementDistance(T a, T b)
{
    if constexpr (std::is_same_v<T, float>) {
        return std::fabs(a - b);
    } else {
        // The true distance: an unsigned difference must not wrap.
        return static_cast<float>(a > b ? uint32_t(a) - uint32_t(b) : uint32_t(b) - uint32_t(a));
    }
}

// Euclidean distance, summed in single precision.
template <typename T, unsigned int N>
float positionDrift(const T* a, const T* b)
{
    float sum = 0.0f;
    for (unsigned int i = 0; i < N; ++i) {
        const float d = elementDistance(a[i], b[i]);
        const float square = d * d;
        sum = sum + square;
    }
    return std::sqrt(sum);
}

template <unsigned int N>
bool sameFloats(const float* a, const float* b)
{
    return std::memcmp(a, b, sizeof(float) * N) == 0;
}

template <unsigned int N>
bool allFinite(const float* values)
{
    for (unsigned int i = 0; i < N; ++i) {
        if (!std::isfinite(values[i])) return false;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Time deltas between input entries: 6 bits below 64, 9 bits below 512,
// else 32 bits, each behind one or two marker bools.

inline void writeTimeDelta(VNet_BitStream& stream, uint32_t delta)
{
    if (delta < 64) {
        stream.addBool(false);
        stream.addInt(delta, 6);
        return;
    }
    stream.addBool(true);
    stream.addBool(delta >= 512);
    stream.addInt(delta, delta >= 512 ? 32 : 9);
}

inline uint32_t readTimeDelta(VNet_BitStream& stream)
{
    if (!stream.getBool()) return stream.getInt(6);
    return stream.getInt(stream.getBool() ? 32 : 9);
}

// ---------------------------------------------------------------------------
// Proxy time correction: the proxy's clock holds still for about one packet
// interval plus a margin, so the smoothing starts from where the proxy shows
// the object and not ahead of the authority.

inline constexpr uint32_t clockHoldMargin = 25;

// One packet interval from the packets received in the last second. Before
// a whole second of traffic has been counted there is nothing to estimate
// from, and the interval is taken as 0.
inline uint32_t packetInterval(uint32_t packetsLastSecond)
{
    if (packetsLastSecond == 0) return 0;
    const auto interval = static_cast<float>(1000.0 / packetsLastSecond);
    return static_cast<uint32_t>(interval + 0.5f);
}

struct ClockHold {
    uint32_t hold;       // milliseconds the clock stands still
    uint32_t smoothing;  // D: how far ahead the new segment ends
};

inline ClockHold clockHold(uint32_t packetsLastSecond, uint32_t interpolationTime)
{
    const uint32_t hold = packetInterval(packetsLastSecond) + clockHoldMargin;
    return ClockHold{hold, interpolationTime > hold ? interpolationTime - hold : 0};
}

// ---------------------------------------------------------------------------
// Connection id to record. Key 0 marks a free slot; the slots double when
// full and a freed slot is used again.

template <typename V>
class ConnectionTable {
public:
    ConnectionTable() : m_slots(allocateArray<Slot>(1)), m_capacity(m_slots ? 1 : 0)
    {
        if (m_slots) m_slots[0] = Slot{0, nullptr};
    }
    ~ConnectionTable() { release(m_slots); }
    ConnectionTable(const ConnectionTable&) = delete;
    ConnectionTable& operator=(const ConnectionTable&) = delete;

    uint16_t capacity() const { return m_capacity; }
    uint16_t count() const { return m_used; }

    // False, table unchanged, when it cannot grow.
    bool insert(uint32_t key, V* value)
    {
        if (key == 0) return false;
        if (m_used == m_capacity && !grow()) return false;
        for (uint16_t i = 0; i < m_capacity; ++i) {
            if (m_slots[i].key != 0) continue;
            m_slots[i] = Slot{key, value};
            ++m_used;
            return true;
        }
        return false;
    }

    V* find(uint32_t key) const
    {
        for (uint16_t i = 0; i < m_capacity; ++i) {
            if (key != 0 && m_slots[i].key == key) return m_slots[i].value;
        }
        return nullptr;
    }

    void remove(uint32_t key)
    {
        for (uint16_t i = 0; i < m_capacity; ++i) {
            if (key == 0 || m_slots[i].key != key) continue;
            m_slots[i].key = 0;
            --m_used;
            return;
        }
    }

    template <typename F>
    void forEach(F visit) const
    {
        for (uint16_t i = 0; i < m_capacity; ++i) {
            if (m_slots[i].key != 0) visit(m_slots[i].value);
        }
    }

private:
    struct Slot {
        uint32_t key;
        V* value;
    };

    bool grow()
    {
        const uint32_t capacity = m_capacity ? m_capacity * 2u : 1u;
        if (capacity > 0xFFFF) return false;
        Slot* slots = allocateArray<Slot>(capacity);
        if (!slots) return false;
        for (uint32_t i = 0; i < capacity; ++i) slots[i] = i < m_capacity ? m_slots[i] : Slot{0, nullptr};
        release(m_slots);
        m_slots = slots;
        m_capacity = static_cast<uint16_t>(capacity);
        return true;
    }

    Slot* m_slots;
    uint16_t m_capacity;
    uint16_t m_used = 0;
};

// ---------------------------------------------------------------------------
// Owner input history

inline void freeLockedStream(VNet_BitStream* stream)
{
    if (!stream) return;
    stream->setFlag(VNET_BS_LOCKED_FLAG, false);
    delete stream;
}

struct InputEntry : HookAllocated {
    // A copy of the input sent, owned and locked; null without new input.
    VNet_BitStream* input = nullptr;
    uint32_t time = 0;
    bool noInput = false;
};

// The inputs sent and not yet known to be applied by the authority, oldest
// first, for resending and for replay after a correction.
class InputHistory {
public:
    InputHistory() = default;
    ~InputHistory()
    {
        for (auto* node = m_entries.first(); node; node = node->next) freeEntry(node->payload);
        delete m_emptyInput;
    }
    InputHistory(const InputHistory&) = delete;
    InputHistory& operator=(const InputHistory&) = delete;

    LIST<InputEntry*>& entries() { return m_entries; }

    // False, nothing kept, when memory fails.
    bool append(InputEntry* entry) { return m_entries.append(entry) != nullptr; }

    // Drops the entries older than time. The newest input among them goes to
    // the first entry kept when that one has none, so a replay from there
    // still starts from the input in force.
    void trim(uint32_t time)
    {
        m_entries.setCursor(m_entries.first());
        VNet_BitStream* setAside = nullptr;
        auto* node = m_entries.first();
        while (node && node->payload->time < time) {
            InputEntry* entry = node->payload;
            if (entry->input) {
                forget(setAside);
                freeLockedStream(setAside);
                setAside = entry->input;
                entry->input = nullptr;
            }
            freeEntry(entry);
            node = m_entries.remove(node);
        }
        if (node && !node->payload->input && setAside) {
            node->payload->input = setAside;
            node->payload->noInput = false;
            return;
        }
        forget(setAside);
        freeLockedStream(setAside);
    }

    // One step of a replay walk: *iterator null starts at the oldest entry.
    // An entry without input hands out the input before it again. At the end
    // the time stored is the last entry's.
    VNet_BitStream* next(unsigned int* time, void** iterator)
    {
        using Node = LIST<InputEntry*>::Node;
        auto* node = static_cast<Node*>(*iterator);
        uint32_t endTime = 0;
        if (!node) {
            node = m_entries.first();
            m_entries.setCursor(node);
            // A walk never hands out what an earlier walk saw; it may be gone.
            m_lastHanded = nullptr;
        } else {
            endTime = node->payload->time;
            node = node->next;
        }
        *iterator = node;
        if (!node) {
            if (time) *time = endTime;
            return nullptr;
        }
        if (node->payload->input) m_lastHanded = node->payload->input;
        if (time) *time = node->payload->time;
        if (!m_lastHanded) m_lastHanded = emptyInput();
        if (!m_lastHanded) return nullptr;
        m_lastHanded->resetReadState();
        return m_lastHanded;
    }

private:
    static void freeEntry(InputEntry* entry)
    {
        freeLockedStream(entry->input);
        delete entry;
    }

    void forget(const VNet_BitStream* stream)
    {
        if (stream && stream == m_lastHanded) m_lastHanded = nullptr;
    }

    // What a replay gets for entries with no input before them.
    VNet_BitStream* emptyInput()
    {
        if (!m_emptyInput) m_emptyInput = new VNet_BitStream(0);
        return m_emptyInput;
    }

    LIST<InputEntry*> m_entries;
    VNet_BitStream* m_lastHanded = nullptr;
    VNet_BitStream* m_emptyInput = nullptr;
};


// ---------------------------------------------------------------------------
// The movement replicator's state and its arithmetic, apart from the node
// it talks through: the caller supplies times, connection figures and
// streams.

// Change bits of a state update.
inline constexpr unsigned updateSend = 0x01;
inline constexpr unsigned updateVelocity = 0x02;
inline constexpr unsigned updateAcceleration = 0x04;

// The authority marks a lost update's record with this velocity and
// acceleration, so the next update carries both.
inline constexpr float lostUpdateMark = 92349232.0f;

// The history part of one input packet stays within this many bits, so the
// packet fits a datagram beside the rest of its node's data.
inline constexpr unsigned int inputHistoryBudgetBits = 400 * 8;

template <typename T, unsigned int N>
class MovementCore : public HookAllocated {
public:
    using Record = ExtrapolationRecord<T, N>;
    using Listener = VNet_MoveUpdateListener<T>;

    ~MovementCore()
    {
        records.forEach([](Record* record) { delete record; });
        freeLockedStream(inputStream);
    }

    // The replicator clock: the base time, plus the offset once that runs
    // positive (a negative offset holds the clock still).
    uint32_t now() const { return state.baseTime + (clockOffset > 0 ? uint32_t(clockOffset) : 0u); }

    void process(uint32_t elapsed, uint32_t interpolationTime)
    {
        clockOffset = static_cast<int32_t>(static_cast<uint32_t>(clockOffset) + elapsed);
        if (interpolationTime != 0)
            splineParameter += static_cast<float>(static_cast<double>(elapsed) / interpolationTime);
    }

    void updateState(const T* position, const float* velocity, const float* acceleration, bool force)
    {
        const uint32_t time = now();
        take(position, velocity, acceleration);
        state.baseTime = time;
        clockOffset = 0;
        if (force) {
            records.forEach([](Record* record) { record->force = true; });
            forced = true;
        }
    }

    void overrideState(const T* position, const float* velocity, const float* acceleration, int timeOffset)
    {
        if ((velocity || acceleration) && !pending) {
            std::memcpy(pendingVelocity, state.velocity, sizeof(pendingVelocity));
            std::memcpy(pendingAcceleration, state.acceleration, sizeof(pendingAcceleration));
            pending = true;
        }
        const uint32_t time = now() + static_cast<uint32_t>(timeOffset);
        take(position, velocity, acceleration);
        state.baseTime = time;
    }

    bool smoothing(uint32_t interpolationTime) const { return splineParameter < 1.0f && interpolationTime != 0; }

    void extrapolatedPosition(int timeOffset, T* out, uint32_t interpolationTime)
    {
        if (smoothing(interpolationTime)) {
            spline.getPoint(splineParameter, out);
            return;
        }
        state.extrapolate(now() + static_cast<uint32_t>(timeOffset));
        std::memcpy(out, state.extrapolated, sizeof(state.extrapolated));
    }

    // Milliseconds after now, as for positions.
    void extrapolatedVelocity(int timeOffset, float* out) const
    {
        const float elapsed = static_cast<float>((clockOffset > 0 ? clockOffset : 0) + timeOffset);
        for (unsigned int i = 0; i < N; ++i) out[i] = (state.velocity[i] + state.acceleration[i] * elapsed) / timeScale;
    }

    void unscaled(const float* scaled, float* out) const
    {
        for (unsigned int i = 0; i < N; ++i) out[i] = scaled[i] / timeScale;
    }

    // -----------------------------------------------------------------------
    // Authority to proxy

    Record* recordFor(uint32_t connectionId)
    {
        Record* record = records.find(connectionId);
        if (record) return record;
        record = new Record(connectionId);
        if (record && !records.insert(connectionId, record)) {
            delete record;
            return nullptr;
        }
        return record;
    }

    void removeRecord(uint32_t connectionId)
    {
        Record* record = records.find(connectionId);
        if (!record) return;
        (void)VNET_CHECK(record->connectionId == connectionId, "record filed under another connection");
        delete record;
        records.remove(connectionId);
    }

    // Whether the peer of this record needs an update now, with the parts
    // that changed. The state is extrapolated to now either way.
    unsigned planUpdate(Record& record, unsigned char bits, float threshold, bool everyOpportunity)
    {
        const uint32_t time = now();
        record.motion.extrapolate(time);
        state.extrapolate(time);
        unsigned changes = 0;
        if (!sameAsSent(state.velocity, record.motion.velocity, bits)) changes |= updateVelocity;
        if (!sameAsSent(state.acceleration, record.motion.acceleration, bits)) changes |= updateAcceleration;
        if (!record.delivered) record.force = true;
        if (changes || record.force) return changes | updateSend;
        if (everyOpportunity) {
            record.motion.extrapolate(state.baseTime);
            return updateSend;
        }
        // The drift that an update would take away: the peer can hold no
        // finer position than the wire carries, so a threshold below the
        // wire's rounding must not make a resting object send forever.
        Motion<T, N> sent = afterUpdate(record, 0, bits);
        sent.extrapolate(time);
        const float drift = positionDrift<T, N>(sent.extrapolated, record.motion.extrapolated);
        return drift > threshold ? updateSend : 0;
    }

    void writeStateUpdate(VNet_BitStream& stream, unsigned changes, bool force, unsigned char bits) const
    {
        writeValues<T, N>(stream, state.position, bits);
        stream.addBool(changes & updateVelocity);
        if (changes & updateVelocity) writeValues<float, N>(stream, state.velocity, bits);
        stream.addBool(changes & updateAcceleration);
        if (changes & updateAcceleration) writeValues<float, N>(stream, state.acceleration, bits);
        stream.addBool(force);
    }

    // The record takes what the peer has read.
    void recordSent(Record& record, unsigned changes, unsigned char bits) const
    {
        record.motion = afterUpdate(record, changes, bits);
        record.force = false;
        record.delivered = true;
    }

    // What the peer of a record reckons with once it has read an update of
    // the given parts.
    Motion<T, N> afterUpdate(const Record& record, unsigned changes, unsigned char bits) const
    {
        Motion<T, N> sent = record.motion;
        wirePosition(sent.position, bits);
        if (changes & updateVelocity) quantised(state.velocity, sent.velocity, bits);
        if (changes & updateAcceleration) quantised(state.acceleration, sent.acceleration, bits);
        sent.baseTime = state.baseTime;
        return sent;
    }

    // The state's position as the wire delivers it.
    void wirePosition(T* out, unsigned char bits) const
    {
        std::memcpy(out, state.position, sizeof(state.position));
        quantiseValues<T, N>(out, bits);
    }

    void markLost(Record& record)
    {
        for (unsigned int i = 0; i < N; ++i) record.motion.velocity[i] = record.motion.acceleration[i] = lostUpdateMark;
        record.motion.baseTime = 0;
        record.delivered = false;
    }

    // A proxy takes an update and smooths toward it. False when the message
    // is refused: cut short, or, for integer positions, with a velocity or
    // acceleration that is not a finite number.
    bool receiveStateUpdate(VNet_BitStream& stream, unsigned char bits, uint32_t interpolationTime,
                            uint32_t packetsLastSecond, unsigned int estimatedSendTime)
    {
        T position[N];
        float velocity[N];
        float acceleration[N];
        bool complete = readValues<T, N>(stream, position, bits);
        const bool hasVelocity = stream.getBool();
        if (hasVelocity) complete &= readValues<float, N>(stream, velocity, bits);
        const bool hasAcceleration = stream.getBool();
        if (hasAcceleration) complete &= readValues<float, N>(stream, acceleration, bits);
        const bool force = stream.getBool();
        if (!complete || stream.endOfStream()) return false;
        if constexpr (!std::is_same_v<T, float>) {
            if ((hasVelocity && !allFinite<N>(velocity)) || (hasAcceleration && !allFinite<N>(acceleration)))
                return false;
        }
        applyStateUpdate(position, hasVelocity ? velocity : nullptr, hasAcceleration ? acceleration : nullptr,
                         force, interpolationTime, packetsLastSecond);
        notifyUpdate(position, estimatedSendTime);
        return true;
    }

    void applyStateUpdate(const T* position, const float* velocity, const float* acceleration, bool force,
                          uint32_t interpolationTime, uint32_t packetsLastSecond)
    {
        if (pending) {
            if (!velocity) velocity = pendingVelocity;
            if (!acceleration) acceleration = pendingAcceleration;
            pending = false;
        }
        const uint32_t time = now();
        Motion<T, N> before = state;
        before.extrapolate(time - interpolationTime);
        T shown[N];
        if (splineParameter < 1.0f) {
            spline.getPoint(splineParameter, shown);
        } else {
            Motion<T, N> current = state;
            current.extrapolate(time);
            std::memcpy(shown, current.extrapolated, sizeof(shown));
        }
        std::memcpy(state.position, position, sizeof(state.position));
        if (velocity) std::memcpy(state.velocity, velocity, sizeof(state.velocity));
        if (acceleration) std::memcpy(state.acceleration, acceleration, sizeof(state.acceleration));
        state.baseTime = time;

        const ClockHold hold = clockHold(packetsLastSecond, interpolationTime);
        clockOffset = -static_cast<int32_t>(hold.hold);
        spline.setControlPoint(0, before.extrapolated);
        spline.setControlPoint(1, shown);
        state.extrapolate(time + hold.smoothing);
        spline.setControlPoint(2, state.extrapolated);
        state.extrapolate(time + 2 * hold.smoothing);
        spline.setControlPoint(3, state.extrapolated);
        // A point that is not a number cannot be blended toward: jump.
        splineParameter = force || !allFinite<4 * N>(spline.points) ? 1.0f : 0.0f;
    }

    // -----------------------------------------------------------------------
    // Owner to authority

    void updateInput(const T* position, VNet_BitStream* input)
    {
        std::memcpy(inputPosition, position, sizeof(inputPosition));
        const bool held = inputStream != nullptr;
        (void)VNET_CHECK(!input || !VNET_BS_LOCKED(input),
                         "This bitstream has been used already! Use VNet_BitStream::Duplicate()");
        // The stream held already is kept as it is: freeing it first would
        // leave nothing to hold.
        if (input && input != inputStream) {
            freeLockedStream(inputStream);
            input->setFlag(VNET_BS_LOCKED_FLAG, true);
            inputStream = input;
        }
        inputTime = now();
        hasInput = held || input;
        inputStarted = true;
    }

    // Writes an input packet with the unacknowledged history and appends
    // the new entry. Null, nothing written, when memory fails.
    InputEntry* writeInputPacket(VNet_BitStream& stream, unsigned char bits)
    {
        auto* entry = new InputEntry;
        if (!entry) return nullptr;
        entry->time = inputTime;
        if (inputStream && hasInput) {
            entry->input = inputStream->Duplicate();
            if (!entry->input || !history.append(entry)) {
                delete entry->input;
                delete entry;
                return nullptr;
            }
            entry->input->setFlag(VNET_BS_LOCKED_FLAG, true);
        } else if (!history.append(entry)) {
            delete entry;
            return nullptr;
        }
        writeHistory(stream, entry);
        lastSentInputTime = inputTime;
        writeValues<T, N>(stream, inputPosition, bits);
        entry->noInput = !entry->input;
        writeInput(stream, entry);
        if (checkingBuild) stream.addBool(true);
        return entry;
    }

    // After the packet went out: the listener sees the input just sent.
    void inputSent(InputEntry* entry)
    {
        if (entry->input && hasInput && updateListener) {
            entry->input->resetReadState();
            updateListener->onLocalInput(entry->input);
        }
        hasInput = false;
    }

    // Reads an input packet, handing each entry to the listener; the owner's
    // position and newest input time come back. False when the packet
    // cannot be read to its end.
    bool readInputPacket(VNet_BitStream& stream, unsigned char bits, unsigned int estimatedSendTime,
                         uint32_t& time, T* ownerPosition)
    {
        if (!VNET_CHECK(updateListener, "VNet_Replicate_Movement needs a registered update listener") ||
            !updateListener)
            return false;
        if (stream.getBool()) {
            time = stream.getInt(32);
            for (;;) {
                const bool noInput = stream.getBool();
                updateListener->onInputReceived(&stream, !noInput, time, estimatedSendTime);
                if (!stream.getBool()) break;
                time += readTimeDelta(stream);
            }
            time += readTimeDelta(stream);
        } else {
            time = stream.getInt(32);
        }
        const bool complete = readValues<T, N>(stream, ownerPosition, bits);
        const bool noInput = stream.getBool();
        if (!complete || stream.endOfStream()) return false;
        updateListener->onInputReceived(&stream, !noInput, time, estimatedSendTime);
        if (checkingBuild) stream.getBool();
        return true;
    }

    // Whether the authority corrects the owner at this input.
    bool correctionDue(const T* ownerPosition, unsigned char bits, float threshold, uint32_t timeNow,
                       uint32_t averagePing) const
    {
        if (forced) return true;
        // The owner's position came rounded by the wire, and a correction
        // would carry the authority's rounded the same way.
        T held[N];
        wirePosition(held, bits);
        if (positionDrift<T, N>(held, ownerPosition) <= threshold) return false;
        return timeNow - lastCorrectionTime > 2 * averagePing;
    }

    void writeCorrection(VNet_BitStream& stream, uint32_t time, unsigned char bits) const
    {
        stream.addInt(time, 32);
        writeValues<T, N>(stream, state.position, bits);
        writeValues<float, N>(stream, state.velocity, bits);
        writeValues<float, N>(stream, state.acceleration, bits);
        stream.addBool(forced);
    }

    // The owner trims its history to the corrected input and hands a fresh
    // correction to the listener. False when it is refused.
    bool receiveCorrection(VNet_BitStream& stream, unsigned char bits, unsigned int estimatedSendTime)
    {
        const uint32_t time = stream.getInt(32);
        T position[N];
        float velocity[N];
        float acceleration[N];
        bool complete = readValues<T, N>(stream, position, bits);
        complete &= readValues<float, N>(stream, velocity, bits);
        complete &= readValues<float, N>(stream, acceleration, bits);
        const bool correctionForced = stream.getBool();
        if (!complete || stream.endOfStream()) return false;
        history.trim(time);
        if constexpr (!std::is_same_v<T, float>) {
            if (!allFinite<N>(velocity) || !allFinite<N>(acceleration)) return false;
        }
        if (time < lastCorrectionTime) return false;
        lastCorrectionTime = time;
        if (timeScale != 1.0f) {
            unscaled(velocity, velocity);
            unscaled(acceleration, acceleration);
        }
        if (!VNET_CHECK(updateListener, "VNet_Replicate_Movement needs a registered update listener") ||
            !updateListener)
            return false;
        updateListener->onCorrection(position, velocity, acceleration, correctionForced, estimatedSendTime);
        return true;
    }

    void inputAcknowledged(uint32_t time)
    {
        history.trim(lastAckedInputId);
        lastAckedInputId = time;
        anyInputAcked = true;
    }

    // -----------------------------------------------------------------------
    // State

    T inputPosition[N] = {};
    VNet_BitStream* inputStream = nullptr;
    uint32_t inputTime = 0;
    bool hasInput = false;
    bool inputStarted = false;
    InputHistory history;
    uint32_t lastCorrectionTime = 0;
    uint32_t lastSentInputTime = 0;
    uint32_t lastAckedInputId = 0;
    // An input given at time 0 is not acknowledged before anything is.
    bool anyInputAcked = false;
    Listener* updateListener = nullptr;
    float pendingVelocity[N] = {};
    float pendingAcceleration[N] = {};
    bool pending = false;
    Spline<T, N> spline;
    float splineParameter = 0.0f;
    int32_t clockOffset = 0;
    float timeScale = 1.0f;
    Motion<T, N> state;
    bool forced = false;
    ConnectionTable<Record> records;

private:
    void take(const T* position, const float* velocity, const float* acceleration)
    {
        if (position) std::memcpy(state.position, position, sizeof(state.position));
        if (velocity) scaled(velocity, state.velocity);
        if (acceleration) scaled(acceleration, state.acceleration);
    }

    void scaled(const float* values, float* out) const
    {
        for (unsigned int i = 0; i < N; ++i) out[i] = timeScale != 1.0f ? values[i] * timeScale : values[i];
    }

    static void quantised(const float* values, float* out, unsigned char bits)
    {
        std::memcpy(out, values, sizeof(float) * N);
        quantiseValues<float, N>(out, bits);
    }

    // Whether the peer already holds these values as the wire delivers them.
    static bool sameAsSent(const float* values, const float* sent, unsigned char bits)
    {
        float onWire[N];
        quantised(values, onWire, bits);
        return sameFloats<N>(onWire, sent);
    }

    void notifyUpdate(T* position, unsigned int estimatedSendTime)
    {
        if (!VNET_CHECK(updateListener, "VNet_Replicate_Movement needs a registered update listener") ||
            !updateListener)
            return;
        VNet_BitStream stream(64);
        updateListener->onUpdateReceived(&stream, position, state.velocity, state.acceleration, estimatedSendTime);
    }

    // The newest entries that fit the budget, oldest first; the first one
    // written carries its full time, the others the step from the one before.
    void writeHistory(VNet_BitStream& stream, const InputEntry* newest)
    {
        using Node = LIST<InputEntry*>::Node;
        Node* from = nullptr;
        unsigned int bitsUsed = 0;
        for (Node* node = history.entries().last(); node; node = node->prev) {
            const InputEntry* entry = node->payload;
            if (entry == newest) continue;
            if (anyInputAcked && entry->time <= lastAckedInputId) break;
            bitsUsed += entryCost(*entry);
            if (bitsUsed > inputHistoryBudgetBits) break;
            from = node;
        }
        bool first = true;
        uint32_t previous = 0;
        for (Node* node = from; node && node->payload != newest; node = node->next) {
            stream.addBool(true);
            writeTime(stream, first, node->payload->time, previous);
            writeInput(stream, node->payload);
            first = false;
            previous = node->payload->time;
        }
        stream.addBool(false);
        writeTime(stream, first, newest->time, previous);
    }

    static void writeTime(VNet_BitStream& stream, bool first, uint32_t time, uint32_t previous)
    {
        if (first) {
            stream.addInt(time, 32);
        } else {
            writeTimeDelta(stream, time - previous);
        }
    }

    static void writeInput(VNet_BitStream& stream, const InputEntry* entry)
    {
        stream.addBool(!entry->input);
        if (entry->input) stream.addBitStream(entry->input, false);
    }

    // An upper bound of an entry's bits, tags included.
    static unsigned int entryCost(const InputEntry& entry)
    {
        const unsigned int tags = 4 * VNet_BitStream::getTagOverheadBool() + VNet_BitStream::getTagOverheadInt();
        return 3 + 34 + tags + (entry.input ? entry.input->getBitCount() : 0);
    }
};

}  // namespace Vornet_Private

// ---------------------------------------------------------------------------
// Set-up and replicator

template <typename T>
VNet_RSetupMovement<T>::VNet_RSetupMovement(unsigned char bits, unsigned char flags, unsigned char rules,
                                            unsigned char interceptId, short minDelay, short maxDelay)
    : VNet_RSetupNumeric(bits, flags, rules, interceptId, minDelay, maxDelay)
{
}

template <typename T>
VNet_RSetupMovement<T>::~VNet_RSetupMovement() = default;

template <typename T>
VNet_ReplicatorSetup* VNet_RSetupMovement<T>::Duplicate()
{
    if (getFlags() & VNET_REPFLAG_SHAREDSETUP) return this;
    return new VNet_RSetupMovement(*this);
}

template <typename T, unsigned int N>
VNet_Replicate_Movement<T, N>::VNet_Replicate_Movement(unsigned char bits, unsigned char flags, unsigned char rules,
                                                       unsigned char interceptId, short minDelay, short maxDelay)
    : VNet_ReplicatorAdvanced(nullptr), m_priv(nullptr)
{
    m_setup = new VNet_RSetupMovement<T>(bits, flags | VNET_REPFLAG_OWNEDSETUP, rules, interceptId, minDelay,
                                         maxDelay);
    createState();
}

template <typename T, unsigned int N>
VNet_Replicate_Movement<T, N>::VNet_Replicate_Movement(VNet_RSetupMovement<T>* setup)
    : VNet_ReplicatorAdvanced(setup), m_priv(nullptr)
{
    createState();
}

template <typename T, unsigned int N>
void VNet_Replicate_Movement<T, N>::createState()
{
    m_priv = new Vornet_Private::MovementCore<T, N>;
    if (m_setup && m_priv) m_flags |= VNET_REPLICATOR_PROCESS | VNET_REPLICATOR_INITIALIZED;
}

template <typename T, unsigned int N>
VNet_Replicate_Movement<T, N>::~VNet_Replicate_Movement()
{
    delete m_priv;
}

template <typename T, unsigned int N>
const VNet_RSetupMovement<T>& VNet_Replicate_Movement<T, N>::setup() const
{
    return *static_cast<const VNet_RSetupMovement<T>*>(m_setup);
}

template <typename T, unsigned int N>
unsigned char VNet_Replicate_Movement<T, N>::bits() const
{
    return setup().getRelevantBits();
}

template <typename T, unsigned int N>
void VNet_Replicate_Movement<T, N>::setUpdateListener(VNet_MoveUpdateListener<T>* listener)
{
    m_priv->updateListener = listener;
}

template <typename T, unsigned int N>
void VNet_Replicate_Movement<T, N>::setTimeScale(float scale)
{
    m_priv->timeScale = scale;
}

template <typename T, unsigned int N>
void VNet_Replicate_Movement<T, N>::updateState(T* position, float* velocity, float* acceleration, bool force)
{
    (void)VNET_CHECK(getNode(), "Replicator needs to be added to a node before this function can be called");
    (void)VNET_CHECK(!getNode() || getNode()->getRole() != eVNet_RoleProxy,
                     "VNet_Replicate_Movement::updateAll() not supported on proxy");
    m_priv->updateState(position, velocity, acceleration, force);
}

template <typename T, unsigned int N>
void VNet_Replicate_Movement<T, N>::overrideState(T* position, float* velocity, float* acceleration, int timeOffset)
{
    m_priv->overrideState(position, velocity, acceleration, timeOffset);
}

template <typename T, unsigned int N>
void VNet_Replicate_Movement<T, N>::getExtrapolatedPosition(int timeOffset, T* out)
{
    (void)VNET_CHECK(getNode(), "Replicator needs to be added to a node before this function can be called");
    if (!VNET_ASSERT(out, "_data")) return;
    m_priv->extrapolatedPosition(timeOffset, out, setup().getInterpolationTime());
}

template <typename T, unsigned int N>
void VNet_Replicate_Movement<T, N>::getExtrapolatedVelocity(int timeOffset, float* out)
{
    (void)VNET_CHECK(getNode(), "Replicator needs to be added to a node before this function can be called");
    if (!VNET_ASSERT(out, "_data")) return;
    m_priv->extrapolatedVelocity(timeOffset, out);
}

template <typename T, unsigned int N>
void VNet_Replicate_Movement<T, N>::getLastReceivedPosition(T* out)
{
    if (VNET_ASSERT(out, "_data")) std::memcpy(out, m_priv->state.position, sizeof(T) * N);
}

template <typename T, unsigned int N>
void VNet_Replicate_Movement<T, N>::getLastReceivedVelocity(float* out)
{
    if (VNET_ASSERT(out, "_data")) m_priv->unscaled(m_priv->state.velocity, out);
}

template <typename T, unsigned int N>
void VNet_Replicate_Movement<T, N>::getAcceleration(float* out)
{
    if (VNET_ASSERT(out, "_data")) m_priv->unscaled(m_priv->state.acceleration, out);
}

template <typename T, unsigned int N>
void VNet_Replicate_Movement<T, N>::getSplinePoint(float t, T* out)
{
    if (VNET_ASSERT(out, "_data")) m_priv->spline.getPoint(t, out);
}

template <typename T, unsigned int N>
void VNet_Replicate_Movement<T, N>::getSplineControlPoint(unsigned int index, T* out)
{
    if (VNET_ASSERT(out, "_data")) m_priv->spline.getControlPoint(index, out);
}

template <typename T, unsigned int N>
void VNet_Replicate_Movement<T, N>::updateInput(T* position, VNet_BitStream* input)
{
    (void)VNET_CHECK(getNode(), "Replicator needs to be added to a node before this function can be called");
    if (!VNET_ASSERT(position, "_data")) return;
    m_priv->updateInput(position, input);
}

template <typename T, unsigned int N>
VNet_BitStream* VNet_Replicate_Movement<T, N>::getNextInputHistoryEntry(unsigned int* time, void** iterator)
{
    if (!VNET_ASSERT(iterator, "iterator")) return nullptr;
    return m_priv->history.next(time, iterator);
}

template <typename T, unsigned int N>
void* VNet_Replicate_Movement<T, N>::peekData()
{
    return nullptr;
}

template <typename T, unsigned int N>
void VNet_Replicate_Movement<T, N>::clearPeekData()
{
}

template <typename T, unsigned int N>
void VNet_Replicate_Movement<T, N>::Process(eVNet_NodeRole, unsigned int elapsed)
{
    (void)VNET_CHECK(getNode(), "Replicator needs to be added to a node before this function can be called");
    m_priv->process(elapsed, setup().getInterpolationTime());
}

template <typename T, unsigned int N>
void VNet_Replicate_Movement<T, N>::onPreSendData(unsigned int connectionId, eVNet_NodeRole remoteRole,
                                                  unsigned int* lastSendTime)
{
    VNet_Node* node = getNode();
    if (!VNET_CHECK(node, "Replicator needs to be added to a node before this function can be called") || !node)
        return;
    (void)VNET_CHECK(node->getRole() != eVNet_RoleProxy, "a proxy sends no movement");
    const short minDelay = setup().getMinDelay();
    if (lastSendTime && minDelay != -1 &&
        Vornet::getTime() - *lastSendTime < static_cast<uint32_t>(static_cast<int32_t>(minDelay)))
        return;
    const unsigned char rules = setup().getRules();
    if (node->getRole() == eVNet_RoleOwner && (rules & VNET_RULE_OWNER_TO_AUTHORITY)) {
        sendInput();
        return;
    }
    // An owner that sends input reads everything from the authority as a
    // correction (the messages carry no tag), so it gets no state updates.
    const bool toOwner = remoteRole == eVNet_RoleOwner && (rules & VNET_RULE_AUTHORITY_TO_OWNER) &&
                         !(rules & VNET_RULE_OWNER_TO_AUTHORITY);
    if (remoteRole != eVNet_RoleProxy && !toOwner) return;
    auto* record = m_priv->recordFor(connectionId);
    if (!record) return;
    const unsigned plan = m_priv->planUpdate(*record, bits(), setup().getConstantErrorThreshold(),
                                             (setup().getExtendedFlags() & 0x04) != 0);
    if (!(plan & Vornet_Private::updateSend)) return;
    auto* stream = new VNet_BitStream(12);
    if (!stream) {
        Vornet_Private::logMessage(Vornet_Private::LogError, "VNet_Replicate_Movement::onPresendData(): out of memory");
        return;
    }
    m_priv->writeStateUpdate(*stream, plan, record->force, bits());
    sendDataDirect(eVNet_UnreliableNotify, connectionId, stream, 0);
    if (lastSendTime) *lastSendTime = Vornet::getTime();
    m_priv->recordSent(*record, plan, bits());
}

template <typename T, unsigned int N>
void VNet_Replicate_Movement<T, N>::sendInput()
{
    if (!m_priv->inputStarted) return;
    auto* stream = new VNet_BitStream(64);
    Vornet_Private::InputEntry* entry = stream ? m_priv->writeInputPacket(*stream, bits()) : nullptr;
    if (!entry) {
        delete stream;
        Vornet_Private::logMessage(Vornet_Private::LogError, "VNet_Replicate_Movement::updateInput(): out of memory");
        return;
    }
    sendData(eVNet_UnreliableNotify, stream, entry->time);
    m_priv->inputSent(entry);
}

template <typename T, unsigned int N>
void VNet_Replicate_Movement<T, N>::sendCorrection(unsigned int connectionId, unsigned int inputTime)
{
    auto* stream = new VNet_BitStream(64);
    if (!stream) return;
    m_priv->writeCorrection(*stream, inputTime, bits());
    sendDataDirect(eVNet_Unreliable, connectionId, stream, 0);
    m_priv->forced = false;
    m_priv->lastCorrectionTime = Vornet::getTime();
}

// The receive path follows the node's own role: an authority hears input,
// an owner that sends input hears corrections, anyone else hears updates.
template <typename T, unsigned int N>
void VNet_Replicate_Movement<T, N>::onDataReceived(unsigned int connectionId, eVNet_NodeRole, VNet_BitStream& stream,
                                                   bool, unsigned int estimatedSendTime)
{
    VNet_Node* node = getNode();
    if (!VNET_CHECK(node, "Replicator needs to be added to a node before this function can be called") || !node)
        return;
    const eVNet_NodeRole role = node->getRole();
    const VNet_ConnStats& stats = node->getControl()->VNet_getConnectionStats(connectionId);
    if (role == eVNet_RoleAuthority) {
        uint32_t inputTime;
        T ownerPosition[N];
        if (!m_priv->readInputPacket(stream, bits(), estimatedSendTime, inputTime, ownerPosition)) return;
        if (m_priv->correctionDue(ownerPosition, bits(), setup().getConstantErrorThreshold(), Vornet::getTime(),
                                  stats.averagePing))
            sendCorrection(connectionId, inputTime);
    } else if (role == eVNet_RoleOwner && (setup().getRules() & VNET_RULE_OWNER_TO_AUTHORITY)) {
        m_priv->receiveCorrection(stream, bits(), estimatedSendTime);
    } else {
        m_priv->receiveStateUpdate(stream, bits(), setup().getInterpolationTime(), stats.packetsReceivedLastSecond,
                                   estimatedSendTime);
    }
}

template <typename T, unsigned int N>
void VNet_Replicate_Movement<T, N>::onDataAcked(unsigned int, unsigned int userValue, VNet_BitStream*)
{
    if (getNode() && getNode()->getRole() == eVNet_RoleOwner) m_priv->inputAcknowledged(userValue);
}

template <typename T, unsigned int N>
void VNet_Replicate_Movement<T, N>::onDataLost(unsigned int connectionId, unsigned int, VNet_BitStream*)
{
    if (!getNode() || getNode()->getRole() != eVNet_RoleAuthority) return;
    if (auto* record = m_priv->recordFor(connectionId)) m_priv->markLost(*record);
}

template <typename T, unsigned int N>
void VNet_Replicate_Movement<T, N>::onPacketReceived(unsigned int)
{
}

template <typename T, unsigned int N>
void VNet_Replicate_Movement<T, N>::onConnectionAdded(unsigned int connectionId, eVNet_NodeRole)
{
    m_priv->recordFor(connectionId);
}

template <typename T, unsigned int N>
void VNet_Replicate_Movement<T, N>::onConnectionRemoved(unsigned int connectionId, eVNet_NodeRole)
{
    m_priv->removeRecord(connectionId);
}

template <typename T, unsigned int N>
void VNet_Replicate_Movement<T, N>::onLocalRoleChanged(eVNet_NodeRole oldRole, eVNet_NodeRole newRole)
{
    Vornet_Private::logRaw("%d %d", oldRole, newRole);
}

template <typename T, unsigned int N>
void VNet_Replicate_Movement<T, N>::onRemoteRoleChanged(unsigned int, eVNet_NodeRole, eVNet_NodeRole)
{
}

