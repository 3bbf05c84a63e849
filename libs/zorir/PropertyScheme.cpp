#include "libs/zorir/PropertyScheme.h"

#include "libs/zorir/core/AppearanceLoader.h"
#include "libs/zorir/core/XMLInputArchive.h"

namespace Zorir {

namespace {

const char* const schemeElement = "Scheme";

}  // namespace

PropertyScheme::PropertyScheme() = default;
PropertyScheme::~PropertyScheme() = default;

bool PropertyScheme::load(const std::string& fileName)
{
    Core::XMLInputArchive archive;
    if (Core::openAppearanceFile(archive, fileName) != Core::FileState::Loaded) return false;
    try {
        // A trial read first, so that a file failing half-way leaves every
        // look of the scheme as it was.
        PropertyScheme trial;
        if (!archive.read(schemeElement, trial)) return false;
    } catch (const std::exception& error) {
        Core::reportBadAppearance(fileName, archive.currentPath(), error);
        return false;
    }
    archive.read(schemeElement, *this);
    return true;
}

}  // namespace Zorir
