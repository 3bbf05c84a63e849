#pragma once

#include "libs/zorir/RenderDesc.h"
#include "libs/zorir/TextDesc.h"

#include <memory>

namespace Zorir {

class Window;

// A frame window's look: four corners, four edges and a title box around
// the client area, the title text, and the widths of the four borders.
class FrameWindowDesc : public RenderDesc {
public:
    FrameWindowDesc();

    // Draws the frame around the rectangle's inside, with the owner's text
    // as the title.
    void draw(const Rectangle& rectangle) override;

    template <class Archive>
    void serialize(Archive& archive);

    // The rectangle less the four borders.
    Rectangle clientRectangle(const Rectangle& rectangle) const;

    std::unique_ptr<RenderDesc> topLeftDesc;
    std::unique_ptr<RenderDesc> titleDesc;
    std::unique_ptr<RenderDesc> topDesc;
    std::unique_ptr<RenderDesc> topRightDesc;
    std::unique_ptr<RenderDesc> rightDesc;
    std::unique_ptr<RenderDesc> bottomRightDesc;
    std::unique_ptr<RenderDesc> bottomDesc;
    std::unique_ptr<RenderDesc> bottomLeftDesc;
    std::unique_ptr<RenderDesc> leftDesc;
    std::unique_ptr<TextDesc> textDesc;
    float topBorderWidth = 30.0f;
    float leftBorderWidth = 30.0f;
    float rightBorderWidth = 30.0f;
    float bottomBorderWidth = 30.0f;
    // The window being drawn; set before each draw.
    Window* owner = nullptr;
};

}  // namespace Zorir
