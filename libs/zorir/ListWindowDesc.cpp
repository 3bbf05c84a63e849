#include "libs/zorir/ListWindowDesc.h"

#include "libs/zorir/DefaultLooks.h"
#include "libs/zorir/Renderer.h"

namespace Zorir {

ListWindowDesc::ListWindowDesc()
    : background(defaultBackground()), border(defaultBorder()), textDesc(std::make_unique<TextDesc>())
{
}

void ListWindowDesc::draw(const Rectangle& rectangle)
{
    drawIfSet(background, rectangle);
    drawIfSet(border, rectangle);
    setColor(Color(1, 1, 1, 1));
}

Color ListWindowDesc::lineBar(int32_t, const Rectangle&)
{
    return textDesc ? textDesc->color : Color(1, 1, 1, 1);
}

}  // namespace Zorir
