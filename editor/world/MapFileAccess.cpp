#include "editor/world/MapFileAccess.h"

#include "platform/AtomicFile.h"

#include <rapidxml_print.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <limits>
#include <system_error>

namespace {

bool isReadableRegularFile(const std::string& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

}  // namespace

std::unique_ptr<char[]> GetFileData(const std::string& path, int32_t& size)
{
    size = 0;
    // Checked before opening: opening a pipe would wait for a writer.
    std::ifstream file;
    if (isReadableRegularFile(path)) file.open(path, std::ios::binary | std::ios::ate);
    if (!file.is_open() || !file) {
        std::printf("GetFileData() function called on an unvalid file : %s\n", path.c_str());
        return nullptr;
    }
    const std::streamoff length = file.tellg();
    // The size is reported as a signed 32-bit count and one byte more is
    // needed for the terminating null.
    if (length < 0 || length >= std::numeric_limits<int32_t>::max()) {
        std::printf("GetFileData() function called on a file too large to read : %s\n", path.c_str());
        return nullptr;
    }
    auto buffer = std::make_unique<char[]>(static_cast<size_t>(length) + 1);  // zero-filled
    file.seekg(0);
    file.read(buffer.get(), length);
    size = static_cast<int32_t>(length);
    return buffer;
}

bool writeXmlFile(XmlDocument& doc, const std::string& path)
{
    std::string text;
    try {
        rapidxml::print(std::back_inserter(text), doc);
    } catch (const rapidxml::parse_error& error) {
        std::cout << "RAPID XML EXCEPTION OCCURRED: " << error.what() << std::endl;
        doc.clear();
        return false;
    }
    doc.clear();
    std::string failure;
    if (!platform::writeFileAtomically(path, text, &failure)) {
        std::cout << "ERROR: could not save the map file " << path << " (" << failure << ")" << std::endl;
        return false;
    }
    return true;
}
