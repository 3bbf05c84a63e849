#pragma once

#include <string>
#include <string_view>

namespace platform {

// Replaces the file at path with contents so that a failure at any step
// (a missing or read-only folder, a full disk) leaves the old file exactly as
// it was: the text goes to a temporary file in the same folder, is flushed
// to disk and only then renamed over the old name. On failure error says
// what went wrong.
bool writeFileAtomically(const std::string& path, std::string_view contents, std::string* error);

}  // namespace platform
