#include "libs/zorir/CheckDesc.h"

#include "libs/zorir/BasicButton.h"
#include "libs/zorir/DefaultCheckDesc.h"
#include "libs/zorir/RectangleDesc.h"
#include "libs/zorir/core/XMLInputArchive.h"
#include "libs/zorir/core/XMLOutputArchive.h"

namespace Zorir {

CheckDesc::CheckDesc()
    : checked(std::make_unique<DefaultCheckDesc>()), unchecked(std::make_unique<RectangleDesc>(RectangleDesc::Normal))
{
}

void CheckDesc::draw(const Rectangle& rectangle)
{
    drawIfSet(owner && owner->isToggledOn() ? checked : unchecked, rectangle);
}

template <class Archive>
void CheckDesc::serialize(Archive& archive)
{
    archive.description("checked", checked);
    archive.description("unchecked", unchecked);
}

ZORIR_REGISTER_SERIALIZABLE(CheckDesc, "CheckDesc")

}  // namespace Zorir
