#pragma once

#include <cstddef>

#include "vornet/vornet_bitstream.h"

namespace Vornet_Private {

// Scratch state of one thread. Created zero-filled on the thread's first need
// and released when the thread ends; it lives outside the allocation hooks
// because it may outlast the application's allocator.
struct tlsdat {
    // Replicator data currently offered to a replication interceptor.
    VNet_BitStream* peekStream;
    VNet_BitStream::BitPos peekReadPos;
    void* peekValue;
    bool peekPosSaved;
    // A node's replication set-up is open on this thread.
    bool replicator_building;
    // Target of getStringStatic (2047 characters) and getStringWStatic
    // (1023 wide characters, sized in wchar_t).
    union {
        char narrow[2048];
        wchar_t wide[1024];
    } stringBuffer;
    // Target of the address texts.
    char textBuffer[256];
};

// The calling thread's block, created on first use; null when it cannot be.
tlsdat* getTlsData();
// Whether the calling thread has a block (it never gets one unasked).
bool hasTlsData();

}  // namespace Vornet_Private
