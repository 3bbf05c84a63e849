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
// One id names one transfer on the connection, whichever side sends it:
// the sender numbers it and the receiver keeps it under that number. Two
// sides that both offer at once could pick the same free number, so this
// side gives out odd ids when it opened the connection and even ones
// otherwise; a peer may number its offers as it likes, as long as the id
// is not in use.
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
    // Takes the transfer; false, transfer untouched, when memory runs out.
    bool add(NodeFileTransfer* transfer);
    // The transfer with this id, sent or received.
    NodeFileTransfer* find(uint32_t id) const;
    // The first of this side's transfers that has not ended.
    NodeFileTransfer* head() const;
    int32_t pendingOffers() const;
    // Closes and frees the transfer with this id; nothing when none has it.
    void release(uint32_t id);

private:
    LIST<NodeFileTransfer*>& listFor(const NodeFileTransfer* transfer);

    bool m_opener;
    // The own id given out last.
    uint32_t m_lastOwnId = 0;
    LIST<NodeFileTransfer*> m_own;
    LIST<NodeFileTransfer*> m_peers;
};

}  // namespace Vornet_Private
