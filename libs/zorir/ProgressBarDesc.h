#pragma once

#include "libs/zorir/RenderDesc.h"

#include <memory>

namespace Zorir {

class ProgressSource;

// A progress bar's look: the done part in the full look (from the left, or
// from the bottom when vertical), the rest in the empty look, a border round
// both.
class ProgressBarDesc : public RenderDesc {
public:
    ProgressBarDesc();

    // Only the border without an owner.
    void draw(const Rectangle& rectangle) override;

    template <class Archive>
    void serialize(Archive& archive);

    std::unique_ptr<RenderDesc> horzEmptyDesc;
    std::unique_ptr<RenderDesc> horzFullDesc;
    std::unique_ptr<RenderDesc> vertEmptyDesc;
    std::unique_ptr<RenderDesc> vertFullDesc;
    std::unique_ptr<RenderDesc> border;
    // The bar being drawn; set before each draw.
    const ProgressSource* owner = nullptr;

private:
    void drawFill(const Rectangle& inner);
};

}  // namespace Zorir
