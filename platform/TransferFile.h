#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// A regular file moved in pieces over the network: read at any offset by the
// sending side, written front to back by the receiving side. Closed by its
// destructor.
class TransferFile {
public:
    TransferFile() = default;
    ~TransferFile();
    TransferFile(const TransferFile&) = delete;
    TransferFile& operator=(const TransferFile&) = delete;

    // Opens an existing regular file for reading; false for anything else
    // (a folder, a pipe, a device).
    bool openForReading(const std::string& path);
    // Creates the file, or empties an existing one, for writing; false when
    // the place holds anything but a regular file. With
    // refuseLink a symbolic link in the final place is refused instead of
    // followed, so a name from elsewhere cannot reach past its folder.
    bool openForWriting(const std::string& path, bool refuseLink);
    bool isOpen() const { return handle_ >= 0; }
    void close();

    // The open file's size in bytes.
    bool size(uint64_t* bytes) const;
    // Reads length bytes at the offset, fewer only where the file ends;
    // *got tells how many came. False on a read error.
    bool readAt(uint64_t offset, void* buffer, size_t length, size_t* got);
    // Appends all bytes; false when not all of them could be written.
    bool write(const void* bytes, size_t length);

    // The size of the file at the path, without opening it.
    static bool sizeOf(const std::string& path, uint64_t* bytes);
    // Deletes the file at the path; false when there was none to delete.
    static bool remove(const std::string& path);

private:
    bool openRegular(const std::string& path, int flags);

    int handle_ = -1;
};

}  // namespace platform
