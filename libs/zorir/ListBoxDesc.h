#pragma once

#include "libs/zorir/ListWindowDesc.h"

namespace Zorir {

// A list box's look: each line is one string.
class ListBoxDesc : public ListWindowDesc {
public:
    void drawLine(int32_t index, const Rectangle& line) override;

    template <class Archive>
    void serialize(Archive& archive)
    {
        ListWindowDesc::serialize(archive);
    }
};

}  // namespace Zorir
