#pragma once

#include <cstdint>

namespace Zorir {

// What a progress bar's look asks of the window it draws.
class ProgressSource {
public:
    virtual ~ProgressSource() = default;

    virtual bool isVertical() const = 0;
    // How much is done, 0 to 100.
    virtual int32_t percentage() const = 0;
};

}  // namespace Zorir
