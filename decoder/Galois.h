// Arithmetic in GF(256) with the QR code's primitive polynomial x^8 + x^4 + x^3 + x^2 + 1
// (0x11D) and alpha = 2, by power and logarithm tables.
#pragma once

#include <cstdint>

class Galois {
public:
    Galois();

    // The tables, built once and shared (they never change).
    static const Galois& field();

    // alpha^i for i = 0..509 (the table is doubled so sums of two logarithms need no reduction).
    int32_t power(int32_t i) const { return powerTable[i]; }
    // log_alpha(a) for a != 0.
    int32_t logOf(int32_t a) const { return logTable[a]; }

    int32_t multiply(int32_t a, int32_t b) const;
    // a * alpha^e, 0 <= e <= 254.
    int32_t multiplyPower(int32_t a, int32_t e) const;
    // a / b; b must not be 0.
    int32_t divide(int32_t a, int32_t b) const;

    // out = a * b truncated to outLength coefficients (index = degree).
    void multiplyPolynomials(int32_t* out, int outLength, const int32_t* a, int aLength, const int32_t* b,
                             int bLength) const;

    // out[i] = R(alpha^i) for i = 0..count-1, where data[0] is the highest-degree coefficient of R.
    // Returns true when every syndrome is zero.
    bool computeSyndromes(const uint8_t* data, int length, int32_t* out, int count) const;

private:
    int32_t powerTable[510];
    int32_t logTable[256];
};
