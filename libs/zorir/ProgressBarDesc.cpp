#include "libs/zorir/ProgressBarDesc.h"

#include "libs/zorir/DefaultLooks.h"
#include "libs/zorir/ProgressSource.h"
#include "libs/zorir/Renderer.h"
#include "libs/zorir/core/XMLInputArchive.h"
#include "libs/zorir/core/XMLOutputArchive.h"

#include <algorithm>
#include <cmath>

namespace Zorir {

namespace {

std::unique_ptr<RenderDesc> surface(float red, float green)
{
    return std::make_unique<SolidSurfaceDesc>(Color(red, green, 0.0f, 0.5f));
}

}  // namespace

ProgressBarDesc::ProgressBarDesc()
    : horzEmptyDesc(surface(1, 0)),
      horzFullDesc(surface(0, 1)),
      vertEmptyDesc(surface(1, 0)),
      vertFullDesc(surface(0, 1)),
      border(defaultBorder())
{
}

void ProgressBarDesc::draw(const Rectangle& rectangle)
{
    Rectangle inner = rectangle;
    inner.expand(-1.0f);
    if (owner) drawFill(inner);
    drawIfSet(border, rectangle);
    disableClipping();
    setColor(Color(1, 1, 1, 1));
}

void ProgressBarDesc::drawFill(const Rectangle& inner)
{
    // A percentage out of range must not draw outside the bar.
    const float done = static_cast<float>(std::clamp(owner->percentage(), 0, 100)) * 0.01f;
    if (owner->isVertical()) {
        const float full = std::max(0.0f, std::floor((inner.height - 2.0f) * done));
        const float split = inner.y + inner.height - full;
        drawIfSet(vertEmptyDesc, Rectangle(inner.x, inner.y, inner.x + inner.width, split));
        drawIfSet(vertFullDesc, Rectangle(inner.x, split, inner.x + inner.width, inner.y + inner.height));
    } else {
        const float full = std::max(0.0f, std::floor((inner.width - 2.0f) * done));
        const float split = inner.x + full;
        drawIfSet(horzFullDesc, Rectangle(inner.x, inner.y, split, inner.y + inner.height));
        drawIfSet(horzEmptyDesc, Rectangle(split, inner.y, inner.x + inner.width, inner.y + inner.height));
    }
}

template <class Archive>
void ProgressBarDesc::serialize(Archive& archive)
{
    archive.description("horzEmptyDesc", horzEmptyDesc);
    archive.description("horzFullDesc", horzFullDesc);
    archive.description("vertEmptyDesc", vertEmptyDesc);
    archive.description("vertFullDesc", vertFullDesc);
    archive.description("border", border);
}

ZORIR_REGISTER_SERIALIZABLE(ProgressBarDesc, "ProgressBarDesc")

}  // namespace Zorir
