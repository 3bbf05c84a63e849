#include "libs/zorir/FrameWindowDesc.h"

#include "libs/zorir/DefaultFrameDesc.h"
#include "libs/zorir/Renderer.h"
#include "libs/zorir/Window.h"
#include "libs/zorir/WindowManager.h"
#include "libs/zorir/core/XMLInputArchive.h"
#include "libs/zorir/core/XMLOutputArchive.h"

#include <algorithm>

namespace Zorir {

namespace {

constexpr int32_t titlePixelHeight = 18;
// The title box is this much wider than its text.
constexpr float titlePadding = 10.0f;

std::unique_ptr<RenderDesc> framePiece(DefaultFrameDesc::Section section)
{
    return std::make_unique<DefaultFrameDesc>(section);
}

std::unique_ptr<TextDesc> titleText()
{
    auto text = std::make_unique<TextDesc>(WindowManager::defaultFontFileName(), titlePixelHeight);
    text->xOffset = text->yOffset = text->margin = 0.0f;
    text->color = Color(0.0f, 0.0f, 0.3f, 1.0f);
    return text;
}

}  // namespace

FrameWindowDesc::FrameWindowDesc()
    : topLeftDesc(framePiece(DefaultFrameDesc::TopLeft)),
      titleDesc(framePiece(DefaultFrameDesc::Title)),
      topDesc(framePiece(DefaultFrameDesc::Top)),
      topRightDesc(framePiece(DefaultFrameDesc::TopRight)),
      rightDesc(framePiece(DefaultFrameDesc::Right)),
      bottomRightDesc(framePiece(DefaultFrameDesc::BottomRight)),
      bottomDesc(framePiece(DefaultFrameDesc::Bottom)),
      bottomLeftDesc(framePiece(DefaultFrameDesc::BottomLeft)),
      leftDesc(framePiece(DefaultFrameDesc::Left)),
      textDesc(titleText())
{
}

Rectangle FrameWindowDesc::clientRectangle(const Rectangle& r) const
{
    return Rectangle(r.x + leftBorderWidth, r.y + topBorderWidth, r.x + r.width - rightBorderWidth,
                     r.y + r.height - bottomBorderWidth);
}

void FrameWindowDesc::draw(const Rectangle& rectangle)
{
    const float x1 = rectangle.x, y1 = rectangle.y;
    const float x2 = x1 + rectangle.width, y2 = y1 + rectangle.height;
    const float T = topBorderWidth, L = leftBorderWidth, R = rightBorderWidth, B = bottomBorderWidth;
    setColor(Color(1, 1, 1, 1));
    drawIfSet(topLeftDesc, Rectangle(x1, y1, x1 + L, y1 + T));
    drawIfSet(topRightDesc, Rectangle(x2 - R, y1, x2, y1 + T));
    drawIfSet(rightDesc, Rectangle(x2 - R, y1 + T, x2, y2 - B));
    drawIfSet(bottomRightDesc, Rectangle(x2 - R, y2 - B, x2, y2));
    drawIfSet(bottomDesc, Rectangle(x1 + L, y2 - B, x2 - R, y2));
    drawIfSet(bottomLeftDesc, Rectangle(x1, y2 - B, x1 + L, y2));
    drawIfSet(leftDesc, Rectangle(x1, y1 + T, x1 + L, y2 - B));

    if (textDesc) textDesc->text = owner ? owner->text() : std::string();
    const float textWidth = textDesc ? textDesc->textWidth() : 0.0f;
    const float innerWidth = std::max(0.0f, (x2 - R) - (x1 + L));
    const float titleWidth = std::min(textWidth + titlePadding, innerWidth);
    const Rectangle titleBox(x1 + L, y1, x1 + L + titleWidth, y1 + T);
    drawIfSet(titleDesc, titleBox);
    drawIfSet(topDesc, Rectangle(x1 + L + titleWidth, y1, x2 - R, y1 + T));
    drawIfSet(textDesc, titleBox);
    setColor(Color(1, 1, 1, 1));
}

template <class Archive>
void FrameWindowDesc::serialize(Archive& archive)
{
    archive.description("topLeftDesc", topLeftDesc);
    archive.description("titleDesc", titleDesc);
    archive.description("topDesc", topDesc);
    archive.description("topRightDesc", topRightDesc);
    archive.description("rightDesc", rightDesc);
    archive.description("bottomRightDesc", bottomRightDesc);
    archive.description("bottomDesc", bottomDesc);
    archive.description("bottomLeftDesc", bottomLeftDesc);
    archive.description("leftDesc", leftDesc);
    archive.description("textDesc", textDesc);
    archive.field("topBorderWidth", topBorderWidth);
    archive.field("leftBorderWidth", leftBorderWidth);
    archive.field("rightBorderWidth", rightBorderWidth);
    archive.field("bottomBorderWidth", bottomBorderWidth);
}

ZORIR_REGISTER_SERIALIZABLE(FrameWindowDesc, "FrameWindowDesc")

}  // namespace Zorir
