#pragma once

#include "libs/zorir/MouseListener.h"

#include <cstdint>

namespace Zorir {

class ListWindow;

// Selects with a left press, highlights the line under the pointer, and
// turns releases into the list's click signals.
class ListWindowMouseListener : public MouseListener {
public:
    explicit ListWindowMouseListener(ListWindow& list) : list_(list) {}

    bool onClick(const MouseClickMessage& message) override;
    bool onMove(const MouseMessage& message) override;
    bool onLeave(const MouseMessage& message) override;

private:
    bool overLines(const MouseMessage& message) const;
    // The line under the pointer, or -1 below the last one.
    int32_t lineUnder(const MouseMessage& message) const;

    ListWindow& list_;
};

}  // namespace Zorir
