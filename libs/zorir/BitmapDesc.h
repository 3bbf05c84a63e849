#pragma once

#include "libs/zorir/RenderDesc.h"

#include <cstdint>
#include <string>

namespace Zorir {

class Image;

// A part of an image (pixel rows top..bottom, columns left..right; negative
// bottom or right mean the image's own height or width) stretched over the
// rectangle. No image file is read: a description that names a file shows
// the shared placeholder image, whose texture is made when first drawn.
class BitmapDesc : public RenderDesc {
public:
    enum Mapping : int32_t { Tiled = 0, Stretched = 1 };
    static constexpr const char* mappingNames[] = {"tiled", "stretched"};

    BitmapDesc() = default;
    BitmapDesc(const BitmapDesc&) = delete;
    BitmapDesc& operator=(const BitmapDesc&) = delete;
    ~BitmapDesc() override;

    // Nothing without an image or for an empty one.
    void draw(const Rectangle& rectangle) override;

    template <class Archive>
    void serialize(Archive& archive);

    const std::string& fileName() const { return fileName_; }
    // A name other than the one held gives the image back and takes the
    // placeholder in its place.
    void setFileName(const std::string& fileName);
    Image* image() const { return image_; }

    Mapping mapping = Stretched;
    int32_t top = 0;
    int32_t bottom = -1;
    int32_t left = 0;
    int32_t right = -1;

protected:
    // The image's columns from..to (pixels) over the rectangle, rows top to
    // bottom; the texture coordinates stay a little inside the chosen part.
    void drawColumns(const Rectangle& rectangle, float fromColumn, float toColumn) const;
    float rightColumn() const;

private:
    std::string fileName_;
    Image* image_ = nullptr;
};

}  // namespace Zorir
