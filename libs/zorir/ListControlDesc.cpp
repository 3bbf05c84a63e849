#include "libs/zorir/ListControlDesc.h"

#include "libs/zorir/ListControl.h"
#include "libs/zorir/Renderer.h"
#include "libs/zorir/core/XMLInputArchive.h"
#include "libs/zorir/core/XMLOutputArchive.h"

namespace Zorir {

void ListControlDesc::drawLine(int32_t index, const Rectangle& line)
{
    const auto* control = dynamic_cast<const ListControl*>(owner);
    if (!control) return;
    const ListControl::Row& row = control->row(index);
    const Color textColor = lineBar(index, line);
    float x = line.x;
    for (int32_t column = 0; column < control->numberOfColumns(); ++column) {
        const float width = control->columnWidths()[static_cast<std::size_t>(column)];
        drawText(row.text(column), textColor, Rectangle(x, line.y, x + width, line.y + line.height));
        x += width;
        if (column + 1 < control->numberOfColumns() && separatorWidth > 0.0f) {
            // Between two columns, centred on their boundary.
            setColor(separatorColor);
            const float half = 0.5f * separatorWidth;
            drawRectangle({x - half, line.y}, {x + half, line.y + line.height}, true);
        }
    }
}

ZORIR_REGISTER_SERIALIZABLE(ListControlDesc, "ListControlDesc")

}  // namespace Zorir
