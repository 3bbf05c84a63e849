#pragma once

#include <string>

// Why a map name typed by the user cannot be used, or empty when it can: a
// name is placed behind the maps folder as it stands, so it may neither be
// empty nor lead out of that folder.
std::string mapNameProblem(const std::string& name);
