#include "libs/zorir/StaticTextDesc.h"

#include "libs/zorir/Renderer.h"
#include "libs/zorir/Window.h"
#include "libs/zorir/core/XMLInputArchive.h"
#include "libs/zorir/core/XMLOutputArchive.h"

namespace Zorir {

StaticTextDesc::StaticTextDesc() : textDesc(std::make_unique<TextDesc>()) {}

void StaticTextDesc::draw(const Rectangle& rectangle)
{
    drawIfSet(background, rectangle);
    drawIfSet(border, rectangle);
    if (!owner || !textDesc) return;
    enableClipping(rectangle);
    textDesc->text = owner->text();
    textDesc->wordWrap = true;
    Rectangle inner = rectangle;
    inner.expand(-1.0f);
    textDesc->draw(inner);
    disableClipping();
    setColor(Color(1, 1, 1, 1));
}

template <class Archive>
void StaticTextDesc::serialize(Archive& archive)
{
    archive.description("background", background);
    archive.description("border", border);
    archive.description("textDesc", textDesc);
}

ZORIR_REGISTER_SERIALIZABLE(StaticTextDesc, "StaticTextDesc")

}  // namespace Zorir
