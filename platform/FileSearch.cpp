#include "platform/FileSearch.h"

#include "platform/Paths.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace platform {

namespace fs = std::filesystem;

namespace {

bool sameLetter(char a, char b)
{
    return std::tolower(static_cast<unsigned char>(a)) ==
           std::tolower(static_cast<unsigned char>(b));
}

bool matchFrom(const char* pattern, const char* name)
{
    for (; *pattern; ++pattern, ++name) {
        if (*pattern == '*') {
            for (const char* rest = name;; ++rest) {
                if (matchFrom(pattern + 1, rest)) return true;
                if (!*rest) return false;
            }
        }
        if (!*name) return false;
        if (*pattern != '?' && !sameLetter(*pattern, *name)) return false;
    }
    return !*name;
}

}  // namespace

bool matchesFilePattern(const std::string& pattern, const std::string& name)
{
    return matchFrom(pattern.c_str(), name.c_str());
}

bool FileSearch::first(const std::string& pattern)
{
    names_.clear();
    position_ = 0;

    const std::string path = nativePath(pattern);
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const std::string filePattern = slash == std::string::npos ? path : path.substr(slash + 1);

    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        lastError_ = kPathNotFound;
        return false;
    }
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) continue;
        std::string name = it->path().filename().string();
        if (matchesFilePattern(filePattern, name)) names_.push_back(std::move(name));
    }
    std::sort(names_.begin(), names_.end());
    lastError_ = names_.empty() ? kFileNotFound : kSearchOk;
    return !names_.empty();
}

bool FileSearch::next()
{
    if (position_ + 1 >= names_.size()) {
        lastError_ = kNoMoreFiles;
        return false;
    }
    ++position_;
    return true;
}

std::vector<std::string> FileSearch::list(const std::string& pattern)
{
    FileSearch search;
    if (!search.first(pattern)) return {};
    return search.names_;
}

}  // namespace platform
