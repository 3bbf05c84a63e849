#include "vornet_bitarray.h"

#include <cstring>

#include "vornet_log.h"

namespace Vornet_Private {

void BitArray::clear()
{
    std::memset(m_words, 0, sizeof(m_words));
}

void BitArray::set(int32_t bit)
{
    if (bit < 0 || bit >= bitCount) {
        logRaw("!WARNING: BitArray::set(%d): invalid bit", bit);
        return;
    }
    m_words[bit / 32] |= 1u << (bit % 32);
}

void BitArray::reset(int32_t bit)
{
    if (bit < 0 || bit >= bitCount) {
        logRaw("!WARNING: BitArray::set(%d): invalid bit", bit);
        return;
    }
    m_words[bit / 32] &= ~(1u << (bit % 32));
}

void BitArray::fill()
{
    std::memset(m_words, 0xFF, sizeof(m_words));
}

bool BitArray::get(int32_t bit) const
{
    if (bit < 0 || bit >= bitCount) {
        logRaw("!WARNING: BitArray::get(%d): invalid bit", bit);
        return false;
    }
    return (m_words[bit / 32] >> (bit % 32)) & 1u;
}

}  // namespace Vornet_Private
