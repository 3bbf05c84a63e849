#pragma once

#include "libs/zorir/TextRenderer.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Zorir::Font {

class TypeFace;

// A TextRenderer over one TypeFace. Renderers are shared: every user of the
// same font file and size gets the same one from acquire and gives it back
// with release; the last release deletes it.
class GLTextRenderer : public TextRenderer {
public:
    static GLTextRenderer* acquire(const std::string& fontFileName, uint32_t pixelHeight);
    // Whether a renderer for the pair is held by anyone.
    static bool isAcquired(const std::string& fontFileName, uint32_t pixelHeight);

    void render(const std::string& text, const Rectangle& rectangle, bool wrap, uint32_t horizontalAlignment,
                uint32_t verticalAlignment) override;
    void release() override;
    float lineHeight() override;
    float textWidth(const std::string& text) override;
    int fittingCharacters(const std::string& text, float width) override;

    // The lines that wrapped drawing puts into a rectangle of the given
    // width. Every line takes at least one character, so this always ends.
    std::vector<std::string> wrappedLines(const std::string& text, float width);

    TypeFace& typeFace() { return *typeFace_; }

private:
    GLTextRenderer(const std::string& fontFileName, uint32_t pixelHeight);
    ~GLTextRenderer() override;

    float horizontalStart(const std::string& text, const Rectangle& rectangle, uint32_t alignment);
    float verticalStart(const Rectangle& rectangle, uint32_t alignment) const;

    std::string fontFileName_;
    uint32_t pixelHeight_;
    std::unique_ptr<TypeFace> typeFace_;
    uint32_t referenceCount_ = 0;
};

}  // namespace Zorir::Font
