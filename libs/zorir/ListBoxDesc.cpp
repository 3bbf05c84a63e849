#include "libs/zorir/ListBoxDesc.h"

#include "libs/zorir/core/XMLInputArchive.h"
#include "libs/zorir/core/XMLOutputArchive.h"

namespace Zorir {

void ListBoxDesc::drawLine(int32_t, const Rectangle&) {}

ZORIR_REGISTER_SERIALIZABLE(ListBoxDesc, "ListBoxDesc")

}  // namespace Zorir
