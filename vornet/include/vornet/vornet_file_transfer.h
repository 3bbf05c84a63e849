#pragma once

#include <cstdint>

// What VNet_Node::getFileInfo tells about one file transfer. A transfer
// that does not exist reads as transfer id 0.
struct VNet_FileTransInfo {
    uint32_t transferId;
    // The file's size in bytes, as offered.
    uint32_t size;
    uint32_t transferred;
    // The local file: the sender's path, or where the receiver writes.
    const char* path;
    // Bytes moved in the last completed window of a second; 0 until one
    // completed.
    uint32_t rate;
    // The receiver accepted and the file is moving.
    bool running;
    // This side sends the file.
    bool outgoing;
};
