#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

namespace Zorir::Font {

// The process's one FreeType library, started by the first face that needs
// it and stopped when the last one is gone.
class FreeType {
public:
    static FT_Library library();
    static void start();
    static void stop();
    static unsigned useCount();
};

}  // namespace Zorir::Font
