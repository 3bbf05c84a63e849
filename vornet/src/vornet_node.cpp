#include "vornet/vornet_node.h"

#include "vornet/vornet_bitstream.h"

#include "vornet_log.h"
#include "vornet_node_private.h"

VNet_Node_Private::VNet_Node_Private(VNet_Node* owner) : handle(owner)
{
}

VNet_Node_Private::~VNet_Node_Private()
{
    delete connectionStates;
    delete outgoingEvents;
    if (announceData) {
        // Held streams are locked against the application; the node owns it.
        announceData->setFlag(VNET_BS_LOCKED_FLAG, false);
        delete announceData;
    }
}

VNET_DEFINE_HOOK_ALLOCATION(VNet_Node)

VNet_Node::VNet_Node()
{
    m_priv = new VNet_Node_Private(this);
    if (!m_priv) Vornet_Private::fatalError("VNet_Node::VNet_Node(): out of memory");
}

VNet_Node::~VNet_Node()
{
    delete m_priv;
    m_priv = nullptr;
}
