#include "libs/zorir/services/glfont/TypeFace.h"

#include "libs/zorir/Renderer.h"
#include "libs/zorir/core/StandardException.h"
#include "libs/zorir/services/glfont/FreeType.h"

#include FT_GLYPH_H

#include <GL/gl.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

namespace Zorir::Font {

namespace {

// Pages are never larger than this, so a few of them hold a whole face.
constexpr int32_t pageSideLimit = 512;
// Keeps the 26.6 arithmetic of the character size far from overflow.
constexpr uint32_t largestPointSize = 0xFFFF;

int32_t nextPowerOfTwo(int64_t value)
{
    int32_t power = 1;
    while (power < value && power < pageSideLimit) power *= 2;
    return power;
}

// Pixels of a 26.6 length scaled from font units, rounded up.
int32_t scaledPixels(FT_Pos fontUnits, FT_Fixed scale)
{
    return static_cast<int32_t>((FT_MulFix(fontUnits, scale) + 63) / 64);
}

}  // namespace

struct TypeFace::Data {
    struct Page {
        uint32_t texture_ = 0;  // 0 until the page is first drawn
        int32_t width_ = 0;
        int32_t height_ = 0;
        std::vector<uint8_t> texels_;
        bool changed_ = false;  // texels not yet in the texture
    };

    FT_Face face_ = nullptr;
    bool hasKerning_ = false;
    std::map<uint32_t, CacheEntry> characterCache_;
    std::vector<Page> textures_;
    int32_t cursorX_ = 1;
    int32_t cursorY_ = 1;
    // Room one glyph may take, from the face's bounding box at this size.
    int32_t cellWidth_ = 0;
    int32_t cellHeight_ = 0;
};

TypeFace::TypeFace(const std::string& aFaceName, uint32_t aPointSize, uint32_t aResolution)
    : data_(std::make_unique<Data>())
{
    ZORIR_ASSERT(aPointSize > 0 && aPointSize <= largestPointSize);
    FreeType::start();
    try {
        ZORIR_ASSERT(FT_New_Face(FreeType::library(), aFaceName.c_str(), 0, &data_->face_) == 0);
        ZORIR_ASSERT(FT_IS_SCALABLE(data_->face_));
        ZORIR_ASSERT(FT_IS_SFNT(data_->face_));
        if (data_->face_->charmap == nullptr && data_->face_->num_charmaps > 0) {
            FT_Set_Charmap(data_->face_, data_->face_->charmaps[0]);
        }
        ZORIR_ASSERT(FT_Set_Char_Size(data_->face_, 0L, static_cast<FT_F26Dot6>(aPointSize << 6), aResolution,
                                      aResolution) == 0);
        const FT_Face face = data_->face_;
        data_->hasKerning_ = FT_HAS_KERNING(face);
        // One pixel more than the box: a glyph's bitmap may straddle pixel edges.
        data_->cellWidth_ = scaledPixels(face->bbox.xMax - face->bbox.xMin, face->size->metrics.x_scale) + 1;
        data_->cellHeight_ = scaledPixels(face->bbox.yMax - face->bbox.yMin, face->size->metrics.y_scale) + 1;
        // The page arithmetic needs a cell of at least a pixel that fits a
        // page with its one-texel border.
        const bool cellFitsPage = data_->cellWidth_ >= 1 && data_->cellHeight_ >= 1 &&
                                  data_->cellWidth_ <= pageSideLimit - 2 && data_->cellHeight_ <= pageSideLimit - 2;
        ZORIR_ASSERT(cellFitsPage);
    } catch (...) {
        if (data_->face_) FT_Done_Face(data_->face_);
        FreeType::stop();
        throw;
    }
}

TypeFace::~TypeFace()
{
    for (const Data::Page& page : data_->textures_) {
        if (page.texture_ != 0) glDeleteTextures(1, &page.texture_);
    }
    data_->characterCache_.clear();
    FT_Done_Face(data_->face_);
    FreeType::stop();
}

int32_t TypeFace::descender() const
{
    return static_cast<int32_t>(-data_->face_->size->metrics.descender / 64);
}

int32_t TypeFace::ascender() const
{
    return static_cast<int32_t>(data_->face_->size->metrics.y_ppem) - descender();
}

int32_t TypeFace::lineHeight() const
{
    return ascender() + descender();
}

int32_t TypeFace::textWidth(const std::string& text)
{
    int32_t pen = 0;
    uint32_t previous = 0;
    for (const char character : text) {
        const uint32_t index = glyphIndex(character);
        pen += kerning(previous, index) + glyph(index).advanceX_;
        previous = index;
    }
    return pen;
}

int TypeFace::fittingCharacters(const std::string& text, float width)
{
    if (width <= 0.0f) return -1;
    int32_t pen = 0;
    uint32_t previous = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const uint32_t index = glyphIndex(text[i]);
        const int32_t before = pen;
        pen += kerning(previous, index) + glyph(index).advanceX_;
        previous = index;
        if (static_cast<float>(before) < width && static_cast<float>(pen) >= width) return static_cast<int>(i);
    }
    return -1;
}

void TypeFace::drawText(const std::string& text, float x, float y)
{
    // Load every glyph first: loading may add a page.
    for (const char character : text) glyph(glyphIndex(character));

    glPushAttrib(GL_LINE_BIT | GL_PIXEL_MODE_BIT | GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_HINT_BIT);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glPushMatrix();
    glTranslatef(x, y, 0.0f);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    uint32_t boundTexture = static_cast<uint32_t>(bound);
    int32_t penX = 0, penY = 0;
    uint32_t previous = 0;
    for (const char character : text) {
        const uint32_t index = glyphIndex(character);
        penX += kerning(previous, index);
        const CacheEntry& entry = glyph(index);
        if (entry.width_ != 0 && entry.height_ != 0) {
            bindPage(entry.textureIndex_, boundTexture);
            const Vector2 topLeft(static_cast<float>(penX + entry.leftBearing_),
                                  static_cast<float>(penY + entry.topOffset_));
            const Vector2 size(static_cast<float>(entry.width_), static_cast<float>(entry.height_));
            drawTexturedQuad(Rectangle(topLeft, topLeft + size), entry.s0_, entry.t0_, entry.s1_, entry.t1_);
        }
        penX += entry.advanceX_;
        penY += entry.advanceY_;
        previous = index;
    }
    glPopMatrix();
    glPopAttrib();
}

uint32_t TypeFace::glyphIndex(char character) const
{
    // Bytes above 127 are taken as Latin-1 code points.
    return FT_Get_Char_Index(data_->face_, static_cast<unsigned char>(character));
}

const TypeFace::CacheEntry& TypeFace::glyph(uint32_t index)
{
    auto cached = data_->characterCache_.find(index);
    if (cached == data_->characterCache_.end()) {
        loadGlyph(index);
        cached = data_->characterCache_.find(index);
        ZORIR_ASSERT(cached != data_->characterCache_.end());
    }
    return cached->second;
}

std::size_t TypeFace::pageCount() const
{
    return data_->textures_.size();
}

TypeFace::PageSize TypeFace::pageSize(std::size_t page) const
{
    ZORIR_ASSERT(page < data_->textures_.size());
    const Data::Page& found = data_->textures_[page];
    return {static_cast<uint32_t>(found.width_), static_cast<uint32_t>(found.height_)};
}

void TypeFace::loadGlyph(uint32_t index)
{
    // Whatever fails below leaves this empty entry: the glyph draws nothing.
    CacheEntry& entry = data_->characterCache_[index];
    if (FT_Load_Glyph(data_->face_, index, FT_LOAD_NO_HINTING) != 0) return;
    FT_Glyph glyph = nullptr;
    if (FT_Get_Glyph(data_->face_->glyph, &glyph) != 0) return;
    entry.advanceX_ = static_cast<int32_t>(glyph->advance.x >> 16);
    entry.advanceY_ = static_cast<int32_t>(glyph->advance.y >> 16);
    if (FT_Glyph_To_Bitmap(&glyph, FT_RENDER_MODE_NORMAL, nullptr, 1) != 0 ||
        glyph->format != FT_GLYPH_FORMAT_BITMAP) {
        FT_Done_Glyph(glyph);
        return;
    }
    const auto* bitmapGlyph = reinterpret_cast<FT_BitmapGlyph>(glyph);
    const FT_Bitmap& bitmap = bitmapGlyph->bitmap;
    const auto width = static_cast<int32_t>(bitmap.width);
    const auto rows = static_cast<int32_t>(bitmap.rows);
    // Only 8-bit coverage fits the pages, and only within one cell.
    const bool fits = bitmap.pixel_mode == FT_PIXEL_MODE_GRAY && width <= data_->cellWidth_ &&
                      rows <= data_->cellHeight_;
    if (fits) {
        makeRoom();
        Data::Page& page = data_->textures_.back();
        for (int32_t row = 0; row < rows; ++row) {
            const int32_t sourceRow = bitmap.pitch >= 0 ? row : rows - 1 - row;
            const uint8_t* source = bitmap.buffer + static_cast<std::ptrdiff_t>(sourceRow) * std::abs(bitmap.pitch);
            uint8_t* target = page.texels_.data() + (data_->cursorY_ + row) * page.width_ + data_->cursorX_;
            std::memcpy(target, source, static_cast<std::size_t>(width));
        }
        page.changed_ = page.changed_ || (width > 0 && rows > 0);
        const float pageWidth = static_cast<float>(page.width_), pageHeight = static_cast<float>(page.height_);
        entry.textureIndex_ = data_->textures_.size() - 1;
        entry.s0_ = static_cast<float>(data_->cursorX_) / pageWidth;
        entry.t0_ = static_cast<float>(data_->cursorY_) / pageHeight;
        entry.s1_ = static_cast<float>(data_->cursorX_ + width) / pageWidth;
        entry.t1_ = static_cast<float>(data_->cursorY_ + rows) / pageHeight;
        entry.width_ = static_cast<uint32_t>(width);
        entry.height_ = static_cast<uint32_t>(rows);
        entry.leftBearing_ = bitmapGlyph->left;
        entry.topOffset_ = -bitmapGlyph->top;
        data_->cursorX_ += width + 1;
    }
    FT_Done_Glyph(glyph);
}

void TypeFace::makeRoom()
{
    if (data_->textures_.empty()) {
        newPage();
        return;
    }
    const Data::Page& page = data_->textures_.back();
    if (data_->cursorX_ <= page.width_ - data_->cellWidth_ - 1) return;
    data_->cursorX_ = 1;
    data_->cursorY_ += data_->cellHeight_;
    if (data_->cursorY_ <= page.height_ - data_->cellHeight_ - 1) return;
    newPage();
}

void TypeFace::newPage()
{
    // Sized for the glyphs not cached yet, within the side limit.
    const int64_t remaining = std::max<int64_t>(
        1, static_cast<int64_t>(data_->face_->num_glyphs) - static_cast<int64_t>(data_->characterCache_.size()));
    const int32_t cellWidth = data_->cellWidth_, cellHeight = data_->cellHeight_;
    Data::Page page;
    page.width_ = nextPowerOfTwo((cellWidth + 1) * remaining + 1);
    const int64_t perRow = (page.width_ - 2) / cellWidth;
    page.height_ = nextPowerOfTwo(std::max<int64_t>((remaining / perRow + 1) * cellHeight, cellHeight + 2));
    page.texels_.assign(static_cast<std::size_t>(page.width_) * static_cast<std::size_t>(page.height_), 0);
    data_->textures_.push_back(std::move(page));
    data_->cursorX_ = 1;
    data_->cursorY_ = 1;
}

void TypeFace::bindPage(std::size_t pageIndex, uint32_t& boundTexture)
{
    ZORIR_ASSERT(pageIndex < data_->textures_.size());
    Data::Page& page = data_->textures_[pageIndex];
    if (page.texture_ == 0) {
        GLuint name = 0;
        glGenTextures(1, &name);
        page.texture_ = name;
        glBindTexture(GL_TEXTURE_2D, name);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
        page.changed_ = true;
    } else if (page.texture_ != boundTexture || page.changed_) {
        glBindTexture(GL_TEXTURE_2D, page.texture_);
    }
    boundTexture = page.texture_;
    if (!page.changed_) return;
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, page.width_, page.height_, 0, GL_ALPHA, GL_UNSIGNED_BYTE,
                 page.texels_.data());
    glPopClientAttrib();
    page.changed_ = false;
}

int32_t TypeFace::kerning(uint32_t previous, uint32_t index) const
{
    if (!data_->hasKerning_ || previous == 0 || index == 0) return 0;
    FT_Vector delta{};
    if (FT_Get_Kerning(data_->face_, previous, index, FT_KERNING_DEFAULT, &delta) != 0) return 0;
    return static_cast<int32_t>(delta.x / 64);
}

}  // namespace Zorir::Font
