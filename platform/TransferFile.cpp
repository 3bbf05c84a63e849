#include "platform/TransferFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

TransferFile::~TransferFile()
{
    close();
}

// Non-blocking, so that a pipe in the file's place cannot stall the open;
// only a regular file is kept open.
bool TransferFile::openRegular(const std::string& path, int flags)
{
    close();
    handle_ = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0644);
    if (handle_ < 0) return false;
    struct stat status {};
    if (::fstat(handle_, &status) != 0 || !S_ISREG(status.st_mode)) {
        close();
        return false;
    }
    return true;
}

bool TransferFile::openForReading(const std::string& path)
{
    return openRegular(path, O_RDONLY);
}

bool TransferFile::openForWriting(const std::string& path, bool refuseLink)
{
    return openRegular(path, O_WRONLY | O_CREAT | O_TRUNC | (refuseLink ? O_NOFOLLOW : 0));
}

void TransferFile::close()
{
    if (handle_ >= 0) ::close(handle_);
    handle_ = -1;
}

bool TransferFile::size(uint64_t* bytes) const
{
    struct stat status {};
    if (handle_ < 0 || ::fstat(handle_, &status) != 0) return false;
    *bytes = static_cast<uint64_t>(status.st_size);
    return true;
}

bool TransferFile::readAt(uint64_t offset, void* buffer, size_t length, size_t* got)
{
    *got = 0;
    if (handle_ < 0) return false;
    char* into = static_cast<char*>(buffer);
    while (*got < length) {
        const ssize_t step = ::pread(handle_, into + *got, length - *got, static_cast<off_t>(offset + *got));
        if (step < 0 && errno == EINTR) continue;
        if (step < 0) return false;
        if (step == 0) break;
        *got += static_cast<size_t>(step);
    }
    return true;
}

bool TransferFile::write(const void* bytes, size_t length)
{
    if (handle_ < 0) return false;
    const char* next = static_cast<const char*>(bytes);
    size_t left = length;
    while (left > 0) {
        const ssize_t step = ::write(handle_, next, left);
        if (step < 0 && errno == EINTR) continue;
        if (step <= 0) return false;
        next += step;
        left -= static_cast<size_t>(step);
    }
    return true;
}

bool TransferFile::sizeOf(const std::string& path, uint64_t* bytes)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return false;
    *bytes = static_cast<uint64_t>(status.st_size);
    return true;
}

bool TransferFile::remove(const std::string& path)
{
    return ::unlink(path.c_str()) == 0;
}

}  // namespace platform
