#include "libs/zorir/RectangleDesc.h"

#include "libs/zorir/Renderer.h"
#include "libs/zorir/core/XMLInputArchive.h"
#include "libs/zorir/core/XMLOutputArchive.h"

namespace Zorir {

void RectangleDesc::draw(const Rectangle& rectangle)
{
    setLineWidth(lineWidth);
    switch (style) {
    case Dropped:
        drawBevel(rectangle.topLeft(), rectangle.bottomRight(), color1, color2);
        break;
    case Raised:
        drawBevelSwapped(rectangle.topLeft(), rectangle.bottomRight(), color1, color2);
        break;
    default:
        setColor(color1);
        drawRectangle(rectangle.topLeft(), rectangle.bottomRight(), false);
        break;
    }
    setLineWidth(1.0f);
    setColor(Color(1, 1, 1, 1));
}

template <class Archive>
void RectangleDesc::serialize(Archive& archive)
{
    archive.enumeration("style", style, styleNames);
    archive.field("color1", color1);
    archive.field("color2", color2);
    archive.field("lineWidth", lineWidth);
}

ZORIR_REGISTER_SERIALIZABLE(RectangleDesc, "RectangleDesc")

}  // namespace Zorir
