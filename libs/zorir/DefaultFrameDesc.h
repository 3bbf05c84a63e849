#pragma once

#include "libs/zorir/Color.h"
#include "libs/zorir/RenderDesc.h"

#include <cstdint>

namespace Zorir {

// One of the nine pieces of a frame window's frame: an edge, a rounded
// corner or the title box. The frame window lays the pieces out around its
// client area; each piece draws its outline on the side away from the client.
class DefaultFrameDesc : public RenderDesc {
public:
    enum Section : int32_t {
        Right = 0,
        TopRight = 1,
        Top = 2,
        TopLeft = 3,
        Left = 4,
        BottomLeft = 5,
        Bottom = 6,
        BottomRight = 7,
        Title = 8,
    };
    static constexpr const char* sectionNames[] = {"right", "topRight", "top",         "topLeft", "left",
                                                   "bottomLeft", "bottom", "bottomRight", "title"};

    explicit DefaultFrameDesc(Section section_ = Top) : section(section_) {}

    // Throws for a section outside the nine.
    void draw(const Rectangle& rectangle) override;

    template <class Archive>
    void serialize(Archive& archive);

    Section section;
    Color backgroundColor{0.35f, 0.35f, 0.35f, 0.5f};
    Color foregroundColor{1.0f, 1.0f, 1.0f, 0.75f};
    int32_t borderLineWidth = 5;

private:
    void drawEdge(const Rectangle& rectangle) const;
    void drawCorner(const Rectangle& rectangle) const;
    void drawTitle(const Rectangle& rectangle) const;
};

}  // namespace Zorir
