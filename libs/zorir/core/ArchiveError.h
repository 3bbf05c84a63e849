#pragma once

#include <stdexcept>
#include <string>

namespace Zorir::Core {

// A description file that cannot be read as asked: an enumeration name that
// matches no value, a missing or unsuitable class, a serializer that is not
// registered. The text is the bare reason; the archive knows where it stood.
class ArchiveError : public std::runtime_error {
public:
    explicit ArchiveError(const std::string& reason) : std::runtime_error(reason) {}
};

}  // namespace Zorir::Core
