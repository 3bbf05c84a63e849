#include "libs/zorir/ListBoxDesc.h"

#include "libs/zorir/ListBox.h"
#include "libs/zorir/core/XMLInputArchive.h"
#include "libs/zorir/core/XMLOutputArchive.h"

namespace Zorir {

void ListBoxDesc::drawLine(int32_t index, const Rectangle& line)
{
    const auto* list = dynamic_cast<const ListBox*>(owner);
    if (!list) return;
    drawText(list->stringAt(index), lineBar(index, line), line);
}

ZORIR_REGISTER_SERIALIZABLE(ListBoxDesc, "ListBoxDesc")

}  // namespace Zorir
