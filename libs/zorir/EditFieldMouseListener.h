#pragma once

#include "libs/zorir/MouseListener.h"

#include <cstdint>

namespace Zorir {

class EditField;

// Places the cursor where the left button presses and selects while it drags.
class EditFieldMouseListener : public MouseListener {
public:
    explicit EditFieldMouseListener(EditField& field) : field_(field) {}

    bool onClick(const MouseClickMessage& message) override;
    bool onMove(const MouseMessage& message) override;

private:
    // The pointer's x from the field's left edge.
    float fieldX(const MouseMessage& message) const;
    int32_t indexAt(float x) const;

    EditField& field_;
};

}  // namespace Zorir
