#include "libs/zorir/TextDesc.h"

#include "libs/zorir/Renderer.h"
#include "libs/zorir/WindowManager.h"
#include "libs/zorir/core/XMLInputArchive.h"
#include "libs/zorir/core/XMLOutputArchive.h"
#include "libs/zorir/services/glfont/GLTextRenderer.h"

#include <iostream>
#include <set>
#include <utility>

namespace Zorir {

namespace {

constexpr int32_t defaultPixelHeight = 14;

// Many descriptions share a font: a missing one is told once, not once each.
void reportMissingFont(const std::string& fileName, int32_t pixelHeight, const std::exception& error)
{
    static auto* reported = new std::set<std::pair<std::string, int32_t>>;
    if (!reported->emplace(fileName, pixelHeight).second) return;
    std::cout << "Zorir: cannot open the font " << fileName << " at " << pixelHeight
              << " pixels, its texts are not drawn: " << error.what() << std::endl;
}

}  // namespace

TextDesc::TextDesc() : TextDesc(WindowManager::defaultFontFileName(), defaultPixelHeight) {}

TextDesc::TextDesc(const std::string& fontFileName, int32_t pixelHeight)
    : fontFileName_(fontFileName), pixelHeight_(pixelHeight)
{
    try {
        font_ = Font::GLTextRenderer::acquire(fontFileName, static_cast<uint32_t>(pixelHeight));
    } catch (const std::exception& error) {
        reportMissingFont(fontFileName, pixelHeight, error);
    }
}

TextDesc::~TextDesc()
{
    if (font_) font_->release();
}

void TextDesc::setFont(const std::string& fontFileName, int32_t pixelHeight)
{
    // The same font again changes nothing, even when it could not be opened:
    // that was told when it was first asked for.
    if (fontFileName == fontFileName_ && pixelHeight == pixelHeight_) return;
    TextRenderer* newFont = Font::GLTextRenderer::acquire(fontFileName, static_cast<uint32_t>(pixelHeight));
    if (font_) font_->release();
    font_ = newFont;
    fontFileName_ = fontFileName;
    pixelHeight_ = pixelHeight;
}

Vector2 TextDesc::textExtent() const
{
    if (!font_) return {};
    return {font_->textWidth(text), font_->lineHeight()};
}

float TextDesc::textWidth() const
{
    return font_ ? font_->textWidth(text) : 0.0f;
}

void TextDesc::draw(const Rectangle& rectangle)
{
    if (text.empty() || !font_) return;
    setColor(color);
    Rectangle area = rectangle;
    area.expand(-margin);
    area.x += xOffset;
    area.y += yOffset;
    area.round();
    const bool wrap = wordWrap && area.width <= font_->textWidth(text);
    font_->render(text, area, wrap, static_cast<uint32_t>(horizontalAlignment),
                  static_cast<uint32_t>(verticalAlignment));
}

template <class Archive>
void TextDesc::serialize(Archive& archive)
{
    std::string fontFileName = fontFileName_;
    int32_t pixelHeight = pixelHeight_;
    archive.field("fileName", fontFileName);
    archive.field("pixelHeight", pixelHeight);
    archive.field("xOffset", xOffset);
    archive.field("yOffset", yOffset);
    archive.field("margin", margin);
    archive.field("color", color);
    archive.enumeration("horizontalAlignment", horizontalAlignment, horizontalNames);
    archive.enumeration("verticalAlignment", verticalAlignment, verticalNames);
    if constexpr (Archive::reading) setFont(fontFileName, pixelHeight);
}

ZORIR_REGISTER_SERIALIZABLE(TextDesc, "TextDesc")

}  // namespace Zorir
