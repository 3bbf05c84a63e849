#pragma once

#include <cstdint>

#include "platform/TransferFile.h"
#include "vornet/vornet_file_transfer.h"
#include "vornet_memory.h"
#include "vornet_string.h"

class VNet_BitStream;

namespace Vornet_Private {

// One file on its way over one connection of a node: read from its file on
// the sending side, written into a file of its own on the receiving side.
// The record owns the open file; a receiver's file that never became whole
// is deleted when the record closes, and nothing else ever is.
class NodeFileTransfer : public HookAllocated {
public:
    enum class Stage {
        Offered,   // waiting for the receiver's answer
        Running,   // accepted; the bytes move
        Complete,  // every byte arrived (receiver) or was sent (sender)
        Ended      // refused or aborted
    };
    // What opening the sender's file gave.
    enum class Source { Ready, BadShare, NoSize, TooLarge, NotOpened };
    // How one piece of the file fared; Failed aborts the transfer.
    enum class Piece { Moved, Complete, Failed };

    NodeFileTransfer(uint32_t transferId, uint32_t connectionId, bool outgoing, uint32_t now);
    ~NodeFileTransfer();
    NodeFileTransfer(const NodeFileTransfer&) = delete;
    NodeFileTransfer& operator=(const NodeFileTransfer&) = delete;

    // Sender: opens the file at the path and offers it under the name (its
    // last path component when the name is null). Takes the user data. The
    // share of each packet's room lies above 0 and at most at 1: no chunk
    // would ever move with less, and more would overfill the packet.
    Source openSource(const char* path, const char* name, float share, VNet_BitStream* userData);
    // Receiver: the name and size the peer offered.
    void setOffer(const char* name, uint32_t size);
    // Receiver: creates the file for writing. A path from the application is
    // used as it stands; without one the offered name, a plain name, is
    // created in the working folder, never through a link.
    bool openTarget(const char* path);

    // Sender: the size of the next chunk for the room left in a packet: the
    // transfer's share of it, at most what is left of the file and what
    // one message carries.
    unsigned chunkFor(unsigned roomBytes) const;
    // Sender: the next piece of at most maxBytes at the position reached. A
    // file that has shrunk or cannot be read fails.
    Piece readPiece(char* buffer, unsigned maxBytes, unsigned* length, uint32_t now);
    // Receiver: a piece that arrived. Failed when it cannot be written or
    // would take the file beyond its offered size.
    Piece writePiece(const char* bytes, unsigned length, uint32_t now);

    // Stage changes. Closing is the same however often it happens: the file
    // is closed once, and an unfinished received file deleted once.
    void accept() { m_stage = Stage::Running; }
    void finish();
    void end();

    uint32_t id() const { return m_info.transferId; }
    uint32_t connectionId() const { return m_connectionId; }
    bool isOutgoing() const { return m_info.outgoing; }
    Stage stage() const { return m_stage; }
    uint32_t size() const { return m_info.size; }
    uint32_t bytesLeft() const { return m_info.size - m_info.transferred; }
    float share() const { return m_share; }
    const char* name() const { return m_name.getBuffer() ? m_name.getBuffer() : ""; }
    const char* path() const { return m_path.getBuffer() ? m_path.getBuffer() : ""; }
    // The user data, now the caller's; null once taken.
    VNet_BitStream* takeUserData();
    // Whether the offer went out: only the first of a connection's queued
    // transfers is offered, the next when it ends.
    bool isOffered() const { return m_offerWritten; }
    void markOffered() { m_offerWritten = true; }
    // The application is told of a transfer's end once: true the first
    // time, false for a repeated end message.
    bool markReported()
    {
        const bool first = !m_reported;
        m_reported = true;
        return first;
    }
    const VNet_FileTransInfo& info();

private:
    void advance(unsigned bytes, uint32_t now);
    void close();

    uint32_t m_connectionId;
    uint32_t m_windowStart;
    uint32_t m_windowBytes = 0;
    float m_share = 1.0f;
    Stage m_stage = Stage::Offered;
    platform::TransferFile m_file;
    STRING m_path;
    STRING m_name;
    VNet_FileTransInfo m_info = {};
    VNet_BitStream* m_userData = nullptr;
    // The receiver made the file at m_path and it is not whole yet.
    bool m_partialFile = false;
    bool m_offerWritten = false;
    bool m_reported = false;
};

}  // namespace Vornet_Private
