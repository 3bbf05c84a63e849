#include "libs/zorir/CheckBoxDesc.h"

#include "libs/zorir/BasicButton.h"
#include "libs/zorir/core/XMLInputArchive.h"
#include "libs/zorir/core/XMLOutputArchive.h"

namespace Zorir {

namespace {

constexpr float markShare = 0.66f;
constexpr float markIndent = 4.0f;

}  // namespace

CheckBoxDesc::CheckBoxDesc() : checkDesc(std::make_unique<CheckDesc>()) {}

void CheckBoxDesc::draw(const Rectangle& rectangle)
{
    ButtonDesc::draw(rectangle);
    BasicButton* owner = button();
    if (!owner || !checkDesc) return;
    const Rectangle area = owner->rectangle();
    const float side = markShare * area.height;
    const float x = area.x + markIndent, y = area.y + (area.height - side) / 2.0f;
    checkDesc->owner = owner;
    checkDesc->draw(Rectangle(x, y, x + side, y + side));
}

template <class Archive>
void CheckBoxDesc::serialize(Archive& archive)
{
    ButtonDesc::serialize(archive);
    archive.description("checkDesc", checkDesc);
}

ZORIR_REGISTER_SERIALIZABLE(CheckBoxDesc, "CheckBoxDesc")

}  // namespace Zorir
