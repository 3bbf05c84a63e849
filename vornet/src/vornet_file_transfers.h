#pragma once

#include <cstdint>

#include "vornet_list.h"
#include "vornet_memory.h"

namespace Vornet_Private {

class NodeFileTransfer;

// The file transfers of one node over one connection, owned here: the
// files this side sends, in the order they were asked for (only the first
// that has not ended is offered or streamed), and the files the peer sends.
//
// Both sides number their own transfers, so the same number can name one
// of each. The side that opened the connection gives out odd ids, the other
// side even ones: every message's id then tells which of the two it names.
class FileTransfers : public HookAllocated {
public:
    // Ids stay below this; a peer's id above it is refused.
    static constexpr uint32_t kMaxId = 0xFFFF;
    // Offers the application has not answered yet. A sound peer offers one
    // file at a time per node; more are refused.
    static constexpr int32_t kMaxPendingOffers = 8;

    // What a peer's offer id is worth.
    enum class OfferId { Usable, Invalid, InUse };

    explicit FileTransfers(bool opener) : m_opener(opener) {}
    // Closes and frees every transfer.
    ~FileTransfers();
    FileTransfers(const FileTransfers&) = delete;
    FileTransfers& operator=(const FileTransfers&) = delete;

    // The id for a new transfer of this side; 0 when none is left. Ids go
    // round: one just released is not given out again while the peer may
    // still hold its record of it.
    uint32_t nextOwnId() const;
    OfferId checkOfferId(uint32_t id) const;
    bool isOwnId(uint32_t id) const { return (id & 1) == (m_opener ? 1u : 0u); }
    // Takes the transfer; false, transfer untouched, when memory runs out.
    bool add(NodeFileTransfer* transfer);
    // The transfer with this id, on whichever side its id belongs to.
    NodeFileTransfer* find(uint32_t id) const;
    // The first of this side's transfers that has not ended.
    NodeFileTransfer* head() const;
    int32_t pendingOffers() const;
    // Closes and frees the transfer with this id; nothing when none has it.
    void release(uint32_t id);

private:
    LIST<NodeFileTransfer*>& listFor(uint32_t id) { return isOwnId(id) ? m_own : m_peers; }
    const LIST<NodeFileTransfer*>& listFor(uint32_t id) const { return isOwnId(id) ? m_own : m_peers; }

    bool m_opener;
    // The own id given out last.
    uint32_t m_lastOwnId = 0;
    LIST<NodeFileTransfer*> m_own;
    LIST<NodeFileTransfer*> m_peers;
};

}  // namespace Vornet_Private
