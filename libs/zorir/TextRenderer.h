#pragma once

#include "libs/zorir/Rectangle.h"

#include <cstdint>
#include <string>

namespace Zorir {

namespace HorizontalAlignment {
enum : uint32_t { Left = 0, Centred = 1, Right = 2 };
}

namespace VerticalAlignment {
enum : uint32_t { Top = 0, Centred = 1, Bottom = 2 };
}

// Measures and draws text in one font at one size. Measuring may cache
// glyphs, so none of these is const.
class TextRenderer {
public:
    virtual ~TextRenderer() = default;

    virtual void render(const std::string& text, const Rectangle& rectangle, bool wrap, uint32_t horizontalAlignment,
                        uint32_t verticalAlignment) = 0;
    // Gives back one use; the last one frees the renderer.
    virtual void release() = 0;
    virtual float lineHeight() = 0;
    virtual float textWidth(const std::string& text) = 0;
    // How many leading characters stay short of the width; -1 when the width
    // is not positive or the whole text fits.
    virtual int fittingCharacters(const std::string& text, float width) = 0;
};

}  // namespace Zorir
