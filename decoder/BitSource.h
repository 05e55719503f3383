// Reads a byte string as a stream of bits, most significant bit of each byte first.
#pragma once

#include <cstddef>
#include <cstdint>

class BitSource {
public:
    BitSource(const uint8_t* bytes, size_t length) : data(bytes), size(length) {}

    size_t available() const { return 8 * size - position; }
    // The next n (0..32) bits; n must not exceed available().
    uint32_t read(int n) {
        uint32_t value = 0;
        for (int k = 0; k < n; ++k, ++position)
            value = value << 1 | ((data[position >> 3] >> (7 - (position & 7))) & 1);
        return value;
    }

private:
    const uint8_t* data;
    size_t size;
    size_t position = 0;
};
