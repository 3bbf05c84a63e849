#include "libs/zorir/ListWindowDesc.h"

#include "libs/zorir/DefaultLooks.h"
#include "libs/zorir/ListWindow.h"
#include "libs/zorir/Renderer.h"

namespace Zorir {

ListWindowDesc::ListWindowDesc()
    : background(defaultBackground()), border(defaultBorder()), textDesc(std::make_unique<TextDesc>())
{
}

void ListWindowDesc::draw(const Rectangle& rectangle)
{
    drawIfSet(background, rectangle);
    if (owner && textDesc) drawLines();
    drawIfSet(border, rectangle);
    setColor(Color(1, 1, 1, 1));
}

void ListWindowDesc::drawLines()
{
    // Without a font the lines have no height: there is nothing to draw.
    const float pitch = owner->linePitch();
    if (pitch <= 0.0f) return;
    const Rectangle area = owner->linesArea();
    enableClipping(area);
    const float bottom = area.y + area.height;
    float y = area.y;
    for (int32_t index = owner->firstVisibleLine(); index < owner->numberOfLines() && y < bottom; ++index) {
        drawLine(index, Rectangle(area.x, y, area.x + area.width, y + pitch));
        y += pitch;
    }
    disableClipping();
}

Color ListWindowDesc::lineBar(int32_t index, const Rectangle& line)
{
    const bool selected = index == owner->selectedIndex();
    if (!selected && index != owner->highlightedIndex()) return textDesc->color;
    setColor(selected ? selectionColor : highlightColor);
    drawRectangle(line.topLeft(), line.bottomRight(), true);
    return selected ? selectedTextColor : highlightedTextColor;
}

void ListWindowDesc::drawText(const std::string& text, const Color& color, const Rectangle& area)
{
    const Color normal = textDesc->color;
    textDesc->color = color;
    textDesc->text = text;
    textDesc->draw(area);
    textDesc->color = normal;
}

}  // namespace Zorir
