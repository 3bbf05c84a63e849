#include "libs/zorir/SliderDesc.h"

#include "libs/zorir/DefaultLooks.h"
#include "libs/zorir/core/XMLInputArchive.h"
#include "libs/zorir/core/XMLOutputArchive.h"

namespace Zorir {

SliderDesc::SliderDesc() : background(defaultBackground()), border(defaultBorder()) {}

void SliderDesc::draw(const Rectangle& rectangle)
{
    drawIfSet(background, rectangle);
    drawIfSet(border, rectangle);
}

template <class Archive>
void SliderDesc::serialize(Archive& archive)
{
    archive.description("background", background);
    archive.description("border", border);
    archive.field("tickColor", tickColor);
    archive.field("tickWidth", tickWidth);
}

ZORIR_REGISTER_SERIALIZABLE(SliderDesc, "SliderDesc")

}  // namespace Zorir
