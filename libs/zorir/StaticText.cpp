#include "libs/zorir/StaticText.h"

#include "libs/zorir/LookInForce.h"
#include "libs/zorir/core/AppearanceLoader.h"

namespace Zorir {

namespace {

const Vector2 padding(8.0f, 8.0f);

}  // namespace

StaticText::StaticText(Window* parent, const std::string& text) : Window(parent, text) {}

StaticText::~StaticText() = default;

Vector2 StaticText::preferredSize() const
{
    StaticTextDesc* look = lookInForce(description_, &PropertyScheme::staticTextDesc);
    if (!look || !look->textDesc) return padding;
    look->textDesc->text = text();
    return look->textDesc->textExtent() + padding;
}

void StaticText::loadAppearance(const std::string& fileName, const std::string& descriptionName)
{
    Core::loadAppearance(description_, fileName, descriptionName);
}

void StaticText::draw()
{
    StaticTextDesc* look = lookInForce(description_, &PropertyScheme::staticTextDesc);
    if (!look) return;
    look->owner = this;
    look->draw(rectangle());
}

}  // namespace Zorir
