#include "libs/zorir/ButtonDesc.h"

#include "libs/zorir/BasicButton.h"
#include "libs/zorir/Renderer.h"
#include "libs/zorir/core/StandardException.h"
#include "libs/zorir/core/XMLInputArchive.h"
#include "libs/zorir/core/XMLOutputArchive.h"

namespace Zorir {

namespace {

const Vector2 padding(8.0f, 8.0f);

}  // namespace

ButtonDesc::ButtonDesc() = default;

ButtonStateDesc& ButtonDesc::look(int32_t appearanceState)
{
    switch (appearanceState) {
    case 1:
        return pressedLook;
    case 2:
        return rollOverLook;
    case 3:
        return rollOverOnLook;
    default:
        return releasedLook;
    }
}

Vector2 ButtonDesc::textSize()
{
    ZORIR_ASSERT(button_ != 0);
    if (!releasedLook.textDesc) return padding;
    releasedLook.textDesc->text = button_->text();
    return releasedLook.textDesc->textExtent() + padding;
}

void ButtonDesc::draw(const Rectangle& rectangle)
{
    const Rectangle area = button_ ? button_->rectangle() : rectangle;
    enableClipping(area);
    ButtonStateDesc& state = look(button_ ? button_->appearanceState() : 0);
    state.owner = button_;
    state.draw(area);
    const Color arrowColor = state.textDesc ? state.textDesc->color : Color(0, 0, 0, 1);
    drawArrow(area, arrowColor);
    setColor(Color(1, 1, 1, 1));
    disableClipping();
}

void ButtonDesc::drawArrow(const Rectangle& rectangle, const Color& color)
{
    const Arrow direction = arrowDirection;
    arrowDirection = NoArrow;
    const Vector2 c = rectangle.center();
    const float dx = rectangle.width * 0.25f, dy = rectangle.height * 0.25f;
    setColor(color);
    switch (direction) {
    case UpArrow:
        drawTriangle({c.x - dx, c.y + dy}, {c.x, c.y - dy}, {c.x + dx, c.y + dy}, true);
        break;
    case DownArrow:
        drawTriangle({c.x - dx, c.y - dy}, {c.x, c.y + dy}, {c.x + dx, c.y - dy}, true);
        break;
    case LeftArrow:
        drawTriangle({c.x + dx, c.y - dy}, {c.x - dx, c.y}, {c.x + dx, c.y + dy}, true);
        break;
    case RightArrow:
        drawTriangle({c.x - dx, c.y - dy}, {c.x + dx, c.y}, {c.x - dx, c.y + dy}, true);
        break;
    default:
        break;
    }
}

template <class Archive>
void ButtonDesc::serialize(Archive& archive)
{
    archive.nested("pressedDesc", pressedLook);
    archive.nested("releasedDesc", releasedLook);
    archive.nested("rollOverDesc", rollOverLook);
    archive.nested("rollOverOnDesc", rollOverOnLook);
}

ZORIR_REGISTER_SERIALIZABLE(ButtonDesc, "ButtonDesc")

}  // namespace Zorir
