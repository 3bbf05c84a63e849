#include "libs/zorir/core/AppearanceLoader.h"

#include <iostream>

namespace Zorir::Core {

FileState openAppearanceFile(XMLInputArchive& archive, const std::string& fileName)
{
    if (archive.loadFile(fileName)) return FileState::Loaded;
    if (archive.fileWasMissing()) return FileState::Missing;
    std::cout << "Zorir: the description file " << fileName
              << (archive.pathWasNoFile() ? " is " : " is not well-formed XML: ") << archive.loadError()
              << "; its looks are not read" << std::endl;
    return FileState::Unreadable;
}

void reportBadAppearance(const std::string& fileName, const std::string& elementPath, const std::exception& error)
{
    std::cout << "Zorir: cannot read " << fileName << " at element " << elementPath << ": " << error.what()
              << "; the previous look is kept" << std::endl;
}

}  // namespace Zorir::Core
