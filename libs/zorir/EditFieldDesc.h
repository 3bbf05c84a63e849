#pragma once

#include "libs/zorir/Color.h"
#include "libs/zorir/RenderDesc.h"
#include "libs/zorir/TextDesc.h"

#include <memory>
#include <string>

namespace Zorir {

class EditField;

// An edit field's look: background, the text scrolled by the field with its
// selection highlighted, the cursor while the field has the focus, and the
// border over it all.
class EditFieldDesc : public RenderDesc {
public:
    EditFieldDesc();

    void draw(const Rectangle& rectangle) override;

    template <class Archive>
    void serialize(Archive& archive);

    std::unique_ptr<RenderDesc> background;
    std::unique_ptr<RenderDesc> border;
    std::unique_ptr<TextDesc> textDesc;
    Color selectionColor{0.85f, 0.85f, 0.85f, 1.0f};
    Color selectedTextColor{0.35f, 0.35f, 0.35f, 1.0f};
    // The field being drawn; set before each draw.
    EditField* owner = nullptr;

private:
    void drawText(const Rectangle& rectangle);
    // Draws one piece of the text from x on and returns where it ends.
    float drawPiece(const std::string& piece, float x, const Rectangle& area, bool selected);
    void drawCursor(const Rectangle& rectangle);
};

}  // namespace Zorir
