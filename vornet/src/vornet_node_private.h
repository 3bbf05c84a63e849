#pragma once

#include <cstdint>

#include "vornet/vornet_node.h"
#include "vornet_array.h"
#include "vornet_idhandler.h"
#include "vornet_list.h"
#include "vornet_memory.h"

class VNet_BitStream;
class VNet_Replicator;
class VNet_Control_Private;
class VNet_NodeEventInterceptor;
class VNet_NodeReplicationInterceptor;
struct NodeConnState;
struct NodeEvent;
struct NodeFileTransfer;

// Everything a node holds. Its tables are created on first use, so a node
// that is never registered costs this one block and nothing else.
class VNet_Node_Private : public Vornet_Private::HookAllocated {
public:
    explicit VNet_Node_Private(VNet_Node* handle);
    ~VNet_Node_Private();
    VNet_Node_Private(const VNet_Node_Private&) = delete;
    VNet_Node_Private& operator=(const VNet_Node_Private&) = delete;

    bool isRegistered() const { return control != nullptr; }

    // Per-connection states keyed by connection id (created on first link).
    Vornet_Private::IdHandler<NodeConnState*>* connectionStates = nullptr;
    // Outgoing events keyed by event id (created on first event).
    Vornet_Private::IdHandler<NodeEvent*>* outgoingEvents = nullptr;
    Vornet_Private::LIST<NodeEvent*> incomingEvents;
    Vornet_Private::LIST<NodeEvent*> deliveredEvents;
    Vornet_Private::LIST<NodeFileTransfer*> finishedTransfers;
    Vornet_Private::ARRAY<VNet_Node_Private*> dependants;
    Vornet_Private::ARRAY<VNet_Node_Private*> dependencies;
    VNet_Node* handle;
    uint32_t localId = 0;
    uint32_t networkId = 0;
    uint32_t registrationKind = 0;
    uint32_t tag = 0;
    uint32_t classId = 0;
    uint8_t interceptId = 0;
    float defaultRelevance = 1.0f;
    uint16_t flags = 0;
    int16_t updatePriority = 1;
    uint16_t syncOrder = 0;
    eVNet_NodeRole role = eVNet_RoleUndefined;
    Vornet_Private::LIST<uint8_t> vornLevels;
    VNet_Replicator** replicators = nullptr;
    uint16_t replicators_size = 0;
    uint16_t replicatorCount = 0;
    uint16_t replicator_normal_count = 0;
    VNet_Control_Private* control = nullptr;
    void* controlListItem = nullptr;
    uint32_t lastUpdateReceived = 0;
    VNet_NodeEventInterceptor* eventInterceptor = nullptr;
    VNet_NodeReplicationInterceptor* replicationInterceptor = nullptr;
    void* userData = nullptr;
    VNet_BitStream* announceData = nullptr;
};
