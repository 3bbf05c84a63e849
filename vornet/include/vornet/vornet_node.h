#pragma once

#include <cstddef>

#include "vornet/vornet_bitstream.h"
#include "vornet/vornet_export.h"
#include "vornet/vornet_file_transfer.h"
#include "vornet/vornet_types.h"

class VNet_Control;
class VNet_Node;
class VNet_Node_Private;
class VNet_Replicator;

// Kinds of node events.
enum eVNet_Event {
    eVNet_EventNone = 0,
    eVNet_EventInit = 1,
    eVNet_EventSyncRequest = 2,
    eVNet_EventRemoved = 3,
    eVNet_EventFileIncoming = 4,
    eVNet_EventFileData = 5,
    eVNet_EventFileAborted = 6,
    eVNet_EventFileComplete = 7,
    eVNet_EventReplicator = 8,
    eVNet_EventUser = 9
};

enum eVNet_DependencyOpt { eVNet_AddDependency = 0, eVNet_RemoveDependency = 1 };

// Sees a node's incoming events before they are queued; false drops one.
class VNET_API VNet_NodeEventInterceptor {
public:
    virtual ~VNet_NodeEventInterceptor() {}
    virtual bool recUserEvent(VNet_Node* node, unsigned connectionId, eVNet_NodeRole remoteRole,
                              VNet_BitStream* stream, unsigned estimatedSendTime) = 0;
    virtual bool recInit(VNet_Node* node, unsigned connectionId, eVNet_NodeRole remoteRole) = 0;
    virtual bool recSyncRequest(VNet_Node* node, unsigned connectionId, eVNet_NodeRole remoteRole) = 0;
    virtual bool recRemoved(VNet_Node* node, unsigned connectionId, eVNet_NodeRole remoteRole) = 0;
    virtual bool recFileIncoming(VNet_Node* node, unsigned connectionId, eVNet_NodeRole remoteRole,
                                 unsigned transferId, VNet_BitStream* stream) = 0;
    virtual bool recFileData(VNet_Node* node, unsigned connectionId, eVNet_NodeRole remoteRole,
                             unsigned transferId) = 0;
    virtual bool recFileAborted(VNet_Node* node, unsigned connectionId, eVNet_NodeRole remoteRole,
                                unsigned transferId) = 0;
    virtual bool recFileComplete(VNet_Node* node, unsigned connectionId, eVNet_NodeRole remoteRole,
                                 unsigned transferId) = 0;
};

// Watches and vetoes a node's replication per connection.
class VNET_API VNet_NodeReplicationInterceptor {
public:
    virtual ~VNet_NodeReplicationInterceptor() {}
    virtual void outPreAnnounce(VNet_Node* node, unsigned connectionId, eVNet_NodeRole remoteRole) = 0;
    virtual void outPreDelete(VNet_Node* node, unsigned connectionId, eVNet_NodeRole remoteRole) = 0;
    virtual bool outPreUpdate(VNet_Node* node, unsigned connectionId, eVNet_NodeRole remoteRole) = 0;
    virtual bool outPreUpdateItem(VNet_Node* node, unsigned connectionId, eVNet_NodeRole remoteRole,
                                  VNet_Replicator* replicator) = 0;
    virtual void outUpdated(VNet_Node* node, unsigned connectionId, eVNet_NodeRole remoteRole,
                            unsigned replicatorBits, unsigned eventBits, unsigned otherBits) = 0;
    virtual bool inPreUpdate(VNet_Node* node, unsigned connectionId, eVNet_NodeRole remoteRole) = 0;
    virtual bool inPreUpdateItem(VNet_Node* node, unsigned connectionId, eVNet_NodeRole remoteRole,
                                 VNet_Replicator* replicator, unsigned estimatedSendTime) = 0;
    virtual void inUpdated(VNet_Node* node, unsigned connectionId, eVNet_NodeRole remoteRole,
                           unsigned replicatorBits, unsigned eventBits, unsigned otherBits) = 0;
};

// The application's handle for one network object. Building and destroying a
// node that is never registered needs no library object: it costs one
// allocation of its private block.
//
// Every call that takes a stream owns it from then on, also when it fails,
// unless it says otherwise.
class VNET_API VNet_Node {
public:
    VNet_Node();
    // A registered node is unregistered; its peers delete their copies.
    ~VNet_Node();

    // The handle owns its private block; a copy would free it twice.
    VNet_Node(const VNet_Node&) = delete;
    VNet_Node& operator=(const VNet_Node&) = delete;

    static void* operator new(size_t bytes) noexcept;
    static void* operator new[](size_t bytes) noexcept;
    static void operator delete(void* memory) noexcept;
    static void operator delete[](void* memory) noexcept;

    // ---- Registration ----------------------------------------------------
    bool registerNodeUnique(unsigned int classId, eVNet_NodeRole role, VNet_Control* control);
    bool registerNodeByTag(unsigned int classId, unsigned int tag, eVNet_NodeRole role, VNet_Control* control);
    bool registerNodeDynamic(unsigned int classId, VNet_Control* control);
    // The answer to VNet_Control::onDynamicNodeRequest.
    bool registerRequestedNode(unsigned int classId, VNet_Control* control);
    // Leaves the handle as a fresh, unregistered node.
    bool unregisterNode();

    eVNet_NodeRole getRole() const;
    unsigned int getClassID() const;
    unsigned int getNetworkID() const;
    VNet_Control* getControl() const;

    // ---- Audience --------------------------------------------------------
    void setOwner(unsigned int connectionId, bool owner);
    void setPrivate(bool on);
    bool isPrivate() const;
    void setDefaultRelevance(float relevance);
    void setConnectionSpecificRelevance(unsigned int connectionId, float relevance);
    unsigned int getRelevantConnectionCount() const;
    // 1 when all ids were listed, -1 when more remain, 0 without array.
    int getRelevantConnections(unsigned int* ids, unsigned int max, unsigned int* count) const;
    void applyForVornLevel(unsigned char level);
    void removeFromVornLevel(unsigned char level);
    unsigned int getVornLevelCount() const;
    unsigned char getVornLevel(unsigned int index) const;
    void setMustSync(bool must, unsigned short syncOrder);
    void setSyncResult(unsigned int connectionId, bool success, VNet_BitStream* reason);
    void setSyncResultAutoSuccess(bool on);
    // The node keeps the stream; null clears it.
    void setAnnounceData(VNet_BitStream* stream);
    void setUserData(void* data);
    void* getUserData() const;
    // False or null for a connection that is not linked.
    bool setUserData(unsigned int connectionId, void* data);
    void* getUserData(unsigned int connectionId) const;
    void setInterceptID(unsigned char id);
    // Milliseconds since the last received update, -1 when none came.
    int getUpdateDelta() const;
    void disconnectAll();

    // ---- Replication -----------------------------------------------------
    bool beginReplicationSetup(unsigned short expectedCount);
    bool endReplicationSetup();
    void addReplicationBool(bool* data, unsigned char flags, unsigned char rules, short minDelay = -1,
                            short maxDelay = -1);
    // The numbers below live in the application's variable. An int is sent
    // in bits magnitude bits and a sign when signed, else as bits unsigned
    // bits; a float keeps mantissaBits of its mantissa.
    void addReplicationInt(int* data, unsigned char bits, bool isSigned, unsigned char flags, unsigned char rules,
                           short minDelay = -1, short maxDelay = -1);
    void addReplicationFloat(float* data, unsigned char mantissaBits, unsigned char flags, unsigned char rules,
                             short minDelay = -1, short maxDelay = -1);
    // Smoothed toward received values; a difference above the threshold is
    // taken at once. The reference is accepted and not used.
    void addInterpolationInt(int* data, unsigned char bits, bool isSigned, unsigned char flags, unsigned char rules,
                             int errorThreshold, int* reference, short minDelay, short maxDelay, float factor);
    void addInterpolationFloat(float* data, unsigned char mantissaBits, unsigned char flags, unsigned char rules,
                               float errorThreshold, float* reference, short minDelay, short maxDelay, float factor);
    void addReplicationString(char* data, unsigned short maxLength, unsigned char flags, unsigned char rules,
                              short minDelay = -1, short maxDelay = -1);
    void addReplicationStringW(wchar_t* data, unsigned short maxLength, unsigned char flags, unsigned char rules,
                               short minDelay = -1, short maxDelay = -1);
    // A replicator the node does not own stays the application's, which may
    // delete it together with the node handle: once the handle is
    // destroyed the library never reads or writes it again, and data that
    // still arrives for it is passed by through its createSkipper. A basic
    // replicator may even go just before the handle; an advanced one is
    // detached by the handle's destructor, so it must still exist then.
    void addReplicator(VNet_Replicator* replicator, bool nodeOwnsIt);
    void setUpdatePriority(unsigned short priority);
    // False when the relation would close a cycle.
    bool dependsOn(VNet_Node* other, eVNet_DependencyOpt option);
    int getEstimatedTimeUntilPossibleUpdate() const;
    unsigned int getCurrentUpdateRate() const;

    // ---- Events ----------------------------------------------------------
    // Role mask: 0x01 remote proxies, 0x02 the remote owner (from the
    // authority), 0x04 the authority (from the owner).
    bool sendEvent(eVNet_SendMode mode, unsigned char roleMask, VNet_BitStream* stream);
    bool sendEventDirect(eVNet_SendMode mode, VNet_BitStream* stream, unsigned int connectionId);
    bool sendEventToGroup(eVNet_SendMode mode, VNet_BitStream* stream, unsigned int group);
    // Frees what getNextEvent handed out before; true while events wait.
    bool checkEventWaiting();
    // The stream stays the node's until the next checkEventWaiting.
    VNet_BitStream* getNextEvent(eVNet_Event* kind, eVNet_NodeRole* remoteRole, unsigned int* connectionId,
                                 unsigned int* estimatedSendTime);
    void setEventNotification(bool init, bool removal);
    void setEventInterceptor(VNet_NodeEventInterceptor* interceptor);
    void setReplicationInterceptor(VNet_NodeReplicationInterceptor* interceptor);

    // ---- Files -----------------------------------------------------------
    // Offers the file at the path to the peer of a linked connection under
    // the name (the path's last component when null), with the user data
    // in the offer. Files to one connection go one after the other. share:
    // the part of each packet's free room the file may fill, above 0 and
    // at most 1. The transfer id, 0 on failure.
    unsigned int sendFile(const char* path, const char* name, unsigned int connectionId, VNet_BitStream* userData,
                          float share);
    // Answers an offer. Accepted, the file is written at the path, or under
    // the offered name in the working folder when the path is null.
    void acceptFile(unsigned int connectionId, unsigned int transferId, const char* path, bool accept);
    // A transfer unknown on the connection reads as transfer id 0.
    const VNet_FileTransInfo& getFileInfo(unsigned int connectionId, unsigned int transferId);

private:
    friend class VNet_Node_Private;
    VNet_Node_Private* m_priv;
};
