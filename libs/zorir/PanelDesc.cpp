#include "libs/zorir/PanelDesc.h"

#include "libs/zorir/RectangleDesc.h"
#include "libs/zorir/SolidSurfaceDesc.h"
#include "libs/zorir/core/XMLInputArchive.h"
#include "libs/zorir/core/XMLOutputArchive.h"

namespace Zorir {

PanelDesc::PanelDesc()
    : background(std::make_unique<SolidSurfaceDesc>(Color(0.2f, 0.2f, 0.4f, 0.75f))),
      border(std::make_unique<RectangleDesc>(RectangleDesc::Normal))
{
}

void PanelDesc::draw(const Rectangle& rectangle)
{
    drawIfSet(background, rectangle);
    drawIfSet(border, rectangle);
}

template <class Archive>
void PanelDesc::serialize(Archive& archive)
{
    archive.description("background", background);
    archive.description("border", border);
}

ZORIR_REGISTER_SERIALIZABLE(PanelDesc, "PanelDesc")

}  // namespace Zorir
