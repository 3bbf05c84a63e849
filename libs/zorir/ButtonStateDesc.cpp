#include "libs/zorir/ButtonStateDesc.h"

#include "libs/zorir/CheckBox.h"
#include "libs/zorir/SolidSurfaceDesc.h"
#include "libs/zorir/core/XMLInputArchive.h"
#include "libs/zorir/core/XMLOutputArchive.h"

namespace Zorir {

ButtonStateDesc::ButtonStateDesc() : ButtonStateDesc(Color(0.35f, 0.35f, 0.35f, 0.5f), RectangleDesc::Normal) {}

ButtonStateDesc::ButtonStateDesc(const Color& backgroundColor, RectangleDesc::Style borderStyle)
    : background(std::make_unique<SolidSurfaceDesc>(backgroundColor)),
      border(std::make_unique<RectangleDesc>(borderStyle)),
      textDesc(std::make_unique<TextDesc>())
{
}

void ButtonStateDesc::draw(const Rectangle& rectangle)
{
    drawIfSet(background, rectangle);
    drawIfSet(border, rectangle);
    if (!owner || owner->text().empty() || !textDesc) return;
    textDesc->text = owner->text();
    Rectangle textArea = rectangle;
    if (dynamic_cast<CheckBox*>(owner)) {
        // Room for the check mark on the left.
        textArea.x += rectangle.height;
        textArea.width -= rectangle.height;
    }
    textDesc->draw(textArea);
}

template <class Archive>
void ButtonStateDesc::serialize(Archive& archive)
{
    archive.description("background", background);
    archive.description("border", border);
    archive.description("textDesc", textDesc);
}

ZORIR_REGISTER_SERIALIZABLE(ButtonStateDesc, "ButtonStateDesc")

}  // namespace Zorir
