#include "decoder/SymbolReader.h"

#include <algorithm>
#include <cmath>

#include "decoder/ContentDecoder.h"
#include "decoder/QRcodeImage.h"
#include "platform/text.h"

namespace {

// The detector's sampled matrix as a module matrix (1 = dark).
BitMatrix sampledModules(const QRcodeImage& image) {
    BitMatrix m(image.side, image.side);
    for (int x = 0; x < image.side; ++x)
        for (int y = 0; y < image.side; ++y) m.set(x, y, image.module(x, y) != 0);
    return m;
}

double area(const DecodedSymbol& s) {
    // The shoelace formula over the four corners.
    double twice = 0;
    for (size_t i = 0; i < 4; ++i) {
        const PicturePoint& a = s.corners[i];
        const PicturePoint& b = s.corners[(i + 1) % 4];
        twice += a.x * b.y - b.x * a.y;
    }
    return std::abs(twice) / 2;
}

}  // namespace

PictureReading readPicture(const platform::RgbImage& picture) {
    PictureReading reading;
    QRcodeImage image(picture);
    detectionFailed = false;
    image.detect();
    if (detectionFailed) {
        detectionFailed = false;
        return reading;
    }
    const BitMatrix modules = sampledModules(image);
    // A symbol seen from behind is its matrix transposed.
    for (const bool mirrored : {false, true}) {
        ContentReading r = ContentDecoder::read(mirrored ? modules.transposed() : modules);
        if (r.failure == ReadFailure::None) {
            r.symbol.mirrored = mirrored;
            reading.symbols.push_back(std::move(r.symbol));
            reading.failure = ReadFailure::None;
            return reading;
        }
        reading.failure = furthest(reading.failure, r.failure);
    }
    return reading;
}

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
    result.text = symbol->text.substr(0, symbol->text.find(u'\0'));
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
