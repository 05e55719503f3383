#include "decoder/SymbolReader.h"

#include <algorithm>
#include <cmath>

#include "decoder/MicroTables.h"
#include "decoder/SymbolSize.h"
#include "platform/text.h"

namespace {

double area(const DecodedSymbol& s) {
    // The shoelace formula over the four corners.
    double twice = 0;
    for (size_t i = 0; i < 4; ++i) twice += cross(s.corners[i], s.corners[(i + 1) % 4]);
    return std::abs(twice) / 2;
}

}  // namespace

const DecodedSymbol* largestSymbol(const PictureReading& reading) {
    const auto larger = [](const DecodedSymbol& a, const DecodedSymbol& b) { return area(a) < area(b); };
    const auto it = std::max_element(reading.symbols.begin(), reading.symbols.end(), larger);
    return it == reading.symbols.end() ? nullptr : &*it;
}

const char* failureMessage(ReadFailure failure) {
    switch (failure) {
        case ReadFailure::None: return "symbol read";
        case ReadFailure::NotFound: return "no symbol found";
        case ReadFailure::FormatUnreadable:
        case ReadFailure::Damaged: return "symbol found but damaged beyond correction";
        case ReadFailure::Malformed: return "symbol found but its data is malformed";
        case ReadFailure::Unsupported: return "symbol found but it uses a mode this reader does not support";
    }
    return "no symbol found";
}

std::u16string_view shownText(const DecodedSymbol& symbol) {
    std::u16string_view text = symbol.text;
    if (!symbol.bytes.empty() && symbol.bytes.back() == '\0' && !text.empty() && text.back() == u'\0')
        text.remove_suffix(1);
    return text;
}

const char* formatName(SymbolFormat format) {
    switch (format) {
        case SymbolFormat::QR: return "QR";
        case SymbolFormat::MicroQR: return "MicroQR";
        case SymbolFormat::RMQR: return "rMQR";
    }
    return "QR";
}

std::string versionName(SymbolFormat format, int version) {
    const ModuleCount size = symbolModules(format, version);
    switch (format) {
        case SymbolFormat::QR: return std::to_string(version);
        case SymbolFormat::MicroQR: return std::string("M").append(std::to_string(version));
        case SymbolFormat::RMQR:
            return std::string("R").append(std::to_string(size.height)).append("x").append(std::to_string(size.width));
    }
    return std::to_string(version);
}

ModuleCount symbolModules(SymbolFormat format, int version) {
    switch (format) {
        case SymbolFormat::QR: return {symbolSide(version), symbolSide(version)};
        case SymbolFormat::MicroQR: return {microSide(version), microSide(version)};
        case SymbolFormat::RMQR: {
            const RmqrSize size = kRmqrSizes[static_cast<size_t>(std::clamp(version, 1, 32) - 1)];
            return {size.width, size.height};
        }
    }
    return {};
}

char levelLetter(int ecLevel) { return ecLevel >= 0 && ecLevel < 4 ? "LMQH"[ecLevel] : '?'; }

SymbolReading readSymbol(const platform::RgbImage& picture) {
    SymbolReading result;
    const PictureReading reading = readPicture(picture);
    result.reason = reading.failure;
    const DecodedSymbol* symbol = largestSymbol(reading);
    if (symbol == nullptr) {
        result.failure = failureMessage(reading.failure);
        return result;
    }
    result.found = true;
    result.text = shownText(*symbol);
    result.textUtf8 = platform::utf16ToUtf8(result.text);
    result.version = symbol->version;
    result.ecLevel = symbol->ecLevel;
    return result;
}

SymbolReading readSymbolFile(const std::string& utf8Path) {
    platform::RgbImage picture;
    const std::string error = platform::decodeImageFile(utf8Path, picture);
    if (!error.empty()) {
        SymbolReading result;
        result.failure = error;
        return result;
    }
    return readSymbol(picture);
}
