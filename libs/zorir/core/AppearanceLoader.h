#pragma once

#include "libs/zorir/core/XMLInputArchive.h"
#include "libs/zorir/core/XMLOutputArchive.h"

#include <exception>
#include <memory>
#include <string>

namespace Zorir::Core {

// A copy of a description made by writing it out and reading it back, so
// that every field the files know is carried over, cleared parts included.
template <class T>
std::unique_ptr<T> cloneDescription(T& original)
{
    XMLOutputArchive out(XMLOutputArchive::NullPointers::Written);
    out.write("copy", original);
    XMLInputArchive in;
    in.parse(out.text());
    auto copy = std::make_unique<T>();
    in.read("copy", *copy);
    return copy;
}

enum class FileState { Loaded, Missing, Unreadable };
// Opens an appearance file. A missing file is silent; one that is malformed,
// or is a folder rather than a file, is reported on standard output.
FileState openAppearanceFile(XMLInputArchive& archive, const std::string& fileName);
// Tells on standard output why a look could not be read and where.
void reportBadAppearance(const std::string& fileName, const std::string& elementPath, const std::exception& error);

// What a widget's loadAppearance does with its own description: creates it
// with its defaults when there is none, then reads the named top-level element
// of the file over it. A missing file or element leaves the description as it
// is. A path that cannot be read (a folder, a file not well-formed, an unknown
// class or enumeration name, a font that cannot be opened, ...) is reported
// and changes nothing, so the widget keeps the look it had, or its defaults.
// Either way the widget has a look of its own afterwards, as it asked for.
// Returns whether the look was read.
template <class T>
bool loadAppearance(std::unique_ptr<T>& description, const std::string& fileName, const std::string& elementName)
{
    if (!description) description = std::make_unique<T>();
    XMLInputArchive archive;
    if (openAppearanceFile(archive, fileName) != FileState::Loaded) return false;
    try {
        // Read into a copy, so that a failure half-way leaves the look whole.
        std::unique_ptr<T> candidate = cloneDescription(*description);
        if (!archive.read(elementName, *candidate)) return false;
        description = std::move(candidate);
        return true;
    } catch (const std::exception& error) {
        reportBadAppearance(fileName, archive.currentPath(), error);
        return false;
    }
}

}  // namespace Zorir::Core
