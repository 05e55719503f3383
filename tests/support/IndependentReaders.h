// Independent readers of the symbols we make: zxing-cpp (the reader inside many phone scanners)
// and zbar. What they make of a picture is what the world makes of our symbols.
#pragma once

// zxing-cpp's error macros would break zbar's classes of those names.
#pragma push_macro("FormatError")
#pragma push_macro("ChecksumError")
#pragma push_macro("UnsupportedError")
#undef FormatError
#undef ChecksumError
#undef UnsupportedError
#include <zbar.h>
#pragma pop_macro("FormatError")
#pragma pop_macro("ChecksumError")
#pragma pop_macro("UnsupportedError")

#define ZX_USE_UTF8 1
#include <ZXing/ReadBarcode.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/imaging.h"

namespace testsupport {

struct Reading {
    bool found = false;
    std::string bytes;     // the symbol's data bytes
    std::string textUtf8;  // zxing-cpp only: the bytes as text, by its rules
    std::string ecLevel;   // zxing-cpp only
};

// zxing-cpp's reading. Kanji-mode characters are always Shift JIS to it; byte-mode text is
// read in `characterSet` when given (the text's own code page: a byte-mode symbol carries no
// name for it), else in the code page zxing-cpp guesses.
inline Reading readWithZxing(const platform::RgbImage& image, const std::string& characterSet = {}) {
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::QRCode);
    if (!characterSet.empty()) hints.setCharacterSet(characterSet);
    const ZXing::ImageView view(image.rgb.data(), image.width, image.height, ZXing::ImageFormat::RGB);
    const ZXing::Result result = ZXing::ReadBarcode(view, hints);
    Reading r;
    if (!result.isValid()) return r;
    r.found = true;
    r.bytes.assign(result.bytes().begin(), result.bytes().end());
    r.textUtf8 = result.text();
    r.ecLevel = result.ecLevel();
    return r;
}

// zbar's reading of the raw bytes (its binary mode, as `zbarimg --raw -Sbinary`).
inline Reading readWithZbar(const platform::RgbImage& image) {
    std::vector<uint8_t> grey(static_cast<size_t>(image.width) * image.height);
    for (size_t i = 0; i < grey.size(); ++i) grey[i] = image.rgb[i * 3 + 1];
    zbar::ImageScanner scanner;
    scanner.set_config(zbar::ZBAR_NONE, zbar::ZBAR_CFG_ENABLE, 0);
    scanner.set_config(zbar::ZBAR_QRCODE, zbar::ZBAR_CFG_ENABLE, 1);
    scanner.set_config(zbar::ZBAR_QRCODE, zbar::ZBAR_CFG_BINARY, 1);
    zbar::Image picture(static_cast<unsigned>(image.width), static_cast<unsigned>(image.height), "Y800", grey.data(),
                        grey.size());
    Reading r;
    if (scanner.scan(picture) <= 0) return r;
    for (zbar::Image::SymbolIterator symbol = picture.symbol_begin(); symbol != picture.symbol_end(); ++symbol) {
        if (symbol->get_type() != zbar::ZBAR_QRCODE) continue;
        r.found = true;
        r.bytes = symbol->get_data();
        break;
    }
    picture.set_data(nullptr, 0);
    return r;
}

// Expects both readers to read `image` exactly: zxing-cpp the text (in `characterSet` as for
// readWithZxing) and the bytes, zbar the bytes.
inline void expectReadBackExactly(const platform::RgbImage& image, const std::string& textUtf8, const std::string& bytes,
                                  const std::string& characterSet = {}) {
    const Reading zx = readWithZxing(image, characterSet);
    EXPECT_TRUE(zx.found) << "zxing-cpp";
    EXPECT_EQ(zx.textUtf8, textUtf8);
    EXPECT_EQ(zx.bytes, bytes);
    const Reading zbar = readWithZbar(image);
    EXPECT_TRUE(zbar.found) << "zbar";
    EXPECT_EQ(zbar.bytes, bytes);
}

}  // namespace testsupport
