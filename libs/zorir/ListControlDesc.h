#pragma once

#include "libs/zorir/Color.h"
#include "libs/zorir/ListWindowDesc.h"

namespace Zorir {

// A list control's look: each line a row of columns, with separators
// between the columns.
class ListControlDesc : public ListWindowDesc {
public:
    void drawLine(int32_t index, const Rectangle& line) override;

    template <class Archive>
    void serialize(Archive& archive)
    {
        ListWindowDesc::serialize(archive);
        archive.field("separatorWidth", separatorWidth);
        archive.field("separatorColor", separatorColor);
    }

    float separatorWidth = 1.0f;
    Color separatorColor{1.0f, 1.0f, 1.0f, 0.75f};
};

}  // namespace Zorir
