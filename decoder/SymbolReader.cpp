#include "decoder/SymbolReader.h"

#include <memory>

#include "decoder/ContentDecoder.h"
#include "decoder/QRcodeImage.h"
#include "platform/text.h"

namespace {

SymbolReading readDetected(QRcodeImage& image) {
    SymbolReading result;
    detectionFailed = false;
    image.detect();
    if (detectionFailed) {
        detectionFailed = false;
        result.failure = "no symbol found";
        return result;
    }
    const int version = image.finder.version;
    image.bitmap.clear();
    image.bitmap.shrink_to_fit();
    auto matrix = std::make_unique<uint8_t[][177]>(177);
    image.copyModules(matrix.get());
    auto decoder = std::make_unique<ContentDecoder>();
    if (decoder->run(4 * version + 17, version, matrix.get()) != 1) {
        result.failure = "no symbol found";
        return result;
    }
    result.found = true;
    result.text = decoder->text;
    result.textUtf8 = platform::utf16ToUtf8(decoder->text);
    result.version = decoder->version;
    result.ecLevel = decoder->ecLevel;
    return result;
}

}  // namespace

SymbolReading readSymbol(const platform::RgbImage& picture) {
    QRcodeImage image(picture);
    return readDetected(image);
}

SymbolReading readSymbolFile(const std::string& utf8Path) {
    QRcodeImage image(platform::utf8ToUtf16(utf8Path));
    if (!image.loadError().empty()) {
        SymbolReading result;
        result.failure = image.loadError();
        return result;
    }
    return readDetected(image);
}

PictureReading readPicture(const platform::RgbImage& picture) {
    PictureReading reading;
    const SymbolReading one = readSymbol(picture);
    if (!one.found) return reading;
    DecodedSymbol symbol;
    symbol.text = one.text;
    symbol.textUtf8 = one.textUtf8;
    symbol.version = one.version;
    symbol.ecLevel = one.ecLevel;
    reading.symbols.push_back(std::move(symbol));
    reading.failure = ReadFailure::None;
    return reading;
}

const DecodedSymbol* largestSymbol(const PictureReading& reading) {
    return reading.symbols.empty() ? nullptr : &reading.symbols.front();
}

const char* failureMessage(ReadFailure failure) {
    switch (failure) {
        case ReadFailure::None: return "symbol read";
        case ReadFailure::NotFound: return "no symbol found";
        case ReadFailure::FormatUnreadable: return "symbol found but its format information is unreadable";
        case ReadFailure::Damaged: return "symbol found but damaged beyond correction";
        case ReadFailure::Malformed: return "symbol found but its data is malformed";
        case ReadFailure::Unsupported: return "symbol found but uses a feature this reader does not support";
    }
    return "no symbol found";
}

char levelLetter(int ecLevel) { return ecLevel >= 0 && ecLevel < 4 ? "LMQH"[ecLevel] : '?'; }
