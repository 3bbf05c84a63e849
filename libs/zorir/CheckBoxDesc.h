#pragma once

#include "libs/zorir/ButtonDesc.h"
#include "libs/zorir/CheckDesc.h"

#include <memory>

namespace Zorir {

// A check box's look: a button look with the check mark in a square at
// its left, two thirds of its height.
class CheckBoxDesc : public ButtonDesc {
public:
    CheckBoxDesc();

    void draw(const Rectangle& rectangle) override;

    template <class Archive>
    void serialize(Archive& archive);

    std::unique_ptr<CheckDesc> checkDesc;
};

}  // namespace Zorir
