#include "libs/zorir/DefaultFrameDesc.h"

#include "libs/zorir/Renderer.h"
#include "libs/zorir/core/StandardException.h"
#include "libs/zorir/core/XMLInputArchive.h"
#include "libs/zorir/core/XMLOutputArchive.h"

#include <algorithm>
#include <numbers>

namespace Zorir {

namespace {

constexpr int cornerSegments = 7;
constexpr float titleCornerRadius = 5.0f;
constexpr float halfPi = 0.5f * std::numbers::pi_v<float>;

// Where a corner's arcs are centred (the piece's corner nearest the client)
// and the first angle of the quarter that faces the frame's own corner.
struct CornerGeometry {
    Vector2 centre;
    float startAngle;
};

CornerGeometry cornerGeometry(DefaultFrameDesc::Section section, const Rectangle& r)
{
    switch (section) {
    case DefaultFrameDesc::TopRight:
        return {r.bottomLeft(), 0.0f};
    case DefaultFrameDesc::TopLeft:
        return {r.bottomRight(), halfPi};
    case DefaultFrameDesc::BottomLeft:
        return {r.topRight(), 2.0f * halfPi};
    default:
        return {r.topLeft(), 3.0f * halfPi};
    }
}

}  // namespace

void DefaultFrameDesc::draw(const Rectangle& rectangle)
{
    switch (section) {
    case Right:
    case Top:
    case Left:
    case Bottom:
        drawEdge(rectangle);
        break;
    case TopRight:
    case TopLeft:
    case BottomLeft:
    case BottomRight:
        drawCorner(rectangle);
        break;
    case Title:
        drawTitle(rectangle);
        break;
    default:
        throw Core::StandardException("Invalid section specified in default frame", __FILE__, __LINE__);
    }
    setLineWidth(1.0f);
    setColor(Color(1, 1, 1, 1));
}

void DefaultFrameDesc::drawEdge(const Rectangle& r) const
{
    setColor(backgroundColor);
    drawRectangle(r.topLeft(), r.bottomRight(), true);
    // The line runs along the outer side, so that it meets the corner rings.
    const float half = 0.5f * static_cast<float>(borderLineWidth);
    setLineWidth(static_cast<float>(borderLineWidth));
    setColor(foregroundColor);
    switch (section) {
    case Right:
        drawLine({r.x + r.width - half, r.y}, {r.x + r.width - half, r.y + r.height});
        break;
    case Top:
        drawLine({r.x, r.y + half}, {r.x + r.width, r.y + half});
        break;
    case Left:
        drawLine({r.x + half, r.y}, {r.x + half, r.y + r.height});
        break;
    default:
        drawLine({r.x, r.y + r.height - half}, {r.x + r.width, r.y + r.height - half});
        break;
    }
}

void DefaultFrameDesc::drawCorner(const Rectangle& r) const
{
    const CornerGeometry corner = cornerGeometry(section, r);
    const float radius = std::min(r.width, r.height);
    const float end = corner.startAngle + halfPi;
    setColor(backgroundColor);
    drawArc(corner.centre, radius, corner.startAngle, end, cornerSegments, true);
    // The ring lies inside the disc, its outer rim on the disc's rim.
    const float width = static_cast<float>(borderLineWidth);
    setLineWidth(width);
    setColor(foregroundColor);
    drawArc(corner.centre, radius - 0.5f * width, corner.startAngle, end, cornerSegments, false);
}

void DefaultFrameDesc::drawTitle(const Rectangle& r) const
{
    setColor(backgroundColor);
    drawRectangle(r.topLeft(), r.bottomRight(), true);
    setColor(foregroundColor);
    drawRoundedRectangle({r.x + 1.0f, r.y + 1.0f}, {r.x + r.width - 1.0f, r.y + r.height - 1.0f},
                         titleCornerRadius, false);
}

template <class Archive>
void DefaultFrameDesc::serialize(Archive& archive)
{
    archive.enumeration("section", section, sectionNames);
    archive.field("backgroundColor", backgroundColor);
    archive.field("foregroundColor", foregroundColor);
    archive.field("borderLineWidth", borderLineWidth);
}

ZORIR_REGISTER_SERIALIZABLE(DefaultFrameDesc, "DefaultFrameDesc")

}  // namespace Zorir
