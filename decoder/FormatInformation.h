// The symbol's format information (error-correction level and mask, a BCH (15, 5) code word in
// two copies) and version information (versions 7 and up, a BCH (18, 6) code word in two
// copies). Both codes have a minimum distance of 7 or more, so a copy is decoded when it lies
// within 3 bits of a code word; anything further is unreadable, never a guess.
#pragma once

#include <cstdint>
#include <optional>

#include "decoder/BitMatrix.h"

struct FormatInformation {
    int ecLevel = 0;  // 0 = L, 1 = M, 2 = Q, 3 = H
    int mask = 0;     // 0..7
};

// The 15 bits of one copy as read from the symbol, bit 14 first (the 0x5412 mask still on).
std::optional<FormatInformation> decodeFormatBits(uint32_t bits);
// The format code word nearest to the 15 bits of one copy, and how many bits differ from it:
// how sure a reading is, beyond whether it decodes.
struct FormatMatch {
    int value = 0;   // level indicator in bits 4-3, mask in bits 2-0
    int errors = 0;  // 0..15
};
FormatMatch nearestFormat(uint32_t bits);
// The first copy (around the upper-left finder pattern), else the second.
std::optional<FormatInformation> readFormatInformation(const BitMatrix& modules);
// The 15 bits of each copy, for tests and for the detector's own checks.
uint32_t formatBitsOfCopy(const BitMatrix& modules, int copy);

// The 18 bits of one copy, bit 17 first. Returns the version (7..40).
std::optional<int> decodeVersionBits(uint32_t bits);
// The copy above the lower-left finder pattern, else the one left of the upper-right one.
std::optional<int> readVersionInformation(const BitMatrix& modules);
uint32_t versionBitsOfCopy(const BitMatrix& modules, int copy);
