#include "libs/zorir/EditFieldDesc.h"

#include "libs/zorir/DefaultLooks.h"
#include "libs/zorir/Renderer.h"
#include "libs/zorir/core/XMLInputArchive.h"
#include "libs/zorir/core/XMLOutputArchive.h"

namespace Zorir {

EditFieldDesc::EditFieldDesc() : background(defaultBackground()), border(defaultBorder()), textDesc(std::make_unique<TextDesc>())
{
    textDesc->horizontalAlignment = TextDesc::Left;
}

void EditFieldDesc::draw(const Rectangle& rectangle)
{
    drawIfSet(background, rectangle);
    drawIfSet(border, rectangle);
    setColor(Color(1, 1, 1, 1));
}

template <class Archive>
void EditFieldDesc::serialize(Archive& archive)
{
    archive.description("background", background);
    archive.description("border", border);
    archive.description("textDesc", textDesc);
    archive.field("selectionColor", selectionColor);
    archive.field("selectedTextColor", selectedTextColor);
}

ZORIR_REGISTER_SERIALIZABLE(EditFieldDesc, "EditFieldDesc")

}  // namespace Zorir
