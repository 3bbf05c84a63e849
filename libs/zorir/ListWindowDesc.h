#pragma once

#include "libs/zorir/Color.h"
#include "libs/zorir/RenderDesc.h"
#include "libs/zorir/TextDesc.h"

#include <cstdint>
#include <memory>
#include <string>

namespace Zorir {

class ListWindow;

// The look shared by the scrollable lists: background, the visible lines
// (the selected and the highlighted one each over a filled bar in colours of
// their own), and the border. Each kind of list draws its own lines.
class ListWindowDesc : public RenderDesc {
public:
    ListWindowDesc();

    void draw(const Rectangle& rectangle) override;
    virtual void drawLine(int32_t index, const Rectangle& line) = 0;

    template <class Archive>
    void serialize(Archive& archive)
    {
        archive.description("background", background);
        archive.description("border", border);
        archive.description("textDesc", textDesc);
        archive.field("selectionColor", selectionColor);
        archive.field("selectedTextColor", selectedTextColor);
        archive.field("highlightColor", highlightColor);
        archive.field("highlightedTextColor", highlightedTextColor);
    }

    std::unique_ptr<RenderDesc> background;
    std::unique_ptr<RenderDesc> border;
    std::unique_ptr<TextDesc> textDesc;
    Color selectionColor{0.85f, 0.85f, 0.85f, 1.0f};
    Color selectedTextColor{0.35f, 0.35f, 0.35f, 1.0f};
    Color highlightColor{0.5f, 0.5f, 0.5f, 0.4f};
    Color highlightedTextColor{0.85f, 0.85f, 0.85f, 1.0f};
    // The list being drawn; set before each draw.
    ListWindow* owner = nullptr;

protected:
    // Fills the line's bar when it is selected or highlighted and returns the
    // colour its text takes.
    Color lineBar(int32_t index, const Rectangle& line);
    // One piece of a line's text in the colour given, the look's own kept.
    void drawText(const std::string& text, const Color& color, const Rectangle& area);

private:
    void drawLines();
};

}  // namespace Zorir
