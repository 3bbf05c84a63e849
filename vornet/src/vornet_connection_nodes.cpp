// The node side of a connection. No node can be registered with a control
// yet, so a node-data packet carries the empty node section: an id width of
// 0, no deletions and no updates. The steps that register the control node
// and fill or read entries join here with the nodes.
#include "vornet_connection.h"
#include "vornet_control_private.h"
#include "vornet_log.h"
#include "vornet_packet.h"
#include "vornet_stream_reader.h"

namespace Vornet_Private {

void VNet_Connection::createControlNode()
{
}

void VNet_Connection::registerControlNode(eVNet_NodeRole)
{
}

void VNet_Connection::writeNodes(HistoryRecord*, VNet_BitStream* stream)
{
    stream->addInt(0, 4);
    stream->addBool(false);
    stream->addBool(false);
}

void VNet_Connection::readNodes(VNet_BitStream* stream, uint32_t)
{
    StreamReader reader(*stream);
    const unsigned width = reader.getInt(4);
    while (reader.getBool()) {
        const uint32_t id = reader.getInt(width);
        log(LogNormal, "node not found: local id[%d]", int(id));
    }
    if (!reader.getBool() || !reader.complete()) return;
    // An update names a node this side cannot have.
    const uint32_t id = m_isOpener && reader.getBool() ? 0 : reader.getInt(width);
    log(LogNormal, "node not found[%d]! Disconnecting!", int(id));
    if (m_state < StateDisconnectPending && m_state != StateDead) {
        log(LogNormal, "disconnect requested by application");
        destroyStream(m_pendingStream);
        m_pendingStream = nullptr;
        setState(StateDisconnectPending);
    }
}

void VNet_Connection::settleNodeData(HistoryRecord*, bool)
{
}

bool VNet_Connection::sendNodeData()
{
    VNet_Packet* packet = newPacket(KindNodeData, ModeSequenced);
    if (!packet) return false;
    writeNodes(packet->getHistory(), packet->getStream());
    return true;
}

}  // namespace Vornet_Private
