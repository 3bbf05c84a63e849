#include "libs/zorir/SolidSurfaceDesc.h"

#include "libs/zorir/Renderer.h"
#include "libs/zorir/core/XMLInputArchive.h"
#include "libs/zorir/core/XMLOutputArchive.h"

namespace Zorir {

void SolidSurfaceDesc::draw(const Rectangle& rectangle)
{
    setColor(color);
    drawRectangle(rectangle.topLeft(), rectangle.bottomRight(), true);
    setColor(Color(1, 1, 1, 1));
}

template <class Archive>
void SolidSurfaceDesc::serialize(Archive& archive)
{
    archive.field("color", color);
}

ZORIR_REGISTER_SERIALIZABLE(SolidSurfaceDesc, "SolidSurfaceDesc")

}  // namespace Zorir
