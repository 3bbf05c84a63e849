// The bytes of one fuzz input, taken from the front: a harness reads its
// choices here and hands the rest to the code under test. Past the end every
// choice reads 0, so any input, however short, is a whole run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace fuzz {

class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool empty() const { return size_ == 0; }
    size_t size() const { return size_; }

    uint8_t byte()
    {
        if (size_ == 0) return 0;
        --size_;
        return *data_++;
    }
    uint16_t word()
    {
        const uint16_t low = byte();
        return static_cast<uint16_t>(low | byte() << 8);
    }
    // The next count bytes (fewer when the input ends) as an input of its own.
    FuzzInput take(size_t count)
    {
        if (count > size_) count = size_;
        FuzzInput part(data_, count);
        data_ += count;
        size_ -= count;
        return part;
    }
    // The rest, copied into a buffer of exactly its size, so that the
    // sanitizer sees any read past its end.
    std::vector<char> rest()
    {
        std::vector<char> bytes(data_, data_ + size_);
        data_ += size_;
        size_ = 0;
        return bytes;
    }

private:
    const uint8_t* data_;
    size_t size_;
};

}  // namespace fuzz
