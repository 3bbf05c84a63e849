#pragma once

#include <string>

namespace Zorir {

// Placement data that comes with a child window when it is added to a
// panel; each layouter understands its own kind.
class LayoutInfo {
public:
    virtual ~LayoutInfo() = default;
    // Names the kind of information.
    virtual const std::string& type() const = 0;
};

}  // namespace Zorir
