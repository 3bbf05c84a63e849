#include "libs/zorir/Bitmap1x3Desc.h"

#include "libs/zorir/Image.h"
#include "libs/zorir/core/XMLInputArchive.h"
#include "libs/zorir/core/XMLOutputArchive.h"

namespace Zorir {

void Bitmap1x3Desc::draw(const Rectangle& rectangle)
{
    if (!image() || image()->size().width == 0 || image()->size().height == 0) return;
    const float leftWidth = static_cast<float>(leftOffset), rightWidth = static_cast<float>(rightOffset);
    const float firstCut = static_cast<float>(left) + leftWidth;
    const float secondCut = rightColumn() - rightWidth;
    const float x = rectangle.x, y = rectangle.y, h = rectangle.height;
    const float middleRight = x + rectangle.width - rightWidth;
    drawColumns(Rectangle(x, y, x + leftWidth, y + h), static_cast<float>(left), firstCut);
    drawColumns(Rectangle(x + leftWidth, y, middleRight, y + h), firstCut, secondCut);
    drawColumns(Rectangle(middleRight, y, x + rectangle.width, y + h), secondCut, rightColumn());
}

template <class Archive>
void Bitmap1x3Desc::serialize(Archive& archive)
{
    BitmapDesc::serialize(archive);
    archive.field("leftOffset", leftOffset);
    archive.field("rightOffset", rightOffset);
}

ZORIR_REGISTER_SERIALIZABLE(Bitmap1x3Desc, "Bitmap1x3Desc")

}  // namespace Zorir
