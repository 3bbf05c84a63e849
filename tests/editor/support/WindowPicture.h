#pragma once

// The pixels of an X window as the server holds them, for end-to-end tests
// that look at what the editor drew.
//
//   WindowPicture picture = editor.picture();
//   ASSERT_FALSE(picture.empty());
//   const Colour c = picture.at(512, 384);
//   const auto glyphs = picture.inkRuns({872, 72, 120, 26});

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace quillow::test {

struct Colour {
    uint8_t r, g, b;
};

// A rectangle of window pixels: left, top, width, height.
struct Area {
    int x, y, width, height;
};

// Columns of an area, from first to last inclusive.
struct ColumnRun {
    int first, last;
    int width() const { return last - first + 1; }
    bool operator==(const ColumnRun&) const = default;
};

// For test messages.
void PrintTo(const ColumnRun& run, std::ostream* out);

class WindowPicture {
public:
    // The window's pixels now; empty when the server gives none.
    static WindowPicture of(const std::string& display, unsigned long window);

    bool empty() const { return pixels_.empty(); }
    int width() const { return width_; }
    int height() const { return height_; }
    // Black outside the picture.
    Colour at(int x, int y) const;

    // The runs of neighbouring columns of the area that hold a light pixel
    // (every channel above 150), left to right: text drawn light on a dark
    // field gives one run per glyph, unless glyphs touch.
    std::vector<ColumnRun> inkRuns(const Area& area) const;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<Colour> pixels_;
};

}  // namespace quillow::test
