#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace platform {

namespace {

bool failWith(std::string* error, const std::string& what)
{
    if (error) *error = what + ": " + std::strerror(errno);
    return false;
}

bool writeAll(int handle, std::string_view contents)
{
    size_t written = 0;
    while (written < contents.size()) {
        const ssize_t step = ::write(handle, contents.data() + written, contents.size() - written);
        if (step < 0 && errno == EINTR) continue;
        if (step <= 0) return false;
        written += static_cast<size_t>(step);
    }
    return true;
}

}  // namespace

bool writeFileAtomically(const std::string& path, std::string_view contents, std::string* error)
{
    std::vector<char> temporary(path.begin(), path.end());
    const char suffix[] = ".saving-XXXXXX";
    temporary.insert(temporary.end(), suffix, suffix + sizeof suffix);
    const int handle = mkstemp(temporary.data());
    if (handle < 0) return failWith(error, "cannot create a file beside " + path);

    const bool written = writeAll(handle, contents) && fsync(handle) == 0;
    const int writeErrno = errno;
    const bool closed = ::close(handle) == 0;
    if (!written || !closed) {
        ::unlink(temporary.data());
        errno = written ? errno : writeErrno;
        return failWith(error, "cannot write " + path);
    }
    // New files get the usual permissions rather than mkstemp's private ones.
    const mode_t mask = umask(0);
    umask(mask);
    chmod(temporary.data(), 0666 & ~mask);
    if (std::rename(temporary.data(), path.c_str()) != 0) {
        const int renameErrno = errno;
        ::unlink(temporary.data());
        errno = renameErrno;
        return failWith(error, "cannot replace " + path);
    }
    return true;
}

}  // namespace platform
