#pragma once

#include <cstdint>

namespace Vornet_Private {

// A set of 512 bits; out-of-range bits are warned about and ignored.
class BitArray {
public:
    static constexpr int32_t bitCount = 512;

    BitArray() { clear(); }
    void clear();
    void set(int32_t bit);
    bool get(int32_t bit) const;
    void reset(int32_t bit);
    void fill();
    uint32_t word(int32_t index) const { return m_words[index]; }

private:
    uint32_t m_words[bitCount / 32];
};

}  // namespace Vornet_Private
