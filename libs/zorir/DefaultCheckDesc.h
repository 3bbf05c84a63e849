#pragma once

#include "libs/zorir/Color.h"
#include "libs/zorir/RenderDesc.h"

namespace Zorir {

// A check mark: a square as high as the rectangle with a cross inside it.
class DefaultCheckDesc : public RenderDesc {
public:
    void draw(const Rectangle& rectangle) override;

    template <class Archive>
    void serialize(Archive& archive);

    Color color{1.0f, 1.0f, 1.0f, 0.75f};
};

}  // namespace Zorir
