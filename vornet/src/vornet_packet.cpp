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

// A whole copy of the stream, or false when memory ran out.
bool copyStream(const VNet_BitStream* stream, VNet_BitStream** copy)
{
    if (!stream) return true;
    *copy = new VNet_BitStream(*stream);
    return *copy && (*copy)->getBitCount() == stream->getBitCount();
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

VNet_Packet* VNet_Packet::duplicate() const
{
    auto* copy = new VNet_Packet(static_cast<VNet_BitStream*>(nullptr));
    if (!copy) return nullptr;
    if (!copyStream(m_stream, &copy->m_stream) || !copyStream(m_headerStream, &copy->m_headerStream)) {
        delete copy;
        return nullptr;
    }
    copy->m_source = m_source;
    copy->m_destination = m_destination;
    copy->m_time = m_time;
    copy->m_mark = m_mark;
    copy->m_discoverRequestPort = m_discoverRequestPort;
    copy->m_mode = m_mode;
    copy->m_kind = m_kind;
    return copy;
}

void VNet_Packet::setHeaderStream(VNet_BitStream* stream)
{
    if (stream == m_headerStream) return;
    destroyStream(m_headerStream);
    m_headerStream = stream;
}

void VNet_Packet::setStream(VNet_BitStream* stream)
{
    if (stream == m_stream) return;
    destroyStream(m_stream);
    m_stream = stream;
}

VNet_BitStream* VNet_Packet::takeHeaderStream()
{
    VNet_BitStream* stream = m_headerStream;
    m_headerStream = nullptr;
    return stream;
}

VNet_BitStream* VNet_Packet::takeStream()
{
    VNet_BitStream* stream = m_stream;
    m_stream = nullptr;
    return stream;
}

unsigned VNet_Packet::getSize() const
{
    return m_stream ? m_stream->getSizeHint() : 0;
}
