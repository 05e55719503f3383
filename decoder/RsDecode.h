// Reed-Solomon decoder for one block of QR codewords: syndromes, Berlekamp-Massey for the error
// locator, Chien search for the error positions and Forney's formula for the values.
//
// A decoder built with parity count P (the block's check codewords) evaluates the P syndromes
// R(alpha^0) .. R(alpha^(P-1)) and corrects up to P / 2 byte errors. A correction is only kept
// when the corrected block is a code word (all its syndromes zero), so a block beyond the
// code's reach is reported, never miscorrected into a block that merely looks decoded.
#pragma once

#include <cstdint>

#include "decoder/Galois.h"

class RsDecode {
public:
    static constexpr int kNoError = 0;
    static constexpr int kBadLength = -1;
    static constexpr int kUncorrectable = -2;

    explicit RsDecode(int parityCount) : parityCount(parityCount) {}

    // Decodes `length` bytes (data[0] is the highest-degree coefficient). Returns 0 when no
    // error was found, L > 0 when L errors were located (and corrected in place unless
    // `noCorrect`), -1 when length is outside P..255 or P outside 1..254, -2 when the errors are
    // beyond correction. On -1 and -2 the block is left exactly as it was.
    int decode(uint8_t* data, int length, bool noCorrect) const;

    // decode() with correction.
    int correct(uint8_t* data, int length) const { return decode(data, length, false); }

private:
    static constexpr int kMaxParity = 254;

    // The error locator sigma (sigma[0] = 1) of the syndromes; returns its degree, or -1 when
    // it exceeds P / 2.
    int findErrorLocator(const int32_t* syndromes, int32_t* sigma) const;
    // Fills positions[0..degree-1] with the byte indexes whose locators are roots of sigma;
    // false unless there are exactly `degree` of them inside the block.
    bool findErrorPositions(const int32_t* sigma, int degree, int length, int32_t* positions) const;
    // sigma or omega at alpha^(-exponent).
    int32_t evaluateAtInverse(const int32_t* poly, int degree, int exponent) const;

    const Galois& galois = Galois::field();
    int parityCount;
};
