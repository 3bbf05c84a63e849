#include "vornet_file_transfers.h"

#include "vornet_file_transfer.h"

namespace Vornet_Private {

FileTransfers::~FileTransfers()
{
    for (LIST<NodeFileTransfer*>* list : {&m_own, &m_peers}) {
        for (auto* node = list->first(); node; node = node->next) delete node->payload;
        list->clear();
    }
}

uint32_t FileTransfers::nextOwnId() const
{
    const uint32_t first = m_opener ? 1 : 2;
    const uint32_t count = (kMaxId - first) / 2 + 1;
    const uint32_t last = m_lastOwnId ? (m_lastOwnId - first) / 2 : count - 1;
    for (uint32_t step = 1; step <= count; ++step) {
        const uint32_t id = first + (last + step) % count * 2;
        if (!find(id)) return id;
    }
    return 0;
}

FileTransfers::OfferId FileTransfers::checkOfferId(uint32_t id) const
{
    if (id == 0 || id > kMaxId) return OfferId::Invalid;
    return find(id) ? OfferId::InUse : OfferId::Usable;
}

bool FileTransfers::add(NodeFileTransfer* transfer)
{
    if (!listFor(transfer).append(transfer)) return false;
    if (transfer->isOutgoing()) m_lastOwnId = transfer->id();
    return true;
}

NodeFileTransfer* FileTransfers::find(uint32_t id) const
{
    for (const LIST<NodeFileTransfer*>* list : {&m_own, &m_peers}) {
        for (auto* node = list->first(); node; node = node->next) {
            if (node->payload->id() == id) return node->payload;
        }
    }
    return nullptr;
}

NodeFileTransfer* FileTransfers::head() const
{
    for (auto* node = m_own.first(); node; node = node->next) {
        const NodeFileTransfer::Stage stage = node->payload->stage();
        if (stage == NodeFileTransfer::Stage::Offered || stage == NodeFileTransfer::Stage::Running) {
            return node->payload;
        }
    }
    return nullptr;
}

int32_t FileTransfers::pendingOffers() const
{
    int32_t pending = 0;
    for (auto* node = m_peers.first(); node; node = node->next) {
        pending += node->payload->stage() == NodeFileTransfer::Stage::Offered;
    }
    return pending;
}

void FileTransfers::release(uint32_t id)
{
    NodeFileTransfer* transfer = find(id);
    if (!transfer) return;
    listFor(transfer).removeValue(transfer);
    delete transfer;
}

LIST<NodeFileTransfer*>& FileTransfers::listFor(const NodeFileTransfer* transfer)
{
    return transfer->isOutgoing() ? m_own : m_peers;
}

}  // namespace Vornet_Private
