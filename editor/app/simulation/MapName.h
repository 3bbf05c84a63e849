#pragma once

#include <string>

// Why a map name typed by the user cannot be used, or empty when it can: a
// name is placed behind the maps folder as it stands, so it must name a file
// and may not lead out of that folder; any other name ("level..2.xml") is
// the user's to choose.
std::string mapNameProblem(const std::string& name);
