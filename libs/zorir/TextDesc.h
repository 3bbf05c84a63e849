#pragma once

#include "libs/zorir/Color.h"
#include "libs/zorir/RenderDesc.h"
#include "libs/zorir/Vector2.h"

#include <cstdint>
#include <string>

namespace Zorir {

class TextRenderer;

// A line (or, word-wrapped, a paragraph) of text in one font and size,
// placed in its rectangle by margin, offsets and alignment. The owning widget
// sets the text and the wrapping before each draw. Fonts are shared: the
// description holds one use of the renderer for its file and height.
class TextDesc : public RenderDesc {
public:
    enum HorizontalAlignment : int32_t { Left = 0, HCenter = 1, Right = 2 };
    enum VerticalAlignment : int32_t { Top = 0, VCenter = 1, Bottom = 2 };
    static constexpr const char* horizontalNames[] = {"left", "hCenter", "right"};
    static constexpr const char* verticalNames[] = {"top", "vCenter", "bottom"};

    // The window manager's default font at 14 pixels.
    TextDesc();
    // A font that cannot be opened leaves the description without one: it
    // then draws nothing and measures nothing (and says so once per font).
    TextDesc(const std::string& fontFileName, int32_t pixelHeight);
    TextDesc(const TextDesc&) = delete;
    TextDesc& operator=(const TextDesc&) = delete;
    ~TextDesc() override;

    // Nothing at all for an empty text.
    void draw(const Rectangle& rectangle) override;

    template <class Archive>
    void serialize(Archive& archive);

    const std::string& fontFileName() const { return fontFileName_; }
    int32_t pixelHeight() const { return pixelHeight_; }
    // Acquires the new font before giving back the old one; when the new one
    // cannot be opened, this throws and the description keeps its old font.
    void setFont(const std::string& fontFileName, int32_t pixelHeight);
    // Null when the font could not be opened.
    TextRenderer* font() const { return font_; }

    // The text's width and the font's line height; (0, 0) without a font.
    Vector2 textExtent() const;
    float textWidth() const;

    std::string text;
    bool wordWrap = false;
    float xOffset = 0.0f;
    float yOffset = 0.0f;
    float margin = 3.0f;
    Color color{1.0f, 1.0f, 1.0f, 0.75f};
    HorizontalAlignment horizontalAlignment = HCenter;
    VerticalAlignment verticalAlignment = VCenter;

private:
    std::string fontFileName_;
    int32_t pixelHeight_;
    TextRenderer* font_ = nullptr;
};

}  // namespace Zorir
