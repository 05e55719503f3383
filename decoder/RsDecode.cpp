#include "decoder/RsDecode.h"

#include <algorithm>
#include <cstring>

int RsDecode::decode(uint8_t* data, int length, bool noCorrect) const {
    const int p = parityCount;
    if (p < 1 || p > kMaxParity || length < p || length > 255) return kBadLength;

    int32_t syndromes[kMaxParity];
    if (galois.computeSyndromes(data, length, syndromes, p)) return kNoError;

    int32_t sigma[kMaxParity + 1] = {};
    const int degree = findErrorLocator(syndromes, sigma);
    if (degree <= 0) return kUncorrectable;

    int32_t positions[kMaxParity];
    if (!findErrorPositions(sigma, degree, length, positions)) return kUncorrectable;

    // omega = syndromes x sigma, truncated to P coefficients.
    int32_t omega[kMaxParity] = {};
    galois.multiplyPolynomials(omega, p, syndromes, p, sigma, degree + 1);
    // Forney, with the code's first root alpha^0: the value at locator X is
    // X omega(1/X) / sigma'(1/X). sigma' keeps only the odd terms of sigma.
    int32_t derivative[kMaxParity + 1] = {};
    for (int j = 1; j <= degree; j += 2) derivative[j - 1] = sigma[j];

    uint8_t corrected[255];
    std::memcpy(corrected, data, static_cast<size_t>(length));
    for (int k = 0; k < degree; ++k) {
        const int exponent = length - 1 - positions[k];
        const int32_t denominator = evaluateAtInverse(derivative, degree - 1, exponent);
        if (denominator == 0) return kUncorrectable;
        const int32_t numerator = galois.multiplyPower(evaluateAtInverse(omega, p - 1, exponent), exponent);
        corrected[positions[k]] ^= static_cast<uint8_t>(galois.divide(numerator, denominator));
    }
    // A miscorrection (more errors than the code can correct, taken for fewer) leaves a block
    // that is not a code word.
    int32_t check[kMaxParity];
    if (!galois.computeSyndromes(corrected, length, check, p)) return kUncorrectable;
    if (!noCorrect) std::memcpy(data, corrected, static_cast<size_t>(length));
    return degree;
}

int RsDecode::findErrorLocator(const int32_t* syndromes, int32_t* sigma) const {
    const int p = parityCount;
    int32_t current[kMaxParity + 1] = {1};   // C
    int32_t previous[kMaxParity + 1] = {1};  // B, the locator before the last length change
    int32_t saved[kMaxParity + 1];
    int degree = 0;         // L
    int shift = 1;          // m: steps since the last length change
    int32_t lastDiscrepancy = 1;
    for (int n = 0; n < p; ++n) {
        int32_t discrepancy = syndromes[n];
        for (int i = 1; i <= degree; ++i) discrepancy ^= galois.multiply(current[i], syndromes[n - i]);
        if (discrepancy == 0) {
            ++shift;
            continue;
        }
        const int32_t factor = galois.divide(discrepancy, lastDiscrepancy);
        const bool lengthens = 2 * degree <= n;
        if (lengthens) std::copy(current, current + p + 1, saved);
        for (int i = shift; i <= p; ++i) current[i] ^= galois.multiply(factor, previous[i - shift]);
        if (lengthens) {
            degree = n + 1 - degree;
            std::copy(saved, saved + p + 1, previous);
            lastDiscrepancy = discrepancy;
            shift = 1;
        } else {
            ++shift;
        }
    }
    if (degree > p / 2) return -1;
    for (int i = degree + 1; i <= p; ++i)
        if (current[i] != 0) return -1;  // the locator is longer than its degree: no valid pattern
    std::copy(current, current + degree + 1, sigma);
    return degree;
}

int32_t RsDecode::evaluateAtInverse(const int32_t* poly, int degree, int exponent) const {
    // Horner's rule at x = alpha^(-exponent).
    const int inverse = (255 - exponent % 255) % 255;
    int32_t value = 0;
    for (int j = degree; j >= 0; --j) value = galois.multiplyPower(value, inverse) ^ poly[j];
    return value;
}

bool RsDecode::findErrorPositions(const int32_t* sigma, int degree, int length, int32_t* positions) const {
    int found = 0;
    for (int index = 0; index < length; ++index) {
        // The byte at `index` has locator alpha^(length - 1 - index).
        if (evaluateAtInverse(sigma, degree, length - 1 - index) != 0) continue;
        if (found == degree) return false;
        positions[found++] = index;
    }
    return found == degree;
}
