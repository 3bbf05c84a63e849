#include "editor/app/simulation/MapName.h"

#include <cctype>

namespace {

// "C:name" is a name on drive C wherever the maps folder is.
bool namesADrive(const std::string& name)
{
    return name.size() >= 2 && std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':';
}

}  // namespace

std::string mapNameProblem(const std::string& name)
{
    if (name.empty()) return "the map has no name";
    if (name == "." || name == "..") return "\"" + name + "\" is a folder, not a file name";
    if (name.find('/') != std::string::npos || name.find('\\') != std::string::npos)
        return "a map name cannot contain a folder";
    if (name.find('\0') != std::string::npos) return "a map name cannot contain a NUL character";
    if (namesADrive(name)) return "a map name cannot name a drive";
    return "";
}
