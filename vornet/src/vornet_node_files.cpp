// A node's file transfers: offering and answering, the chunks that fill the
// room left in each packet, and the file messages that arrive. Every message
// is an ordered event, so a chunk never overtakes its offer or its end.
#include <cstring>

#include "vornet/vornet.h"
#include "vornet/vornet_file_transfer.h"

#include "vornet_assert.h"
#include "vornet_connection.h"
#include "vornet_control_private.h"
#include "vornet_file_messages.h"
#include "vornet_file_transfer.h"
#include "vornet_file_transfers.h"
#include "vornet_log.h"
#include "vornet_node_private.h"

using namespace Vornet_Private;

namespace {

using Stage = NodeFileTransfer::Stage;

VNet_BitStream* answerMessage(uint32_t transferId, bool accepted)
{
    auto* stream = new VNet_BitStream(8);
    if (stream) FileMessages::writeAnswer(*stream, transferId, accepted);
    return stream;
}

VNet_BitStream* endMessage(uint32_t transferId)
{
    auto* stream = new VNet_BitStream(8);
    if (stream) FileMessages::writeEnd(*stream, transferId);
    return stream;
}

const char* sourceProblem(NodeFileTransfer::Source source)
{
    switch (source) {
    case NodeFileTransfer::Source::BadShare:
        return "VNet_Node::sendFile(): share must lie above 0 and at most at 1: %s";
    case NodeFileTransfer::Source::NoSize:
        return "VNet_Node::sendFile(): unable to retrieve filesize for: %s";
    case NodeFileTransfer::Source::TooLarge:
        return "VNet_Node::sendFile(): file too large to send (4 GB at most): %s";
    case NodeFileTransfer::Source::NotOpened:
        return "VNet_Node::sendFile(): cannot open file: %s";
    case NodeFileTransfer::Source::Ready:
        break;
    }
    return nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------
// The transfers of a connection

FileTransfers* VNet_Node_Private::transfersOf(NodeConnState* state)
{
    if (!state->files) {
        // The two ends number their transfers apart by which of them opened
        // the connection.
        VNet_Connection* connection = control ? control->findConnectionById(state->connectionId) : nullptr;
        state->files = new FileTransfers(connection && connection->isOpener());
    }
    return state->files;
}

NodeFileTransfer* VNet_Node_Private::findTransfer(const NodeConnState* state, uint32_t transferId) const
{
    return state && state->files ? state->files->find(transferId) : nullptr;
}

bool VNet_Node_Private::queueFileMessage(NodeConnState* state, eVNet_Event kind, VNet_BitStream* stream)
{
    if (stream && queueEventFor(state, kind, eVNet_ReliableOrdered, stream)) return true;
    log(LogError, nullptr, "VNet_Node: out of memory - file message not sent");
    return false;
}

void VNet_Node_Private::postLocalFileEvent(NodeConnState* state, eVNet_Event kind, VNet_BitStream* stream)
{
    auto* event = stream ? new NodeEvent : nullptr;
    if (!event) {
        destroyStream(stream);
        log(LogError, nullptr, "out of memory");
        return;
    }
    event->connectionId = state->connectionId;
    event->remoteRole = state->remoteRole;
    event->kind = kind;
    event->stream = stream;
    event->local = true;
    event->estimatedSendTime = Vornet::getTime();
    handOver(event, state);
}

// ---------------------------------------------------------------------------
// The application's calls

uint32_t VNet_Node_Private::sendFile(const char* path, const char* name, uint32_t connectionId,
                                     VNet_BitStream* userData, float share)
{
    (void)VNET_CHECK(!userData || !VNET_BS_LOCKED(userData),
                     "This bitstream object has been locked somewhere else. Make sure to not use any bitstream more "
                     "than once!");
    NodeConnState* state = linkedState(connectionId);
    FileTransfers* files = state && path ? transfersOf(state) : nullptr;
    const uint32_t id = files ? files->nextOwnId() : 0;
    auto* transfer = id ? new NodeFileTransfer(id, connectionId, true, Vornet::getTime()) : nullptr;
    if (!transfer) {
        if (!state)
            log(LogError, nullptr, "VNet_Node::sendFile(): unknown connection: %d", int(connectionId));
        else if (!path)
            log(LogError, nullptr, "VNet_Node::sendFile(): no file given");
        else
            log(LogError, nullptr, files && !id ? "VNet_Node::sendFile(): no transfer id left"
                                                : "VNet_Node::sendFile(): out of memory");
        destroyStream(userData);
        return 0;
    }
    if (userData) userData->setFlag(VNET_BS_LOCKED_FLAG, true);
    if (const char* problem = sourceProblem(transfer->openSource(path, name, share, userData))) {
        log(LogError, nullptr, problem, path);
        delete transfer;
        return 0;
    }
    const unsigned nameLength = unsigned(std::strlen(transfer->name()));
    if (nameLength > FileMessages::kMaxNameBytes || !isPlainFileName(transfer->name(), nameLength)) {
        // The peer would refuse it: it writes only plain names into its folder.
        log(LogError, nullptr, "VNet_Node::sendFile(): not a plain file name: %s", transfer->name());
        delete transfer;
        return 0;
    }
    VNet_BitStream probe(64);
    FileMessages::writeOffer(probe, transfer->name(), transfer->size(), id, userData);
    if (!eventFitsPacket(control, connectionId, &probe)) {
        log(LogError, nullptr, "VNet_Node::sendFile(): the offer of %u bits cannot fit one packet", probe.getBitCount());
        delete transfer;
        return 0;
    }
    if (!files->add(transfer)) {
        log(LogError, nullptr, "VNet_Node::sendFile(): out of memory");
        delete transfer;
        return 0;
    }
    offerNextFile(state);
    return id;
}

void VNet_Node_Private::acceptFile(uint32_t connectionId, uint32_t transferId, const char* path, bool accept)
{
    NodeConnState* state = linkedState(connectionId);
    if (!state) {
        log(LogWarning, nullptr, "VNet_Node::acceptFile(): unknown connection: srcID[%d]/transferID[%d]",
            int(connectionId), int(transferId));
        return;
    }
    NodeFileTransfer* transfer = findTransfer(state, transferId);
    if (!transfer || transfer->isOutgoing()) {
        log(LogWarning, nullptr, "VNet_Node::acceptFile(): unknown transfer: srcID[%d]/transferID[%d]",
            int(connectionId), int(transferId));
        return;
    }
    if (transfer->stage() != Stage::Offered) {
        // A second answer would empty a file that is being written.
        log(LogWarning, nullptr, "VNet_Node::acceptFile(): transfer already answered: srcID[%d]/transferID[%d]",
            int(connectionId), int(transferId));
        return;
    }
    if (accept && !transfer->openTarget(path)) {
        log(LogError, nullptr, "VNet_Node::acceptFile(): file %s can't be opened for writing", transfer->path());
        accept = false;
    }
    if (accept) transfer->accept();
    if (queueFileMessage(state, eVNet_EventFileAborted, answerMessage(transferId, accept)) && accept) return;
    // Nothing more comes for a refused offer (or one the peer never hears
    // accepted): its id is free for the peer's next file.
    state->files->release(transferId);
}

const VNet_FileTransInfo& VNet_Node_Private::fileInfo(uint32_t connectionId, uint32_t transferId)
{
    static const VNet_FileTransInfo none = {0, 0, 0, "", 0, false, false};
    NodeConnState* state = linkedState(connectionId);
    if (!state) {
        log(LogWarning, nullptr, "VNet_Node::getFileInfo(): unknown connection: srcID[%d]/transferID[%d]",
            int(connectionId), int(transferId));
        return none;
    }
    NodeFileTransfer* transfer = findTransfer(state, transferId);
    if (!transfer) {
        log(LogWarning, nullptr, "VNet_Node::getFileInfo(): unknown transfer: srcID[%d]/transferID[%d]",
            int(connectionId), int(transferId));
        return none;
    }
    return transfer->info();
}

// ---------------------------------------------------------------------------
// Sending

void VNet_Node_Private::offerFile(NodeConnState* state, NodeFileTransfer* transfer)
{
    auto* offer = new VNet_BitStream(64);
    VNet_BitStream* userData = transfer->takeUserData();
    if (offer) FileMessages::writeOffer(*offer, transfer->name(), transfer->size(), transfer->id(), userData);
    destroyStream(userData);
    transfer->markOffered();
    if (!queueFileMessage(state, eVNet_EventFileIncoming, offer)) abortTransfer(state, transfer);
}

void VNet_Node_Private::offerNextFile(NodeConnState* state)
{
    // One file at a time per connection: the next is offered when the one
    // ahead of it has ended.
    NodeFileTransfer* next = state->files ? state->files->head() : nullptr;
    if (next && !next->isOffered()) offerFile(state, next);
}

bool VNet_Node_Private::hasFileChunkFor(const NodeConnState* state) const
{
    const NodeFileTransfer* head = state->files ? state->files->head() : nullptr;
    return head && head->stage() == Stage::Running && state->orderedWindowOpen();
}

unsigned VNet_Node_Private::chunkRoom(const NodeConnState* state, const VNet_BitStream* packet,
                                      unsigned limitBits) const
{
    VNet_Connection* connection = control ? control->findConnectionById(state->connectionId) : nullptr;
    if (!connection) return 0;
    // The room within the rate's bytes per packet, and never past what one
    // datagram holds.
    const unsigned used = (packet->getBitCount() + 7) / 8;
    const unsigned budget = connection->packetBudget();
    const unsigned datagram = limitBits / 8;
    const unsigned end = budget < datagram ? budget : datagram;
    const unsigned overhead = FileMessages::chunkOverheadBytes();
    return end > used + overhead ? end - used - overhead : 0;
}

bool VNet_Node_Private::queueFileChunk(NodeConnState* state, const VNet_BitStream* packet, unsigned limitBits)
{
    if (!hasFileChunkFor(state)) return false;
    NodeFileTransfer* transfer = state->files->head();
    if (transfer->bytesLeft() == 0) {
        endSentFile(state, transfer);
        return true;
    }
    const unsigned chunk = transfer->chunkFor(chunkRoom(state, packet, limitBits));
    if (chunk == 0) return false;
    char* bytes = allocateArray<char>(chunk);
    auto* message = bytes ? new VNet_BitStream(uint16_t(chunk + 16)) : nullptr;
    if (!message) {
        release(bytes);
        return false;
    }
    unsigned length = 0;
    if (transfer->readPiece(bytes, chunk, &length, Vornet::getTime()) == NodeFileTransfer::Piece::Failed) {
        log(LogError, nullptr, "VNet_Node: aborting transfer, unable to read file: %s", transfer->path());
        release(bytes);
        delete message;
        abortTransfer(state, transfer);
        return true;
    }
    FileMessages::writeChunk(*message, transfer->id(), bytes, length);
    release(bytes);
    // The bytes count as sent: a chunk that cannot be queued leaves a gap.
    if (!queueFileMessage(state, eVNet_EventFileData, message)) abortTransfer(state, transfer);
    return true;
}

void VNet_Node_Private::endSentFile(NodeConnState* state, NodeFileTransfer* transfer)
{
    transfer->finish();
    queueFileMessage(state, eVNet_EventFileComplete, endMessage(transfer->id()));
    postLocalFileEvent(state, eVNet_EventFileComplete, endMessage(transfer->id()));
}

void VNet_Node_Private::abortTransfer(NodeConnState* state, NodeFileTransfer* transfer)
{
    const uint32_t id = transfer->id();
    queueFileMessage(state, eVNet_EventFileAborted, answerMessage(id, false));
    postLocalFileEvent(state, eVNet_EventFileAborted, answerMessage(id, false));
}

// ---------------------------------------------------------------------------
// Handing over

bool VNet_Node_Private::takeFileEvent(NodeEvent* event, NodeConnState* state)
{
    if (!state) state = linkedState(event->connectionId);
    if (!state || !event->stream) {
        if (event->kind == eVNet_EventFileAborted)
            log(LogError, nullptr, "Incoming file abortion event cannot be processed, the connection is gone");
        return false;
    }
    switch (event->kind) {
    case eVNet_EventFileIncoming:
        return takeOffer(event, state);
    case eVNet_EventFileData:
        return takeChunk(event, state);
    case eVNet_EventFileAborted:
        return takeAnswer(event, state);
    default:
        return takeEnd(event, state);
    }
}

bool VNet_Node_Private::fileEventKept(NodeEvent* event, uint32_t transferId)
{
    event->stream->resetReadState();
    if (!eventInterceptor || !handle) return true;
    const uint32_t connection = event->connectionId;
    const eVNet_NodeRole remote = event->remoteRole;
    switch (event->kind) {
    case eVNet_EventFileData:
        return eventInterceptor->recFileData(handle, connection, remote, transferId);
    case eVNet_EventFileAborted:
        return eventInterceptor->recFileAborted(handle, connection, remote, transferId);
    default:
        return eventInterceptor->recFileComplete(handle, connection, remote, transferId);
    }
}

bool VNet_Node_Private::reportFileEnd(NodeEvent* event, uint32_t transferId)
{
    if (fileEventKept(event, transferId)) return true;
    // Kept back from the application, the end still releases its transfer
    // at the next check, as if it had been taken.
    noteFinishedTransfer(event);
    return false;
}

bool VNet_Node_Private::takeOffer(NodeEvent* event, NodeConnState* state)
{
    char name[FileMessages::kMaxNameBytes + 1];
    bool plain = false;
    uint32_t size = 0;
    uint32_t id = 0;
    FileTransfers* files = transfersOf(state);
    if (event->local || !files || !FileMessages::readOffer(*event->stream, name, &plain, &size, &id)) {
        log(LogWarning, nullptr, "VNet_Node: malformed file offer dropped");
        return false;
    }
    if (files->checkOfferId(id) != FileTransfers::OfferId::Usable) {
        // Answering would name a transfer the peer may hold already.
        log(LogWarning, nullptr, "VNet_Node: file offer with unusable transfer id %u dropped", unsigned(id));
        return false;
    }
    if (!plain || files->pendingOffers() >= FileTransfers::kMaxPendingOffers) {
        log(LogWarning, nullptr,
            plain ? "VNet_Node: file offer %u refused - too many offers unanswered"
                  : "VNet_Node: file offer %u refused - not a plain file name",
            unsigned(id));
        queueFileMessage(state, eVNet_EventFileAborted, answerMessage(id, false));
        return false;
    }
    auto* transfer = new NodeFileTransfer(id, state->connectionId, false, Vornet::getTime());
    if (!transfer || !files->add(transfer)) {
        delete transfer;
        log(LogError, nullptr, "VNet_Node:: out of mem");
        return false;
    }
    transfer->setOffer(name, size);
    if (!eventInterceptor || !handle) return true;
    VNet_BitStream::BitPos atId;
    event->stream->saveReadState(atId);
    const bool keep =
        eventInterceptor->recFileIncoming(handle, event->connectionId, event->remoteRole, id, event->stream);
    event->stream->restoreReadState(atId);
    return keep;
}

bool VNet_Node_Private::takeChunk(NodeEvent* event, NodeConnState* state)
{
    uint32_t id = 0;
    unsigned length = 0;
    char* bytes = allocateArray<char>(FileMessages::kMaxChunkBytes);
    const bool read = bytes && !event->local && FileMessages::readChunk(*event->stream, &id, bytes, &length);
    NodeFileTransfer* transfer = read ? findTransfer(state, id) : nullptr;
    // Only a file of the peer's that this side accepted takes bytes.
    if (!transfer || transfer->isOutgoing() || transfer->stage() != Stage::Running || length == 0) {
        release(bytes);
        return false;
    }
    bool written = false;
    if (length > transfer->bytesLeft()) {
        log(LogError, nullptr, "VNet_Node: aborting transfer, more data than offered: %s", transfer->path());
    } else {
        written = transfer->writePiece(bytes, length, Vornet::getTime()) != NodeFileTransfer::Piece::Failed;
        if (!written) log(LogError, nullptr, "VNet_Node: aborting transfer, unable to write to file: %s", transfer->path());
    }
    release(bytes);
    if (!written) {
        abortTransfer(state, transfer);
        return false;
    }
    return fileEventKept(event, id);
}

bool VNet_Node_Private::takeAnswer(NodeEvent* event, NodeConnState* state)
{
    uint32_t id = 0;
    bool accepted = false;
    if (!FileMessages::readAnswer(*event->stream, &id, &accepted)) return false;
    NodeFileTransfer* transfer = findTransfer(state, id);
    if (!transfer) return false;
    if (accepted) {
        // Only the receiver accepts, and only a file still on offer.
        if (event->local || !transfer->isOutgoing() || transfer->stage() != Stage::Offered) return false;
        transfer->accept();
        log(LogNormal, nullptr, "File transfer of [%s], %0.2f kb to connection [%d]", transfer->path(),
            double(transfer->size()) / 1024.0, int(state->connectionId));
        return false;
    }
    // Refused or aborted, by either side: closed once, however often it is
    // said.
    if (transfer->stage() != Stage::Offered && transfer->stage() != Stage::Running) return false;
    transfer->end();
    const bool kept = reportFileEnd(event, id);
    if (transfer->isOutgoing()) offerNextFile(state);
    return kept;
}

bool VNet_Node_Private::takeEnd(NodeEvent* event, NodeConnState* state)
{
    uint32_t id = 0;
    if (!FileMessages::readEnd(*event->stream, &id)) return false;
    NodeFileTransfer* transfer = findTransfer(state, id);
    // This side ends what it sends; the peer ends what it sends here.
    if (!transfer || transfer->isOutgoing() != event->local) return false;
    if (!transfer->isOutgoing() && transfer->stage() == Stage::Running) {
        if (transfer->bytesLeft() > 0) {
            log(LogError, nullptr, "VNet_Node: aborting transfer, it ended before all data arrived: %s",
                transfer->path());
            abortTransfer(state, transfer);
            return false;
        }
        // An empty file: no chunk came to complete it.
        transfer->finish();
    }
    if (transfer->stage() != Stage::Complete || !transfer->markReported()) return false;
    const bool kept = reportFileEnd(event, id);
    if (transfer->isOutgoing()) offerNextFile(state);
    return kept;
}

// ---------------------------------------------------------------------------
// Release

void VNet_Node_Private::noteFinishedTransfer(const NodeEvent* event)
{
    uint32_t id = 0;
    if (!event->stream || !FileMessages::peekTransferId(*event->stream, &id)) return;
    finishedTransfers.append(FinishedTransfer{event->connectionId, id});
}

void VNet_Node_Private::releaseFinishedTransfers()
{
    for (auto* n = finishedTransfers.first(); n; n = n->next) {
        NodeConnState* state = anyState(n->payload.connectionId);
        NodeFileTransfer* transfer = findTransfer(state, n->payload.transferId);
        // Gone with its connection, or (never) a later transfer under the
        // same id that is still moving.
        if (!transfer || transfer->stage() == Stage::Offered || transfer->stage() == Stage::Running) continue;
        state->files->release(n->payload.transferId);
    }
    finishedTransfers.clear();
}
