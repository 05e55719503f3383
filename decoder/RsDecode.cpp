#include "decoder/RsDecode.h"

int RsDecode::decode(uint8_t* data, int length, bool noCorrect) const {
    const int p = parityCount;
    if (length < p || length > 255 || p < 0 || p > kMaxParity) return kBadLength;

    int32_t syndromes[kMaxParity + 1];
    if (galois.computeSyndromes(data, length, syndromes, p)) return kNoError;

    int32_t sigma[kMaxParity + 1] = {};
    int32_t omega[kMaxParity + 1] = {};
    const int degree = findErrorLocator(syndromes, sigma, omega);
    if (degree <= 0) return kUncorrectable;

    int32_t locators[kMaxParity + 1];
    if (!findErrorPositions(sigma, degree, length, locators)) return kUncorrectable;

    // Forney: all values are found before any byte changes, so a failure leaves the block as read.
    int32_t values[kMaxParity + 1];
    for (int k = 0; k < degree; ++k) {
        const int32_t z = 255 - galois.logOf(locators[k]);
        int32_t evaluator = omega[0];
        for (int j = 1; j < degree; ++j) evaluator ^= galois.multiplyPower(omega[j], (z * j) % 255);
        int32_t derivative = sigma[1];
        for (int j = 2; j < degree; j += 2) derivative ^= galois.multiplyPower(sigma[j + 1], (z * j) % 255);
        if (derivative == 0) return kUncorrectable;
        values[k] = galois.multiply(locators[k], galois.divide(evaluator, derivative));
    }
    if (!noCorrect) {
        for (int k = 0; k < degree; ++k) data[galois.errorIndex(length, locators[k])] ^= static_cast<uint8_t>(values[k]);
    }
    return degree;
}

int RsDecode::findErrorLocator(const int32_t* syndromes, int32_t* sigma, int32_t* omega) const {
    const int p = parityCount;
    int32_t current[kMaxParity + 2] = {};     // C, the locator so far
    int32_t correction[kMaxParity + 2] = {};  // B, kept multiplied by x
    int32_t next[kMaxParity + 2];
    current[0] = 1;
    correction[1] = 1;
    int degree = 0;
    int lastChange = -1;
    for (int n = 0; n < p; ++n) {
        int32_t discrepancy = syndromes[n];
        for (int i = 1; i <= degree; ++i) discrepancy ^= galois.multiply(current[i], syndromes[n - i]);
        if (discrepancy != 0) {
            for (int i = 0; i <= p; ++i) next[i] = i <= n ? current[i] ^ galois.multiply(discrepancy, correction[i]) : 0;
            const int k = n - lastChange;
            if (k > degree) {
                lastChange = n - degree;
                degree = k;
                if (degree > p / 2) return -1;
                for (int i = 0; i <= p; ++i) correction[i] = galois.divide(current[i], discrepancy);
            }
            for (int i = 0; i <= p; ++i) current[i] = next[i];
        }
        // Multiply B by x. The whole polynomial moves up: B starts as x itself, and a shift of
        // only its first coefficient would lose it when the first syndromes are zero.
        for (int i = p; i >= 1; --i) correction[i] = correction[i - 1];
        correction[0] = 0;
    }
    const int kept = p / 2 + 1;
    int32_t s[kMaxParity + 1] = {};
    for (int i = 0; i < p; ++i) s[i] = syndromes[i];
    galois.multiplyPolynomials(omega, kept, current, p, s, p);
    const int sigmaLength = p < p / 2 + 2 ? p : p / 2 + 2;
    for (int i = 0; i < sigmaLength; ++i) sigma[i] = current[i];
    return degree;
}

int32_t RsDecode::evaluateLocator(const int32_t* sigma, int degree, int32_t exponent) const {
    // sigma(alpha^-exponent)
    int32_t sum = 1;
    for (int j = 1; j <= degree; ++j) sum ^= galois.multiplyPower(sigma[j], ((255 - exponent) * j) % 255);
    return sum;
}

bool RsDecode::findErrorPositions(const int32_t* sigma, int degree, int length, int32_t* locators) const {
    int32_t last = sigma[1];  // the sum of all locators
    if (degree == 1) {
        if (last == 0 || galois.logOf(last) >= length) return false;
        locators[0] = last;
        return true;
    }
    int remaining = degree;
    for (int i = 0; i < length; ++i) {
        if (evaluateLocator(sigma, degree, i) != 0) continue;
        const int32_t x = galois.power(i);
        locators[--remaining] = x;
        last ^= x;
        if (remaining == 1) {
            // The last locator follows from the sum. It must be a root of its own, not yet
            // found (so above alpha^i) and inside the block; otherwise the locator does not
            // describe real errors and correcting by it would corrupt the block.
            if (last == 0) return false;
            const int32_t e = galois.logOf(last);
            if (e <= i || e >= length || evaluateLocator(sigma, degree, e) != 0) return false;
            locators[0] = last;
            return true;
        }
    }
    return false;
}
