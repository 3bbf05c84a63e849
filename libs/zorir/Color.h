#pragma once

namespace Zorir {

// RGBA, each channel in 0..1; opaque black by default.
class Color {
public:
    Color() = default;
    Color(float r, float g, float b, float a) : red(r), green(g), blue(b), alpha(a)
    {
    }
    Color(const Color&) = default;
    Color& operator=(const Color&) = default;
    virtual ~Color() = default;

    bool operator==(const Color& other) const
    {
        return red == other.red && green == other.green && blue == other.blue && alpha == other.alpha;
    }

    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
    float alpha = 1.0f;
};

}  // namespace Zorir
