#pragma once

#include "editor/world/MapFileValues.h"

#include <cstdint>
#include <memory>
#include <string>

// Reads a whole regular file into a new buffer that always ends with a null
// byte; size is the file's length. Null, with a message on standard output,
// when the path is no readable regular file or too large to hold.
std::unique_ptr<char[]> GetFileData(const std::string& path, int32_t& size);

// Prints the document and puts the text in place of the file at path; an old
// file survives any failure untouched. The document is cleared either way.
// Returns whether the file was written; a failure is reported on standard
// output.
bool writeXmlFile(XmlDocument& doc, const std::string& path);
