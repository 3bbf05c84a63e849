#include "libs/zorir/services/glfont/GLTextRenderer.h"

#include "libs/zorir/core/StandardException.h"
#include "libs/zorir/services/glfont/TypeFace.h"

#include <cmath>
#include <map>
#include <utility>

namespace Zorir::Font {

namespace {

constexpr uint32_t resolution = 100;
// Wrapped lines keep this far from the rectangle's sides in all.
constexpr float wrapMargin = 4.0f;

using FontKey = std::pair<std::string, uint32_t>;

// Never destroyed, so a renderer released while the process ends still
// finds its map.
std::map<FontKey, GLTextRenderer*>& fontMap()
{
    static auto* fonts = new std::map<FontKey, GLTextRenderer*>;
    return *fonts;
}

void trimSpaces(std::string& line)
{
    const std::size_t first = line.find_first_not_of(' ');
    if (first == std::string::npos) {
        line.clear();
        return;
    }
    line = line.substr(first, line.find_last_not_of(' ') - first + 1);
}

}  // namespace

GLTextRenderer* GLTextRenderer::acquire(const std::string& fontFileName, uint32_t pixelHeight)
{
    const FontKey key(fontFileName, pixelHeight);
    auto fontIterator = fontMap().find(key);
    if (fontIterator == fontMap().end()) {
        fontMap().emplace(key, new GLTextRenderer(fontFileName, pixelHeight));
        fontIterator = fontMap().find(key);
        ZORIR_ASSERT(fontIterator != fontMap().end());
    }
    ++fontIterator->second->referenceCount_;
    return fontIterator->second;
}

bool GLTextRenderer::isAcquired(const std::string& fontFileName, uint32_t pixelHeight)
{
    return fontMap().count(FontKey(fontFileName, pixelHeight)) != 0;
}

GLTextRenderer::GLTextRenderer(const std::string& fontFileName, uint32_t pixelHeight)
    : fontFileName_(fontFileName),
      pixelHeight_(pixelHeight),
      typeFace_(std::make_unique<TypeFace>(fontFileName, pixelHeight, resolution))
{
}

GLTextRenderer::~GLTextRenderer()
{
    fontMap().erase(FontKey(fontFileName_, pixelHeight_));
}

void GLTextRenderer::release()
{
    ZORIR_ASSERT(referenceCount_ != 0);
    if (--referenceCount_ == 0) delete this;
}

float GLTextRenderer::lineHeight()
{
    return static_cast<float>(typeFace_->lineHeight());
}

float GLTextRenderer::textWidth(const std::string& text)
{
    return static_cast<float>(typeFace_->textWidth(text));
}

int GLTextRenderer::fittingCharacters(const std::string& text, float width)
{
    return typeFace_->fittingCharacters(text, width);
}

void GLTextRenderer::render(const std::string& text, const Rectangle& rectangle, bool wrap,
                            uint32_t horizontalAlignment, uint32_t verticalAlignment)
{
    if (!typeFace_) return;
    if (!wrap) {
        typeFace_->drawText(text, horizontalStart(text, rectangle, horizontalAlignment),
                            verticalStart(rectangle, verticalAlignment));
        return;
    }
    float baseline = verticalStart(rectangle, VerticalAlignment::Top);
    for (const std::string& line : wrappedLines(text, rectangle.width)) {
        typeFace_->drawText(line, horizontalStart(line, rectangle, horizontalAlignment), baseline);
        baseline += lineHeight();
    }
}

std::vector<std::string> GLTextRenderer::wrappedLines(const std::string& text, float width)
{
    const float lineWidth = width - wrapMargin;
    std::vector<std::string> lines;
    std::string remaining = text;
    while (true) {
        // Spaces at a line's start are dropped before measuring, so a line
        // never ends up cut back to nothing.
        remaining.erase(0, std::min(remaining.size(), remaining.find_first_not_of(' ')));
        if (remaining.empty()) break;
        const int fitting = fittingCharacters(remaining, lineWidth);
        // A character wider than the line still goes on a line of its own.
        std::size_t count = fitting < 0 ? remaining.size() : std::max<std::size_t>(1, static_cast<std::size_t>(fitting));
        std::string line = remaining.substr(0, count);
        if (count < remaining.size() && remaining[count] != ' ' && line.back() != ' ') {
            const std::size_t lastSpace = line.rfind(' ');
            if (lastSpace != std::string::npos) {
                count = lastSpace;
                line.resize(lastSpace);
            }
        }
        trimSpaces(line);
        lines.push_back(line);
        remaining.erase(0, count);
    }
    return lines;
}

float GLTextRenderer::horizontalStart(const std::string& text, const Rectangle& rectangle, uint32_t alignment)
{
    switch (alignment) {
    case HorizontalAlignment::Centred:
        return std::floor(0.5f * rectangle.width + (rectangle.x - 0.5f * textWidth(text)));
    case HorizontalAlignment::Right:
        return rectangle.x + rectangle.width - textWidth(text);
    default:
        return rectangle.x;
    }
}

float GLTextRenderer::verticalStart(const Rectangle& rectangle, uint32_t alignment) const
{
    const auto ascender = static_cast<float>(typeFace_->ascender());
    switch (alignment) {
    case VerticalAlignment::Centred:
        return std::floor((rectangle.height - static_cast<float>(typeFace_->lineHeight())) * 0.5f) + rectangle.y +
               ascender;
    case VerticalAlignment::Bottom:
        return rectangle.y + rectangle.height - static_cast<float>(typeFace_->descender());
    default:
        return rectangle.y + ascender;
    }
}

}  // namespace Zorir::Font
