#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace Zorir::Font {

// One font file at one size: the FreeType face, its glyph cache and the
// texture pages that hold the glyphs' pixels. Nothing here touches OpenGL
// until the first string is drawn: glyphs are rasterised into memory and the
// pages become textures at their first use.
class TypeFace {
public:
    // Where a cached glyph sits in its page and how it moves the pen (pixels).
    // A glyph FreeType could not render is cached empty: it draws nothing.
    struct CacheEntry {
        std::size_t textureIndex_ = 0;
        float s0_ = 0.0f, t0_ = 0.0f, s1_ = 0.0f, t1_ = 0.0f;
        uint32_t width_ = 0, height_ = 0;
        int32_t advanceX_ = 0, advanceY_ = 0;
        int32_t leftBearing_ = 0, topOffset_ = 0;
    };

    struct PageSize {
        uint32_t width = 0;
        uint32_t height = 0;
    };

    // The size is in points at the given resolution (dots per inch). Refused
    // (as a failed assertion) when the file is no scalable SFNT font or when
    // the size is 0 or so large that one glyph cell would not fit a page.
    TypeFace(const std::string& aFaceName, uint32_t aPointSize, uint32_t aResolution);
    TypeFace(const TypeFace&) = delete;
    TypeFace& operator=(const TypeFace&) = delete;
    virtual ~TypeFace();

    int32_t ascender() const;
    int32_t descender() const;
    int32_t lineHeight() const;
    int32_t textWidth(const std::string& text);
    int fittingCharacters(const std::string& text, float width);

    // Draws the text with its first baseline point at (x, y), in the current
    // colour.
    void drawText(const std::string& text, float x, float y);

    uint32_t glyphIndex(char character) const;
    // The cache entry of a glyph index, loading the glyph when needed.
    const CacheEntry& glyph(uint32_t index);
    std::size_t pageCount() const;
    PageSize pageSize(std::size_t page) const;

private:
    struct Data;

    void loadGlyph(uint32_t index);
    void makeRoom();
    void newPage();
    void bindPage(std::size_t page, uint32_t& boundTexture);
    int32_t kerning(uint32_t previous, uint32_t index) const;

    std::unique_ptr<Data> data_;
};

}  // namespace Zorir::Font
