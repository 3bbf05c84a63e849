#include "libs/zorir/services/glfont/FreeType.h"

#include "libs/zorir/core/StandardException.h"

namespace Zorir::Font {

namespace {

FT_Library handle = nullptr;
unsigned uses = 0;

}  // namespace

FT_Library FreeType::library()
{
    return handle;
}

void FreeType::start()
{
    if (uses == 0 && FT_Init_FreeType(&handle) != 0) {
        handle = nullptr;
        throw Core::StandardException("Failed to initialize freetype library.", __FILE__, __LINE__);
    }
    ++uses;
}

void FreeType::stop()
{
    if (uses == 0) return;
    if (--uses != 0) return;
    const FT_Error error = FT_Done_FreeType(handle);
    handle = nullptr;
    if (error != 0) throw Core::StandardException("Could not terminate the FreeType library.", __FILE__, __LINE__);
}

unsigned FreeType::useCount()
{
    return uses;
}

}  // namespace Zorir::Font
