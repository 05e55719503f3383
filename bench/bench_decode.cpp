// Decoding speed from an in-memory RGB picture, against zxing-cpp (QR only, tryHarder off and
// on) and zbar (QR only), in the same binary and run. Every library gets the same RGB bytes;
// zbar, which reads only grey (Y800), has the conversion inside its timing as we do.
//
//   bench_decode
// Every timed call's result is checked: a library that does not read the expected text stops
// its benchmark with an error.
#include <benchmark/benchmark.h>
#include <zbar.h>

#include <ZXing/ReadBarcode.h>

#include <cstdint>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "decoder/SymbolReader.h"
#include "encoder/QR_Encode.h"
#include "platform/imaging.h"

namespace {

struct Picture {
    platform::RgbImage rgb;
    std::string text;
};

std::string textFor(int version) {
    // About two thirds of the version's byte capacity at level M.
    static const int kBytesM[41] = {0,   14,  26,  42,  62,  84,  106, 122, 152, 180, 213, 251, 287, 331,
                                    362, 412, 450, 504, 560, 624, 666, 711, 779, 857, 911, 997, 1059,
                                    1125, 1190, 1264, 1370, 1452, 1538, 1628, 1722, 1809, 1911, 1989, 2099,
                                    2213, 2331};
    std::string s;
    const std::string pattern = "Merovask benchmark symbol https://example.org/0123456789 ";
    for (int i = 0; static_cast<int>(s.size()) < kBytesM[version] * 2 / 3; ++i) s += pattern[i % pattern.size()];
    return s;
}

// Draws the symbol with a 4-module quiet zone at (left, top) into `image`.
void drawSymbol(platform::RgbImage& image, const CQREncoder& e, int scale, int left, int top) {
    const int extent = (e.side + 8) * scale;
    for (int py = 0; py < extent; ++py)
        for (int px = 0; px < extent; ++px) {
            const int mx = px / scale - 4, my = py / scale - 4;
            const bool dark = mx >= 0 && my >= 0 && mx < e.side && my < e.side && e.modules[mx][my];
            uint8_t* p = image.pixel(left + px, top + py);
            p[0] = p[1] = p[2] = dark ? 0 : 255;
        }
}

const Picture& cleanPicture(int version) {
    static std::map<int, Picture> cache;
    auto it = cache.find(version);
    if (it != cache.end()) return it->second;
    Picture p;
    p.text = textFor(version);
    auto e = std::make_unique<CQREncoder>();
    e->encode(1, version, 0, -1, reinterpret_cast<const unsigned char*>(p.text.data()), static_cast<int>(p.text.size()));
    const int side = (e->side + 8) * 4;
    p.rgb = platform::RgbImage(side, side, 0xFF);
    drawSymbol(p.rgb, *e, 4, 0, 0);
    return cache.emplace(version, std::move(p)).first->second;
}

const Picture& noisyPicture() {
    static Picture p = [] {
        Picture q;
        q.text = textFor(10);
        q.rgb = platform::RgbImage(2000, 2000, 0xFF);
        std::mt19937 rng(2000);
        for (auto& byte : q.rgb.rgb) byte = 0;
        for (size_t i = 0; i < q.rgb.rgb.size(); i += 3) q.rgb.rgb[i] = q.rgb.rgb[i + 1] = q.rgb.rgb[i + 2] = rng() & 0xFF;
        auto e = std::make_unique<CQREncoder>();
        e->encode(1, 10, 0, -1, reinterpret_cast<const unsigned char*>(q.text.data()), static_cast<int>(q.text.size()));
        const int extent = (e->side + 8) * 8;
        drawSymbol(q.rgb, *e, 8, (2000 - extent) / 2, (2000 - extent) / 2);
        return q;
    }();
    return p;
}

const Picture& pictureFor(int64_t id) { return id == 0 ? noisyPicture() : cleanPicture(static_cast<int>(id)); }

void BM_Merovask(benchmark::State& state) {
    const Picture& p = pictureFor(state.range(0));
    for (auto _ : state) {
        const PictureReading r = readPicture(p.rgb);
        if (r.symbols.size() != 1 || r.symbols[0].textUtf8 != p.text) {
            state.SkipWithError("merovask: wrong or no text");
            break;
        }
    }
}

void zxingRead(benchmark::State& state, bool tryHarder) {
    const Picture& p = pictureFor(state.range(0));
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::QRCode);
    hints.setTryHarder(tryHarder);
    const std::wstring expected(p.text.begin(), p.text.end());
    for (auto _ : state) {
        const ZXing::Result r =
            ZXing::ReadBarcode({p.rgb.rgb.data(), p.rgb.width, p.rgb.height, ZXing::ImageFormat::RGB}, hints);
        if (!r.isValid() || r.text() != expected) {
            state.SkipWithError("zxing-cpp: wrong or no text");
            break;
        }
    }
}

void BM_ZXing(benchmark::State& state) { zxingRead(state, false); }
void BM_ZXingTryHarder(benchmark::State& state) { zxingRead(state, true); }

void BM_Zbar(benchmark::State& state) {
    const Picture& p = pictureFor(state.range(0));
    const int w = p.rgb.width, h = p.rgb.height;
    std::vector<uint8_t> grey(static_cast<size_t>(w) * h);
    zbar::ImageScanner scanner;
    scanner.set_config(zbar::ZBAR_NONE, zbar::ZBAR_CFG_ENABLE, 0);
    scanner.set_config(zbar::ZBAR_QRCODE, zbar::ZBAR_CFG_ENABLE, 1);
    for (auto _ : state) {
        const uint8_t* rgb = p.rgb.rgb.data();
        for (size_t i = 0; i < grey.size(); ++i, rgb += 3) grey[i] = static_cast<uint8_t>((30u * rgb[0] + 59u * rgb[1] + 11u * rgb[2]) / 100u);
        zbar::Image image(w, h, "Y800", grey.data(), grey.size());
        const int n = scanner.scan(image);
        const bool right = n > 0 && image.symbol_begin() != image.symbol_end() && image.symbol_begin()->get_data() == p.text;
        image.set_data(nullptr, 0);
        if (!right) {
            state.SkipWithError("zbar: wrong or no text");
            break;
        }
    }
}

// Argument: version of a clean 4-pixel-per-module render, or 0 for the 2000 x 2000 noise picture
// holding a version-10 symbol at 8 pixels per module.
void cases(benchmark::internal::Benchmark* b) {
    for (int id : {1, 10, 25, 40, 0}) b->Arg(id);
    b->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_Merovask)->Apply(cases);
BENCHMARK(BM_ZXing)->Apply(cases);
BENCHMARK(BM_ZXingTryHarder)->Apply(cases);
BENCHMARK(BM_Zbar)->Apply(cases);

}  // namespace

BENCHMARK_MAIN();
