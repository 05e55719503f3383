// Why an encoder's last encode returned 0, and the one line that tells the user. The QR, Micro
// QR and rMQR encoders check their sources and record their failures alike; each names its own
// symbols through a Wording.
#pragma once

#include <cstdint>
#include <string>

class EncodeFailure {
public:
    // LevelNotInVersion: the version asked for lacks the level (Micro QR only).
    enum class Kind { None, InvalidArgument, EmptyInput, TooLong, VersionTooSmall, LevelNotInVersion };

    // How one family of symbols is named. A symbol is a version or a size number.
    struct Wording {
        std::string (*symbolAtLevel)(int symbol, int level);  // "version 2 at level L", "M3-L"
        // What follows "; " when `tooSmall` was asked for and `fitting` holds the source.
        std::string (*smallestThatFits)(int fitting, int tooSmall, int level);
        const char* anySymbol;    // "more than any <anySymbol> holds"
        int32_t maxSourceLength;  // digits the largest symbol holds
        const char* unit;         // how capacities are counted: "data codewords", "data bits"
        // Why a source fits no symbol of this version at any length (a mode it needs is
        // missing); only for families whose small versions lack modes.
        std::string (*modesMissing)(int symbol) = nullptr;
        // Why the level asked for is not to be had in `symbol`; only for families whose
        // versions lack levels.
        std::string (*levelMissing)(int symbol, int level) = nullptr;
    };

    Kind kind = Kind::None;
    int32_t sourceBytes = 0;
    int32_t level = 0;
    // The symbol that was too small (the largest there is, or the one asked for without
    // automatic extension), what it holds at the level, and what the source needs in it, in the
    // family's unit. `needed` is 0 when the source is longer than any symbol holds, or needs a
    // mode the symbol lacks.
    int32_t symbol = 0;
    int32_t capacity = 0;
    int32_t needed = 0;
    // For VersionTooSmall: the smallest symbol that holds the source, or -1 when none does.
    int32_t fitting = -1;

    // Starts the record of an encode of `length` bytes at `level`. Returns false, with the kind
    // set, when the arguments are out of range (`argumentsInRange` false, a negative length, no
    // source for its bytes) or there are no bytes.
    bool start(bool argumentsInRange, int level, const unsigned char* source, int length);

    // Record a failure and return 0, an encoder's result for it.
    int fail(Kind failed);
    int tooLong(int tooSmallSymbol, int capacityThere, int neededThere = 0);
    int versionTooSmall(int tooSmallSymbol, int capacityThere, int neededThere, int fittingSymbol);

    // One line on the failure, such as "data too long for version 40 at level H: 3000 bytes need
    // 3003 data codewords, the symbol holds 1276"; empty for None.
    std::string describe(const Wording& wording) const;
};
