#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Error codes of a file search, with the values Windows reports for them.
enum FileSearchError : uint32_t {
    kSearchOk = 0,
    kFileNotFound = 2,   // the folder exists but nothing matches
    kPathNotFound = 3,   // the folder does not exist
    kNoMoreFiles = 18,   // the listing has been read to its end
};

// A directory listing in the manner of a first/next file search: one pattern
// ("folder\\*.ext", backslashes allowed) at a time, regular files only,
// matched case-insensitively, names sorted byte-wise so that every run sees
// the same order.
class FileSearch {
public:
    // Starts the search; false when nothing can be listed (see lastError()).
    // On success name() is the first match.
    bool first(const std::string& pattern);
    // Moves to the next match; false at the end, with lastError() == kNoMoreFiles.
    bool next();

    const std::string& name() const { return names_[position_]; }
    uint32_t lastError() const { return lastError_; }

    // Every name matching a pattern, or an empty list.
    static std::vector<std::string> list(const std::string& pattern);

private:
    std::vector<std::string> names_;
    size_t position_ = 0;
    uint32_t lastError_ = kSearchOk;
};

// Case-insensitive wildcard match of a file name against '*' and '?'.
bool matchesFilePattern(const std::string& pattern, const std::string& name);

}  // namespace platform
