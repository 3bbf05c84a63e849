#include "libs/zorir/DefaultCheckDesc.h"

#include "libs/zorir/Renderer.h"
#include "libs/zorir/core/XMLInputArchive.h"
#include "libs/zorir/core/XMLOutputArchive.h"

namespace Zorir {

namespace {

// Keeps the cross off the square's outline.
constexpr float crossInset = 3.0f;
constexpr float crossLineWidth = 2.0f;

}  // namespace

void DefaultCheckDesc::draw(const Rectangle& rectangle)
{
    const float side = rectangle.height;
    const float left = rectangle.x, top = rectangle.y;
    setColor(color);
    drawRectangle({left, top}, {left + side, top + side}, false);

    const float savedWidth = lineWidth();
    const bool savedSmoothing = lineSmoothing();
    setLineWidth(crossLineWidth);
    setLineSmoothing(true);
    const float near = crossInset, far = side - crossInset;
    drawLine({left + near, top + near}, {left + far, top + far});
    drawLine({left + near, top + far}, {left + far, top + near});
    if (savedWidth != crossLineWidth) setLineWidth(savedWidth);
    setLineSmoothing(savedSmoothing);
}

template <class Archive>
void DefaultCheckDesc::serialize(Archive& archive)
{
    archive.field("color", color);
}

ZORIR_REGISTER_SERIALIZABLE(DefaultCheckDesc, "DefaultCheckDesc")

}  // namespace Zorir
