#pragma once

#include "libs/zorir/Image.h"

namespace Zorir {

// A black 4 × 4 placeholder for looks that name no image. One shared
// instance, created on first use and kept for the life of the process.
class NilImage : public Image {
public:
    static NilImage& instance();

    Size size() const override { return {side, side}; }
    uint32_t numberOfBitsPerPixel() const override { return 24; }
    const uint8_t* pixels() const override { return pixels_; }
    uint8_t* pixels() override { return pixels_; }
    void release() override {}

private:
    NilImage() = default;

    static constexpr uint32_t side = 4;
    uint8_t pixels_[side * side * 3] = {};
};

}  // namespace Zorir
