#include "libs/zorir/ComboBoxDesc.h"

#include "libs/zorir/ComboBox.h"
#include "libs/zorir/DefaultLooks.h"
#include "libs/zorir/Renderer.h"
#include "libs/zorir/core/XMLInputArchive.h"
#include "libs/zorir/core/XMLOutputArchive.h"

#include <algorithm>

namespace Zorir {

namespace {

// The drop-down arrow's triangle is never smaller than this.
constexpr float smallestArrow = 8.0f;

}  // namespace

ComboBoxDesc::ComboBoxDesc() : background(defaultBackground()), border(defaultBorder()), textDesc(std::make_unique<TextDesc>())
{
}

void ComboBoxDesc::draw(const Rectangle& rectangle)
{
    drawIfSet(background, rectangle);
    drawIfSet(border, rectangle);
    const float size = std::max(smallestArrow, rectangle.height * 0.5f);
    const float right = rectangle.x + rectangle.width - 0.5f * (rectangle.height - size) - 2.0f;
    if (owner && textDesc) {
        // The text keeps clear of the arrow.
        enableClipping(Rectangle(rectangle.x, rectangle.y, right - size, rectangle.y + rectangle.height));
        textDesc->text = owner->text();
        textDesc->draw(Rectangle(rectangle.x, rectangle.y, right - size, rectangle.y + rectangle.height));
        disableClipping();
    }
    const float top = rectangle.y + 0.5f * (rectangle.height - size * 0.5f);
    setColor(textDesc ? textDesc->color : Color(1, 1, 1, 1));
    drawTriangle({right - size, top}, {right, top}, {right - 0.5f * size, top + 0.5f * size}, true);
    setColor(Color(1, 1, 1, 1));
}

template <class Archive>
void ComboBoxDesc::serialize(Archive& archive)
{
    archive.description("background", background);
    archive.description("border", border);
    archive.description("textDesc", textDesc);
}

ZORIR_REGISTER_SERIALIZABLE(ComboBoxDesc, "ComboBoxDesc")

}  // namespace Zorir
