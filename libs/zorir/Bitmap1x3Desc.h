#pragma once

#include "libs/zorir/BitmapDesc.h"

#include <cstdint>

namespace Zorir {

// A bitmap cut into three columns: the left and right parts keep their
// widths in pixels (the offsets), the middle part stretches over the rest, so
// a button image can grow without distorting its ends.
class Bitmap1x3Desc : public BitmapDesc {
public:
    void draw(const Rectangle& rectangle) override;

    template <class Archive>
    void serialize(Archive& archive);

    int32_t leftOffset = 0;
    int32_t rightOffset = 0;
};

}  // namespace Zorir
