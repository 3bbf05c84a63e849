#pragma once

#include "libs/zorir/LayoutInfo.h"

#include <cstdint>
#include <string>

namespace Zorir {

// Where a window goes in a ComplexGridLayouter: its first cell (automatic
// by default: after the previous window) and how many cells it spans, with
// the gaps kept inside the cell area.
class ComplexGridCellInfo : public LayoutInfo {
public:
    static constexpr uint32_t automatic = 100000;
    static const std::string typeName;

    const std::string& type() const override { return typeName; }

    uint32_t columnSpan = 1;
    uint32_t rowSpan = 1;
    uint32_t column = automatic;
    uint32_t row = automatic;
    float horizontalSpacing = 3.0f;
    float verticalSpacing = 3.0f;
};

}  // namespace Zorir
