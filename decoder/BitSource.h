// Reads a byte string as a stream of bits, most significant bit of each byte first.
#pragma once

#include <cstddef>
#include <cstdint>

class BitSource {
public:
    // `bitCount`: the stream ends after that many bits (a short last codeword); 0 = every bit.
    BitSource(const uint8_t* bytes, size_t length, size_t bitCount = 0)
        : data(bytes), size(bitCount > 0 && bitCount < 8 * length ? bitCount : 8 * length) {}

    size_t available() const { return size - bitPosition; }
    size_t position() const { return bitPosition; }
    // The next n (0..32) bits; n must not exceed available().
    uint32_t read(int n) {
        const uint32_t value = peek(n);
        bitPosition += static_cast<size_t>(n);
        return value;
    }
    // The next n bits without moving on.
    uint32_t peek(int n) const {
        uint32_t value = 0;
        for (size_t k = 0, at = bitPosition; k < static_cast<size_t>(n); ++k, ++at)
            value = value << 1 | ((data[at >> 3] >> (7 - (at & 7))) & 1);
        return value;
    }

private:
    const uint8_t* data;
    size_t size;  // in bits
    size_t bitPosition = 0;
};
