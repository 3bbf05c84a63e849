#include "libs/zorir/BitmapDesc.h"

#include "libs/zorir/Image.h"
#include "libs/zorir/NilImage.h"
#include "libs/zorir/Renderer.h"
#include "libs/zorir/core/XMLInputArchive.h"
#include "libs/zorir/core/XMLOutputArchive.h"

namespace Zorir {

namespace {

// Keeps the samples inside the chosen part of the image.
constexpr float inset = 0.001f;

}  // namespace

BitmapDesc::~BitmapDesc()
{
    if (image_) image_->release();
}

void BitmapDesc::setFileName(const std::string& fileName)
{
    if (fileName == fileName_) return;
    fileName_ = fileName;
    if (image_) image_->release();
    image_ = &NilImage::instance();
}

float BitmapDesc::rightColumn() const
{
    return right < 0 ? static_cast<float>(image_->size().width) : static_cast<float>(right);
}

void BitmapDesc::drawColumns(const Rectangle& rectangle, float fromColumn, float toColumn) const
{
    const Image::Size size = image_->size();
    const float w = static_cast<float>(size.width), h = static_cast<float>(size.height);
    const float bottomRow = bottom < 0 ? h : static_cast<float>(bottom);
    const float s0 = fromColumn / w + inset;
    const float s1 = toColumn / w - inset;
    const float t0 = 1.0f - (bottomRow / h - inset);
    const float t1 = 1.0f - (static_cast<float>(top) / h + inset);
    drawImage(*image_, rectangle, s0, t0, s1, t1);
}

void BitmapDesc::draw(const Rectangle& rectangle)
{
    if (!image_ || image_->size().width == 0 || image_->size().height == 0) return;
    drawColumns(rectangle, static_cast<float>(left), rightColumn());
}

template <class Archive>
void BitmapDesc::serialize(Archive& archive)
{
    std::string fileName = fileName_;
    archive.field("fileName", fileName);
    if constexpr (Archive::reading) setFileName(fileName);
    archive.enumeration("mapping", mapping, mappingNames);
    archive.field("top", top);
    archive.field("bottom", bottom);
    archive.field("left", left);
    archive.field("right", right);
}

ZORIR_REGISTER_SERIALIZABLE(BitmapDesc, "BitmapDesc")

}  // namespace Zorir
