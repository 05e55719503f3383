#include "decoder/Galois.h"

Galois::Galois() {
    int32_t a = 1;
    logTable[0] = 0;  // log 0 is undefined; callers test for 0 first
    for (int i = 0; i < 255; ++i) {
        powerTable[i] = a;
        powerTable[i + 255] = a;
        logTable[a] = i;
        const bool carry = (a & 0x80) != 0;
        a = (a << 1) & 0xFF;
        if (carry) a ^= 0x1D;
    }
}

const Galois& Galois::field() {
    static const Galois tables;
    return tables;
}

int32_t Galois::multiply(int32_t a, int32_t b) const {
    if (a == 0 || b == 0) return 0;
    return powerTable[logTable[a] + logTable[b]];
}

int32_t Galois::multiplyPower(int32_t a, int32_t e) const {
    if (a == 0) return 0;
    return powerTable[logTable[a] + e];
}

int32_t Galois::divide(int32_t a, int32_t b) const {
    if (a == 0) return 0;
    return powerTable[logTable[a] - logTable[b] + 255];
}

void Galois::multiplyPolynomials(int32_t* out, int outLength, const int32_t* a, int aLength, const int32_t* b,
                                 int bLength) const {
    for (int i = 0; i < outLength; ++i) out[i] = 0;
    for (int i = 0; i < aLength && i < outLength; ++i) {
        if (a[i] == 0) continue;
        const int32_t logA = logTable[a[i]];
        for (int j = 0; j < bLength && i + j < outLength; ++j) {
            if (b[j] == 0) continue;
            out[i + j] ^= powerTable[logA + logTable[b[j]]];
        }
    }
}

bool Galois::computeSyndromes(const uint8_t* data, int length, int32_t* out, int count) const {
    // out[i] = sum over bytes of data[j] alpha^(i k) with k = length - 1 - j: each nonzero byte
    // adds alpha^(log data[j] + i k) to every syndrome, the exponent stepping by k.
    for (int i = 0; i < count; ++i) out[i] = 0;
    for (int j = 0; j < length; ++j) {
        if (data[j] == 0) continue;
        const int32_t k = (length - 1 - j) % 255;
        int32_t exponent = logTable[data[j]];
        for (int i = 0; i < count; ++i) {
            out[i] ^= powerTable[exponent];
            exponent += k;
            if (exponent >= 255) exponent -= 255;
        }
    }
    for (int i = 0; i < count; ++i)
        if (out[i] != 0) return false;
    return true;
}
