#include "libs/zorir/GradientSurfaceDesc.h"

#include "libs/zorir/Renderer.h"
#include "libs/zorir/core/XMLInputArchive.h"
#include "libs/zorir/core/XMLOutputArchive.h"

namespace Zorir {

void GradientSurfaceDesc::draw(const Rectangle& rectangle)
{
    drawGradient(rectangle.topLeft(), rectangle.bottomRight(), color1, color2, orientation == Horizontal);
    setColor(Color(1, 1, 1, 1));
}

template <class Archive>
void GradientSurfaceDesc::serialize(Archive& archive)
{
    archive.field("color1", color1);
    archive.field("color2", color2);
    archive.enumeration("orientation", orientation, orientationNames);
}

ZORIR_REGISTER_SERIALIZABLE(GradientSurfaceDesc, "GradientSurfaceDesc")

}  // namespace Zorir
