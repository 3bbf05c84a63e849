#pragma once

#include <cstdint>
#include <string>

namespace Zorir {

// Pixels that the renderer turns into a texture on first use (handle 0
// until then). Rows are tightly packed, 3 or 4 bytes per pixel, red first.
class Image {
public:
    struct Size {
        uint32_t width = 0;
        uint32_t height = 0;
    };

    explicit Image(const std::string& fileName = std::string()) : fileName_(fileName) {}
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;
    // Deletes the texture, if one was made.
    virtual ~Image();

    virtual Size size() const = 0;
    virtual uint32_t numberOfBitsPerPixel() const = 0;
    virtual const uint8_t* pixels() const = 0;
    virtual uint8_t* pixels() = 0;
    // Gives the image back to whoever provided it.
    virtual void release() = 0;

    const std::string& fileName() const { return fileName_; }
    uint32_t handle() const { return handle_; }
    void setHandle(uint32_t handle) { handle_ = handle; }

private:
    std::string fileName_;
    uint32_t handle_ = 0;
};

}  // namespace Zorir
