#include "tests/editor/support/WindowPicture.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace quillow::test {

namespace {

constexpr uint8_t kInk = 150;

uint8_t channel(unsigned long pixel, unsigned long mask)
{
    if (mask == 0) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1u)) ++shift;
    const unsigned long value = (pixel & mask) >> shift;
    const unsigned long top = mask >> shift;
    return static_cast<uint8_t>(value * 255u / top);
}

bool isInk(const Colour& c)
{
    return c.r > kInk && c.g > kInk && c.b > kInk;
}

}  // namespace

void PrintTo(const ColumnRun& run, std::ostream* out)
{
    *out << run.first << ".." << run.last;
}

WindowPicture WindowPicture::of(const std::string& display, unsigned long window)
{
    WindowPicture picture;
    Display* connection = XOpenDisplay(display.c_str());
    if (!connection) return picture;
    XWindowAttributes attributes{};
    XImage* image = nullptr;
    if (window && XGetWindowAttributes(connection, window, &attributes)) {
        image = XGetImage(connection, window, 0, 0, static_cast<unsigned>(attributes.width),
                          static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    }
    if (image) {
        picture.width_ = attributes.width;
        picture.height_ = attributes.height;
        picture.pixels_.reserve(static_cast<size_t>(picture.width_) * static_cast<size_t>(picture.height_));
        for (int y = 0; y < picture.height_; ++y) {
            for (int x = 0; x < picture.width_; ++x) {
                const unsigned long pixel = XGetPixel(image, x, y);
                picture.pixels_.push_back({channel(pixel, image->red_mask), channel(pixel, image->green_mask),
                                           channel(pixel, image->blue_mask)});
            }
        }
        XDestroyImage(image);
    }
    XCloseDisplay(connection);
    return picture;
}

Colour WindowPicture::at(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return {0, 0, 0};
    return pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
}

std::vector<ColumnRun> WindowPicture::inkRuns(const Area& area) const
{
    std::vector<ColumnRun> runs;
    bool inRun = false;
    for (int x = area.x; x < area.x + area.width; ++x) {
        bool inked = false;
        for (int y = area.y; y < area.y + area.height && !inked; ++y) inked = isInk(at(x, y));
        if (inked && inRun) {
            runs.back().last = x;
        } else if (inked) {
            runs.push_back({x, x});
        }
        inRun = inked;
    }
    return runs;
}

}  // namespace quillow::test
