#include "libs/zorir/EditFieldDesc.h"

#include "libs/zorir/DefaultLooks.h"
#include "libs/zorir/EditField.h"
#include "libs/zorir/Renderer.h"
#include "libs/zorir/TextRenderer.h"
#include "libs/zorir/core/XMLInputArchive.h"
#include "libs/zorir/core/XMLOutputArchive.h"

#include <algorithm>

namespace Zorir {

EditFieldDesc::EditFieldDesc() : background(defaultBackground()), border(defaultBorder()), textDesc(std::make_unique<TextDesc>())
{
    textDesc->horizontalAlignment = TextDesc::Left;
}

void EditFieldDesc::draw(const Rectangle& rectangle)
{
    drawIfSet(background, rectangle);
    if (owner && textDesc) {
        textDesc->horizontalAlignment = TextDesc::Left;
        drawText(rectangle);
        if (owner->hasFocus()) drawCursor(rectangle);
    }
    disableClipping();
    drawIfSet(border, rectangle);
    setColor(Color(1, 1, 1, 1));
}

void EditFieldDesc::drawText(const Rectangle& rectangle)
{
    const std::string& text = owner->text();
    if (text.empty()) return;
    Rectangle clip = rectangle;
    clip.expand(-textDesc->margin);
    enableClipping(clip);
    if (!owner->hasSelection()) {
        Rectangle scrolled = rectangle;
        scrolled.x += owner->scrollOffset();
        textDesc->text = text;
        textDesc->draw(scrolled);
        return;
    }
    // The three pieces are placed side by side by their measured widths,
    // so the look's margin must not push each of them in again.
    const float margin = textDesc->margin;
    textDesc->margin = 0.0f;
    Rectangle area = rectangle;
    area.expandHorizontally(-margin);
    area.x += owner->scrollOffset();
    const int32_t start = owner->selectionStart(), end = owner->selectionEnd();
    float x = area.x;
    x = drawPiece(text.substr(0, start), x, area, false);
    x = drawPiece(text.substr(start, end - start), x, area, true);
    drawPiece(text.substr(end), x, area, false);
    textDesc->margin = margin;
}

float EditFieldDesc::drawPiece(const std::string& piece, float x, const Rectangle& area, bool selected)
{
    textDesc->text = piece;
    const float width = std::max(0.0f, textDesc->textWidth());
    // The piece's own extent: once the field has scrolled, a piece may start
    // right of where the scrolled area ends.
    const Rectangle place(x, area.y, x + width, area.y + area.height);
    if (!selected) {
        textDesc->draw(place);
        return x + width;
    }
    setColor(selectionColor);
    drawRectangle({x, area.y + 1.0f}, {x + width, area.y + area.height - 1.0f}, true);
    const Color normal = textDesc->color;
    textDesc->color = selectedTextColor;
    textDesc->draw(place);
    textDesc->color = normal;
    return x + width;
}

void EditFieldDesc::drawCursor(const Rectangle& rectangle)
{
    const float x = owner->cursorX();
    const float half = 0.5f * ((textDesc->font() ? textDesc->font()->lineHeight() : 0.0f) + 4.0f);
    const float middle = rectangle.y + 0.5f * rectangle.height;
    drawLine({x, middle - half}, {x, middle + half});
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
