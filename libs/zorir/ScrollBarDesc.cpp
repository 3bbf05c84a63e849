#include "libs/zorir/ScrollBarDesc.h"

#include "libs/zorir/DefaultLooks.h"
#include "libs/zorir/core/XMLInputArchive.h"
#include "libs/zorir/core/XMLOutputArchive.h"

namespace Zorir {

ScrollBarDesc::ScrollBarDesc() : background(defaultBackground()), border(defaultBorder()) {}

void ScrollBarDesc::draw(const Rectangle& rectangle)
{
    drawIfSet(background, rectangle);
    drawIfSet(border, rectangle);
}

template <class Archive>
void ScrollBarDesc::serialize(Archive& archive)
{
    archive.description("background", background);
    archive.description("border", border);
    archive.field("width", width);
}

ZORIR_REGISTER_SERIALIZABLE(ScrollBarDesc, "ScrollBarDesc")

}  // namespace Zorir
