#include "libs/zorir/ListBox.h"

#include "libs/zorir/LookInForce.h"
#include "libs/zorir/core/AppearanceLoader.h"
#include "libs/zorir/core/StandardException.h"

#include <algorithm>

namespace Zorir {

ListBox::ListBox(Window* parent, const Rectangle& rectangle) : ListWindow(parent, rectangle)
{
    setRectangle(rectangle);
}

ListBox::~ListBox() = default;

void ListBox::addString(const std::string& text)
{
    strings_.push_back(text);
    linesChanged();
}

std::string ListBox::stringAt(int32_t index) const
{
    return index >= 0 && index < count() ? strings_[index] : std::string();
}

bool ListBox::contains(const std::string& text) const
{
    return std::find(strings_.begin(), strings_.end(), text) != strings_.end();
}

int32_t ListBox::indexOf(const std::string& text) const
{
    const auto found = std::find(strings_.begin(), strings_.end(), text);
    if (found == strings_.end()) {
        throw Core::StandardException("Tried to get the index of an invalid string", __FILE__, __LINE__);
    }
    return static_cast<int32_t>(found - strings_.begin());
}

ListBoxDesc* ListBox::descriptionInForce() const
{
    return lookInForce(description_, &PropertyScheme::listBoxDesc);
}

float ListBox::lineHeight() const
{
    return lineHeightIn(descriptionInForce());
}

void ListBox::loadAppearance(const std::string& fileName, const std::string& descriptionName)
{
    Core::loadAppearance(description_, fileName, descriptionName);
    linesChanged();
}

void ListBox::draw()
{
    drawWith(descriptionInForce());
}

}  // namespace Zorir
