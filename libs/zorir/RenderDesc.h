#pragma once

#include "libs/zorir/Rectangle.h"
#include "libs/zorir/core/Serialization.h"

#include <memory>

namespace Zorir {

// A piece of a widget's look that draws itself into a rectangle. Looks are
// trees of descriptions read from XML; a factory creates each class by name.
class RenderDesc : public Core::Serializable {
public:
    virtual void draw(const Rectangle& rectangle) = 0;
};

// A file may clear any part of a look: a missing part draws nothing.
template <class Desc>
void drawIfSet(const std::unique_ptr<Desc>& description, const Rectangle& rectangle)
{
    if (description) description->draw(rectangle);
}

}  // namespace Zorir
