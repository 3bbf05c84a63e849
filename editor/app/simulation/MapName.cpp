#include "editor/app/simulation/MapName.h"

std::string mapNameProblem(const std::string& name)
{
    if (name.empty()) return "the map has no name";
    if (name.find('/') != std::string::npos || name.find('\\') != std::string::npos)
        return "a map name cannot contain a folder";
    if (name.find("..") != std::string::npos) return "a map name cannot contain \"..\"";
    return "";
}
