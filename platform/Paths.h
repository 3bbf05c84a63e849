#pragma once

#include <string>
#include <string_view>

namespace platform {

// Turns a Windows-style folder path ("..\\..\\Content\\Maps\\") into one this
// system can open: every backslash becomes a slash.
std::string nativePath(std::string_view windowsPath);

// The folder prefix converted, the name behind it kept exactly as given
// (names typed by users are never rewritten).
std::string joinPath(std::string_view windowsFolder, std::string_view name);

}  // namespace platform
