#include "vornet/vornet_node.h"

#include <cstdarg>
#include <cstdio>

#include "vornet/vornet.h"
#include "vornet/vornet_bitstream.h"
#include "vornet/vornet_control.h"
#include "vornet/vornet_replicator.h"

#include "vornet_assert.h"
#include "vornet_connection.h"
#include "vornet_control_private.h"
#include "vornet_log.h"
#include "vornet_node_private.h"
#include "vornet_tls.h"

using namespace Vornet_Private;

// ---------------------------------------------------------------------------
// Private block

VNet_Node_Private::VNet_Node_Private(VNet_Node* owner) : handle(owner)
{
}

VNet_Node_Private::~VNet_Node_Private()
{
    // A set-up left open would keep the thread from opening another.
    if ((flags & NodeSetupOpen) && hasTlsData()) getTlsData()->replicator_building = false;
    for (auto* n = dependencies.first(); n; n = n->next) n->payload->dependants.removeValue(this);
    for (auto* n = dependants.first(); n; n = n->next) n->payload->dependencies.removeValue(this);
    if (connectionStates) {
        uint32_t it = 0;
        for (NodeConnState* s = connectionStates->first(it); it < connectionStates->getSlotCount();
             s = connectionStates->next(it)) {
            freeQueuedEvents(s);
            delete s;
        }
    }
    delete connectionStates;
    connectionStates = nullptr;
    if (outgoingEvents) {
        uint32_t it = 0;
        for (NodeEvent* e = outgoingEvents->first(it); it < outgoingEvents->getSlotCount(); e = outgoingEvents->next(it))
            freeEvent(e);
    }
    delete outgoingEvents;
    checkEventWaiting();
    for (auto* n = incomingEvents.first(); n; n = n->next) freeEvent(n->payload);
    clearReplicators();
    destroyStream(announceData);
}

void VNet_Node_Private::log(int level, const char* context, const char* format, ...)
{
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    const char* name = control && control->debugName.getBuffer() ? control->debugName.getBuffer() : "";
    if (context)
        logMessage(level, "[%s:%u/%s]: %s", name, unsigned(networkId), context, text);
    else
        logMessage(level, "[%s:%u]: %s", name, unsigned(networkId), text);
}

bool VNet_Node_Private::registerAs(uint32_t kind, uint32_t classId_, uint32_t tag_, eVNet_NodeRole role_,
                                   VNet_Control* publicControl)
{
    if (!publicControl) return false;
    if (isRegistered()) {
        logMessage(LogError, "VNet_Node: This node is already registered");
        return false;
    }
    if (flags & NodeSetupOpen) {
        logMessage(LogError, "VNet_Node: replication set-up still open - node not registered");
        return false;
    }
    registrationKind = kind;
    classId = classId_;
    tag = tag_;
    role = role_;
    VNet_Control_Private* target = VNet_Control_Private::of(publicControl);
    if (!target->insertNode(this)) {
        role = eVNet_RoleUndefined;
        return false;
    }
    applyForLevel(1);
    return true;
}

void VNet_Node_Private::unregister()
{
    // The application may have deleted its basic replicators already; its
    // advanced ones are told of the connections and detached first.
    forgetForeignReplicators(true);
    if (connectionStates) {
        uint32_t it = 0;
        for (NodeConnState* s = connectionStates->first(it); it < connectionStates->getSlotCount();
             s = connectionStates->next(it)) {
            removeConnection(s->connectionId, false);
        }
    }
    flags |= NodeUnregistering;
    handle = nullptr;
    for (uint16_t i = 0; i < replicators_size; ++i) {
        VNet_Replicator* r = replicators[i];
        if (r && (r->getFlags() & VNET_REPLICATOR_ADVANCED)) static_cast<VNet_ReplicatorAdvanced*>(r)->setNode(nullptr);
    }
    forgetForeignReplicators(false);
    // The last statement: the control frees this block when nothing holds
    // it any more.
    if (!connectionStates || connectionStates->getUsedCount() == 0) control->removeNode(this);
}

// ---------------------------------------------------------------------------
// Handle

VNET_DEFINE_HOOK_ALLOCATION(VNet_Node)

VNet_Node::VNet_Node()
{
    m_priv = new VNet_Node_Private(this);
    if (!m_priv) Vornet_Private::fatalError("VNet_Node::VNet_Node(): out of memory");
}

VNet_Node::~VNet_Node()
{
    if (m_priv->isRegistered())
        m_priv->unregister();
    else
        delete m_priv;
    m_priv = nullptr;
}

bool VNet_Node::registerNodeUnique(unsigned int classId, eVNet_NodeRole role, VNet_Control* control)
{
    return m_priv->registerAs(RegisterUnique, classId, 0, role, control);
}

bool VNet_Node::registerNodeByTag(unsigned int classId, unsigned int tag, eVNet_NodeRole role, VNet_Control* control)
{
    return m_priv->registerAs(RegisterByTag, classId, tag, role, control);
}

bool VNet_Node::registerNodeDynamic(unsigned int classId, VNet_Control* control)
{
    if (!control) return false;
    const bool requested = VNet_Control_Private::of(control)->dynamicNodesRequested;
    return m_priv->registerAs(RegisterDynamic, classId, 0, requested ? eVNet_RoleProxy : eVNet_RoleAuthority,
                              control);
}

bool VNet_Node::registerRequestedNode(unsigned int classId, VNet_Control* control)
{
    return m_priv->registerAs(RegisterDynamic, classId, 0, eVNet_RoleProxy, control);
}

bool VNet_Node::unregisterNode()
{
    if (!m_priv->isRegistered()) {
        logMessage(LogError, "VNet_Node::unregisterNode(): Trying to unregister unregistered node!");
        return false;
    }
    auto* fresh = new VNet_Node_Private(this);
    if (!fresh) return false;
    VNet_Node_Private* old = m_priv;
    m_priv = fresh;
    old->unregister();
    return true;
}

eVNet_NodeRole VNet_Node::getRole() const
{
    return m_priv->role;
}

unsigned int VNet_Node::getClassID() const
{
    return m_priv->classId;
}

unsigned int VNet_Node::getNetworkID() const
{
    return m_priv->networkId;
}

VNet_Control* VNet_Node::getControl() const
{
    return m_priv->control ? m_priv->control->owner : nullptr;
}

void VNet_Node::setOwner(unsigned int connectionId, bool owner)
{
    m_priv->setOwner(connectionId, owner);
}

void VNet_Node::setPrivate(bool on)
{
    m_priv->setPrivate(on);
}

bool VNet_Node::isPrivate() const
{
    return (m_priv->flags & NodePrivate) != 0;
}

void VNet_Node::setDefaultRelevance(float relevance)
{
    m_priv->defaultRelevance = relevance;
}

void VNet_Node::setConnectionSpecificRelevance(unsigned int connectionId, float relevance)
{
    m_priv->setRelevance(connectionId, relevance);
}

unsigned int VNet_Node::getRelevantConnectionCount() const
{
    return m_priv->connectionStates ? unsigned(m_priv->connectionStates->getUsedCount()) : 0u;
}

int VNet_Node::getRelevantConnections(unsigned int* ids, unsigned int max, unsigned int* count) const
{
    if (!ids) return 0;
    unsigned written = 0;
    bool more = false;
    m_priv->forEachLinked([&](NodeConnState* s) {
        if (written < max)
            ids[written++] = s->connectionId;
        else
            more = true;
    });
    if (count) *count = written;
    return more ? -1 : 1;
}

void VNet_Node::applyForVornLevel(unsigned char level)
{
    m_priv->applyForLevel(level);
}

void VNet_Node::removeFromVornLevel(unsigned char level)
{
    m_priv->removeFromLevel(level);
}

unsigned int VNet_Node::getVornLevelCount() const
{
    return unsigned(m_priv->vornLevels.count());
}

unsigned char VNet_Node::getVornLevel(unsigned int index) const
{
    auto* n = m_priv->vornLevels.first();
    for (unsigned i = 0; n && i < index; ++i) n = n->next;
    return n ? n->payload : 0;
}

void VNet_Node::setMustSync(bool must, unsigned short syncOrder)
{
    m_priv->setMustSync(must, syncOrder);
}

void VNet_Node::setSyncResult(unsigned int connectionId, bool success, VNet_BitStream* reason)
{
    m_priv->setSyncResult(connectionId, success, reason);
}

void VNet_Node::setSyncResultAutoSuccess(bool on)
{
    m_priv->flags = on ? (m_priv->flags | NodeAutoSync) : (m_priv->flags & ~NodeAutoSync);
}

void VNet_Node::setAnnounceData(VNet_BitStream* stream)
{
    destroyStream(m_priv->announceData);
    m_priv->announceData = stream;
    if (stream) stream->setFlag(VNET_BS_LOCKED_FLAG, true);
}

void VNet_Node::setUserData(void* data)
{
    m_priv->userData = data;
}

void* VNet_Node::getUserData() const
{
    return m_priv->userData;
}

bool VNet_Node::setUserData(unsigned int connectionId, void* data)
{
    NodeConnState* state = m_priv->linkedState(connectionId);
    if (!state) return false;
    state->userData = data;
    return true;
}

void* VNet_Node::getUserData(unsigned int connectionId) const
{
    NodeConnState* state = m_priv->linkedState(connectionId);
    return state ? state->userData : nullptr;
}

void VNet_Node::setInterceptID(unsigned char id)
{
    m_priv->interceptId = id;
}

int VNet_Node::getUpdateDelta() const
{
    if (m_priv->lastUpdateReceived == 0) return -1;
    return int(Vornet::getTime() - m_priv->lastUpdateReceived);
}

void VNet_Node::disconnectAll()
{
    if (!m_priv->connectionStates) return;
    uint32_t it = 0;
    auto* states = m_priv->connectionStates;
    for (NodeConnState* s = states->first(it); it < states->getSlotCount(); s = states->next(it))
        m_priv->removeConnection(s->connectionId, false);
}

bool VNet_Node::beginReplicationSetup(unsigned short expectedCount)
{
    return m_priv->beginSetup(expectedCount);
}

bool VNet_Node::endReplicationSetup()
{
    return m_priv->endSetup();
}

void VNet_Node::addReplicator(VNet_Replicator* replicator, bool nodeOwnsIt)
{
    m_priv->addReplicator(replicator, nodeOwnsIt);
}

void VNet_Node::setUpdatePriority(unsigned short priority)
{
    m_priv->updatePriority = static_cast<int16_t>(priority);
    if (m_priv->flags & NodeHasDependencies) m_priv->recomputeAllPriorities();
}

bool VNet_Node::dependsOn(VNet_Node* other, eVNet_DependencyOpt option)
{
    if (!VNET_CHECK(other, "VNet_Node::dependsOn() called without node") || !other) return false;
    VNet_Node_Private* target = VNet_Node_Private::of(other);
    if (option == eVNet_AddDependency) return m_priv->addDependency(target);
    m_priv->removeDependency(target);
    return true;
}

bool VNet_Node::sendEvent(eVNet_SendMode mode, unsigned char roleMask, VNet_BitStream* stream)
{
    return m_priv->sendEvent(mode, roleMask, stream);
}

bool VNet_Node::sendEventDirect(eVNet_SendMode mode, VNet_BitStream* stream, unsigned int connectionId)
{
    return m_priv->sendEventDirect(mode, stream, connectionId);
}

bool VNet_Node::sendEventToGroup(eVNet_SendMode mode, VNet_BitStream* stream, unsigned int group)
{
    return m_priv->sendEventToGroup(mode, stream, group);
}

unsigned int VNet_Node::sendFile(const char* path, const char* name, unsigned int connectionId,
                                 VNet_BitStream* userData, float share)
{
    return m_priv->sendFile(path, name, connectionId, userData, share);
}

void VNet_Node::acceptFile(unsigned int connectionId, unsigned int transferId, const char* path, bool accept)
{
    m_priv->acceptFile(connectionId, transferId, path, accept);
}

const VNet_FileTransInfo& VNet_Node::getFileInfo(unsigned int connectionId, unsigned int transferId)
{
    return m_priv->fileInfo(connectionId, transferId);
}

bool VNet_Node::checkEventWaiting()
{
    return m_priv->checkEventWaiting();
}

VNet_BitStream* VNet_Node::getNextEvent(eVNet_Event* kind, eVNet_NodeRole* remoteRole, unsigned int* connectionId,
                                        unsigned int* estimatedSendTime)
{
    return m_priv->nextEvent(kind, remoteRole, connectionId, estimatedSendTime);
}

void VNet_Node::setEventNotification(bool init, bool removal)
{
    uint16_t f = m_priv->flags & ~(NodeNotifyInit | NodeNotifyRemoval);
    if (init) f |= NodeNotifyInit;
    if (removal) f |= NodeNotifyRemoval;
    m_priv->flags = f;
}

void VNet_Node::setEventInterceptor(VNet_NodeEventInterceptor* interceptor)
{
    m_priv->eventInterceptor = interceptor;
}

void VNet_Node::setReplicationInterceptor(VNet_NodeReplicationInterceptor* interceptor)
{
    m_priv->replicationInterceptor = interceptor;
}
