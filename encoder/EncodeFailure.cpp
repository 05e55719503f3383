#include "encoder/EncodeFailure.h"

bool EncodeFailure::start(bool argumentsInRange, int forLevel, const unsigned char* source, int length) {
    *this = EncodeFailure{};
    sourceBytes = length;
    level = forLevel;
    if (!argumentsInRange || length < 0 || (source == nullptr && length > 0)) return fail(Kind::InvalidArgument);
    if (length == 0) return fail(Kind::EmptyInput);
    return true;
}

int EncodeFailure::fail(Kind failed) {
    kind = failed;
    return 0;
}

int EncodeFailure::tooLong(int tooSmallSymbol, int capacityThere, int neededThere) {
    symbol = tooSmallSymbol;
    capacity = capacityThere;
    needed = neededThere;
    return fail(Kind::TooLong);
}

int EncodeFailure::versionTooSmall(int tooSmallSymbol, int capacityThere, int neededThere, int fittingSymbol) {
    symbol = tooSmallSymbol;
    capacity = capacityThere;
    needed = neededThere;
    fitting = fittingSymbol;
    return fail(Kind::VersionTooSmall);
}

std::string EncodeFailure::describe(const Wording& wording) const {
    const auto number = [](int n) { return std::to_string(n); };
    switch (kind) {
        case Kind::None: return {};
        case Kind::InvalidArgument: return "invalid encoder arguments";
        case Kind::EmptyInput: return "no data to encode";
        case Kind::LevelNotInVersion: return wording.levelMissing(symbol, level);
        case Kind::TooLong:
        case Kind::VersionTooSmall: break;
    }
    std::string text = "data too long for " + wording.symbolAtLevel(symbol, level) + ": " + number(sourceBytes) + " bytes";
    if (needed == 0 && kind == Kind::TooLong) {
        return text + ", more than any " + wording.anySymbol + " holds (" + number(wording.maxSourceLength) +
               " digits at most)";
    }
    if (needed == 0) text += wording.modesMissing(symbol);
    else text += " need " + number(needed) + " " + wording.unit + ", the symbol holds " + number(capacity);
    if (kind == Kind::VersionTooSmall) text += "; " + wording.smallestThatFits(fitting, symbol, level);
    return text;
}
