#include "vornet_file_transfer.h"

#include <cstdint>

#include "vornet_connection.h"
#include "vornet_file_messages.h"

namespace Vornet_Private {

namespace {

// The rate is what moved in a window of more than a second.
constexpr uint32_t kRateWindowMs = 1000;

}  // namespace

NodeFileTransfer::NodeFileTransfer(uint32_t transferId, uint32_t connectionId, bool outgoing, uint32_t now)
    : m_connectionId(connectionId), m_windowStart(now)
{
    m_info.transferId = transferId;
    m_info.outgoing = outgoing;
}

NodeFileTransfer::~NodeFileTransfer()
{
    close();
    destroyStream(m_userData);
}

NodeFileTransfer::Source NodeFileTransfer::openSource(const char* path, const char* name, float share,
                                                      VNet_BitStream* userData)
{
    m_userData = userData;
    if (!(share > 0.0f && share <= 1.0f)) return Source::BadShare;
    m_share = share;
    uint64_t size = 0;
    if (!platform::TransferFile::sizeOf(path, &size)) return Source::NoSize;
    if (size > UINT32_MAX) return Source::TooLarge;
    if (!m_file.openForReading(path)) return Source::NotOpened;
    m_path = path;
    m_name = name ? name : finalPathComponent(path);
    m_info.size = static_cast<uint32_t>(size);
    return Source::Ready;
}

void NodeFileTransfer::setOffer(const char* name, uint32_t size)
{
    m_name = name;
    m_path = name;
    m_info.size = size;
}

bool NodeFileTransfer::openTarget(const char* path)
{
    const bool fromPeer = path == nullptr;
    if (!fromPeer) m_path = path;
    if (!m_file.openForWriting(this->path(), fromPeer)) return false;
    m_partialFile = true;
    return true;
}

unsigned NodeFileTransfer::chunkFor(unsigned roomBytes) const
{
    const auto share = static_cast<unsigned>(m_share * static_cast<float>(roomBytes));
    unsigned chunk = share < bytesLeft() ? share : bytesLeft();
    return chunk < FileMessages::kMaxChunkBytes ? chunk : FileMessages::kMaxChunkBytes;
}

NodeFileTransfer::Piece NodeFileTransfer::readPiece(char* buffer, unsigned maxBytes, unsigned* length, uint32_t now)
{
    *length = 0;
    const unsigned wanted = maxBytes < bytesLeft() ? maxBytes : bytesLeft();
    size_t got = 0;
    // Fewer bytes than the offered size promised: the file shrank, and
    // what is missing will never come.
    if (!m_file.readAt(m_info.transferred, buffer, wanted, &got) || got < wanted) return Piece::Failed;
    *length = wanted;
    advance(wanted, now);
    return bytesLeft() == 0 ? Piece::Complete : Piece::Moved;
}

NodeFileTransfer::Piece NodeFileTransfer::writePiece(const char* bytes, unsigned length, uint32_t now)
{
    if (length > bytesLeft() || !m_file.write(bytes, length)) return Piece::Failed;
    advance(length, now);
    if (bytesLeft() > 0) return Piece::Moved;
    finish();
    return Piece::Complete;
}

void NodeFileTransfer::advance(unsigned bytes, uint32_t now)
{
    m_info.transferred += bytes;
    m_windowBytes += bytes;
    if (now - m_windowStart > kRateWindowMs) {
        m_info.rate = m_windowBytes;
        m_windowBytes = 0;
        m_windowStart = now;
    }
}

void NodeFileTransfer::finish()
{
    if (m_stage == Stage::Ended) return;
    m_stage = Stage::Complete;
    m_file.close();
    m_partialFile = false;
}

void NodeFileTransfer::end()
{
    m_stage = Stage::Ended;
    close();
}

void NodeFileTransfer::close()
{
    m_file.close();
    if (m_partialFile) platform::TransferFile::remove(path());
    m_partialFile = false;
}

VNet_BitStream* NodeFileTransfer::takeUserData()
{
    VNet_BitStream* data = m_userData;
    m_userData = nullptr;
    return data;
}

const VNet_FileTransInfo& NodeFileTransfer::info()
{
    m_info.path = path();
    m_info.running = m_stage == Stage::Running;
    return m_info;
}

}  // namespace Vornet_Private
