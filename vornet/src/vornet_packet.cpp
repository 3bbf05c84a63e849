#include "vornet_packet.h"

#include "vornet_assert.h"
#include "vornet_log.h"

using namespace Vornet_Private;

namespace {

void destroyStream(VNet_BitStream* stream)
{
    if (!stream) return;
    stream->setFlag(VNET_BS_LOCKED_FLAG, false);
    delete stream;
}

}  // namespace

VNet_Packet::VNet_Packet(unsigned short sizeHint) : m_stream(new VNet_BitStream(sizeHint))
{
    if (!m_stream) fatalError("VNet_Packet:: out of memory");
}

VNet_Packet::VNet_Packet(VNet_BitStream* stream) : m_stream(stream)
{
}

VNet_Packet::~VNet_Packet()
{
    (void)VNET_CHECK(m_history == nullptr, "history == NULL");
    destroyStream(m_stream);
    destroyStream(m_headerStream);
}

void VNet_Packet::setHeaderStream(VNet_BitStream* stream)
{
    if (stream == m_headerStream) return;
    destroyStream(m_headerStream);
    m_headerStream = stream;
}

unsigned VNet_Packet::getSize() const
{
    return m_stream ? m_stream->getSizeHint() : 0;
}
