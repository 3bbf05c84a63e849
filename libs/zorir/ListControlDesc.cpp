#include "libs/zorir/ListControlDesc.h"

#include "libs/zorir/core/XMLInputArchive.h"
#include "libs/zorir/core/XMLOutputArchive.h"

namespace Zorir {

void ListControlDesc::drawLine(int32_t, const Rectangle&) {}

ZORIR_REGISTER_SERIALIZABLE(ListControlDesc, "ListControlDesc")

}  // namespace Zorir
