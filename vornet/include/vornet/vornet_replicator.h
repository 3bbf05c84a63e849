#pragma once

#include <cstddef>
#include <cstdint>

#include "vornet/vornet_bitstream.h"
#include "vornet/vornet_export.h"
#include "vornet/vornet_types.h"

class VNet_Node;

namespace Vornet_Private {
class DataSkipper;
}

// Set-up flags.
#define VNET_REPFLAG_SPARSE 0x04
#define VNET_REPFLAG_ONLYONCE 0x08
#define VNET_REPFLAG_INTERCEPT 0x10
#define VNET_REPFLAG_SHAREDSETUP 0x20
#define VNET_REPFLAG_OWNEDSETUP 0x40
#define VNET_REPFLAG_STARTCLEAN 0x80

// Set-up rules: who sends to whom.
#define VNET_RULE_AUTHORITY_TO_PROXY 0x01
#define VNET_RULE_AUTHORITY_TO_OWNER 0x02
#define VNET_RULE_OWNER_TO_AUTHORITY 0x04

// Replicator state flags.
#define VNET_REPLICATOR_PROCESS 0x01
#define VNET_REPLICATOR_NODEOWNED 0x02
#define VNET_REPLICATOR_INITIALIZED 0x04
#define VNET_REPLICATOR_BASIC 0x08
#define VNET_REPLICATOR_ADVANCED 0x10
#define VNET_REPLICATOR_CHANGED 0x20
#define VNET_REPLICATOR_RECEIVED 0x80

// When and to whom a replicator's data goes. Delays are milliseconds, -1 for
// none.
class VNET_API VNet_ReplicatorSetup {
public:
    VNet_ReplicatorSetup(unsigned char flags, unsigned char rules);
    VNet_ReplicatorSetup(unsigned char flags, unsigned char rules, unsigned char interceptId, short minDelay,
                         short maxDelay);
    // Copies the five values.
    VNet_ReplicatorSetup(const VNet_ReplicatorSetup& other);
    VNet_ReplicatorSetup& operator=(const VNet_ReplicatorSetup& other);
    virtual ~VNet_ReplicatorSetup();
    // The set-up itself when shared, else a copy; null when memory fails.
    virtual VNet_ReplicatorSetup* Duplicate();

    static void* operator new(size_t bytes) noexcept;
    static void operator delete(void* memory) noexcept;

    unsigned char getFlags() const { return m_flags; }
    unsigned char getRules() const { return m_rules; }
    unsigned char getInterceptID() const { return m_interceptId; }
    void setInterceptID(unsigned char id) { m_interceptId = id; }
    short getMinDelay() const { return m_minDelay; }
    void setMinDelay(short ms) { m_minDelay = ms; }
    short getMaxDelay() const { return m_maxDelay; }
    void setMaxDelay(short ms) { m_maxDelay = ms; }

protected:
    uint8_t m_flags;
    uint8_t m_rules;
    uint8_t m_interceptId;
    int16_t m_minDelay;
    int16_t m_maxDelay;

private:
    friend class Vornet_Private::DataSkipper;
    // What the nodes pass data by with for replicators whose handle is
    // gone and that read their bits from this set-up: they read it while
    // it lasts, and keep what it said last when it goes.
    Vornet_Private::DataSkipper* m_readers = nullptr;
};

// One piece of a node's state kept in step across connections.
class VNET_API VNet_Replicator {
public:
    explicit VNet_Replicator(VNet_ReplicatorSetup* setup);
    VNet_Replicator(const VNet_Replicator& other) = default;
    VNet_Replicator& operator=(const VNet_Replicator& other) = default;
    // Deletes the set-up when it is marked VNET_REPFLAG_OWNEDSETUP.
    virtual ~VNet_Replicator();
    // The next value of the peek stream, for a replication interceptor.
    virtual void* peekData() = 0;
    virtual void clearPeekData() = 0;
    virtual void Process(eVNet_NodeRole role, unsigned time) = 0;

    static void* operator new(size_t bytes) noexcept;
    static void operator delete(void* memory) noexcept;

    // The replicator's index in its node, 0xFFFF until the set-up ends.
    unsigned short getId() const { return m_id; }
    unsigned char getFlags() const { return m_flags; }
    VNet_ReplicatorSetup* getSetup() const { return m_setup; }
    bool callProcess() const { return (m_flags & VNET_REPLICATOR_PROCESS) != 0; }

protected:
    // The stream under interception at the value's first bit; the first call
    // of an interception remembers where the node must read again.
    VNet_BitStream* getPeekStream();
    // Keeps a peeked copy, releasing the previous one first.
    void peekDataStore(void* value);
    void* peekDataRetrieve();

public:
    // Written by the node that holds the replicator.
    uint16_t m_id;
    uint8_t m_flags;

protected:
    VNet_ReplicatorSetup* m_setup;
};

// Data the node packs and unpacks.
class VNET_API VNet_ReplicatorBasic : public VNet_Replicator {
public:
    explicit VNet_ReplicatorBasic(VNet_ReplicatorSetup* setup);
    // Takes the application's value as the last seen; true when it differed.
    virtual bool checkState() = 0;
    virtual void packData(VNet_BitStream* stream) = 0;
    // With store false the same bits are consumed and nothing is applied.
    virtual void unpackData(VNet_BitStream* stream, bool store, unsigned time) = 0;
    // A new replicator that reads, as this one does with store false, the
    // bits of one value, and keeps nothing of this one: it may read this
    // one's set-up, if that outlives it. The node takes one, and owns it,
    // for every replicator the application owns, so that data arriving
    // after the application deleted this one together with the node handle
    // is still passed by. Each of the library's replicators makes one for
    // its own class only: a class of the application's, including one
    // derived from a library replicator, must override this to be passed
    // by. Without one (null, the default) such data cannot be passed by:
    // the packet that carries it is refused and comes again once the peer
    // has learnt that the node is gone, or, when part of the packet has
    // been taken already, the connection ends, naming the class.
    virtual VNet_ReplicatorBasic* createSkipper() const;
    void setModified() { m_flags |= VNET_REPLICATOR_CHANGED; }
};

// A replicator that sends its own data as node events and hears about
// connections and packets.
class VNET_API VNet_ReplicatorAdvanced : public VNet_Replicator {
public:
    explicit VNet_ReplicatorAdvanced(VNet_ReplicatorSetup* setup);
    virtual void onPreSendData(unsigned connectionId, eVNet_NodeRole remoteRole, unsigned* lastUpdate) = 0;
    virtual void onDataReceived(unsigned connectionId, eVNet_NodeRole remoteRole, VNet_BitStream& stream, bool store,
                                unsigned time) = 0;
    virtual void onDataAcked(unsigned connectionId, unsigned id, VNet_BitStream* stream) = 0;
    virtual void onDataLost(unsigned connectionId, unsigned id, VNet_BitStream* stream) = 0;
    virtual void onPacketReceived(unsigned connectionId) = 0;
    virtual void onConnectionAdded(unsigned connectionId, eVNet_NodeRole remoteRole) = 0;
    virtual void onConnectionRemoved(unsigned connectionId, eVNet_NodeRole remoteRole) = 0;
    virtual void onLocalRoleChanged(eVNet_NodeRole oldRole, eVNet_NodeRole newRole) = 0;
    virtual void onRemoteRoleChanged(unsigned connectionId, eVNet_NodeRole oldRole, eVNet_NodeRole newRole) = 0;

    void setNode(VNet_Node* node) { m_node = node; }
    VNet_Node* getNode() const { return m_node; }
    // The stream becomes the library's, also when nothing is sent (except
    // for a null stream or a replicator without node).
    void sendData(eVNet_SendMode mode, VNet_BitStream* stream, unsigned value);
    void sendDataDirect(eVNet_SendMode mode, unsigned connectionId, VNet_BitStream* stream, unsigned value);
    // The node's record of this replicator's last send on the connection.
    unsigned* getLastUpdateTime(unsigned connectionId);

private:
    VNet_Node* m_node;
};
