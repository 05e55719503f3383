// Does the reader tell the truth? Ours and zxing-cpp, in one run, on the same pictures:
//  1. symbols of other encoders in every data mode and other encoders' picture files (their data
//     bytes), the program's own Chinese symbols with byte pairs in kanji mode (their text):
//     right / wrong / failed;
//  2. Reed-Solomon capacity: symbols of sampled versions and levels with E wrong codewords in
//     every block, E from the block's capacity floor(e/2) up: right / wrong / failed per layout.
// A wrong text from ours makes the program exit with status 1.
//
//   bench_truth [--trials N]
#include <ZXing/ReadBarcode.h>
#include <ZXing/TextUtfEncoding.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "decoder/Codewords.h"
#include "decoder/DecoderTables.h"
#include "decoder/SymbolReader.h"
#include "encoder/QR_Encode.h"
#include "platform/imaging.h"
#include "platform/text.h"
#include "tests/support/SymbolFixtures.h"

namespace {

struct Tally {
    int right = 0, wrong = 0, failed = 0;
    void add(int verdict) { (verdict > 0 ? right : verdict < 0 ? wrong : failed)++; }
};

// What a picture must read as: its data bytes, or (where a reader must also decide what the
// bytes say) its text in UTF-8.
struct Expected {
    std::string data;
    bool isText = false;
};

// 1 right, -1 wrong, 0 failed.
int oursOn(const platform::RgbImage& picture, const Expected& expected) {
    const PictureReading r = readPicture(picture);
    if (r.symbols.empty()) return 0;
    return (expected.isText ? r.symbols[0].textUtf8 : r.symbols[0].bytes) == expected.data ? 1 : -1;
}

int zxingOn(const platform::RgbImage& picture, const Expected& expected) {
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::QRCode);
    hints.setTryHarder(true);
    const ZXing::Result r =
        ZXing::ReadBarcode({picture.rgb.data(), picture.width, picture.height, ZXing::ImageFormat::RGB}, hints);
    if (!r.isValid()) return 0;
    const ZXing::ByteArray& bytes = r.bytes();
    const std::string got = expected.isText ? ZXing::TextUtfEncoding::ToUtf8(r.text()) : std::string(bytes.begin(), bytes.end());
    return got == expected.data ? 1 : -1;
}

platform::RgbImage render(const BitMatrix& m, int scale = 4) {
    const int quiet = 4, side = (m.width() + 2 * quiet) * scale;
    platform::RgbImage picture(side, side, 0xFF);
    for (int y = 0; y < m.height(); ++y)
        for (int x = 0; x < m.width(); ++x)
            if (m.get(x, y))
                for (int py = 0; py < scale; ++py)
                    for (int px = 0; px < scale; ++px) {
                        uint8_t* p = picture.pixel((x + quiet) * scale + px, (y + quiet) * scale + py);
                        p[0] = p[1] = p[2] = 0;
                    }
    return picture;
}

using testsupport::fromHex;
using testsupport::tabFields;

void printRow(const char* name, const Tally& ours, const Tally& zxing) {
    std::printf("%-34s %6d %6d %6d   %6d %6d %6d\n", name, ours.right, ours.wrong, ours.failed, zxing.right, zxing.wrong,
                zxing.failed);
}

void printHeader(const char* first) {
    std::printf("%-34s %20s   %20s\n", first, "ours right/wrong/fail", "zxing right/wrong/fail");
}

int fixtureSection(const std::string& data, Tally& oursTotal) {
    printHeader("fixtures");
    struct Set {
        const char* name;
        std::vector<std::pair<platform::RgbImage, Expected>> pictures;
    };
    std::vector<Set> sets(3);
    sets[0].name = "other encoders, every mode";
    for (const testsupport::SymbolFixture& f : testsupport::readSymbolFixtures(data + "/modes/symbols.txt"))
        sets[0].pictures.emplace_back(render(f.modules), Expected{fromHex(f.fields[4])});
    sets[1].name = "program's kanji-packed Chinese";
    for (const testsupport::SymbolFixture& f : testsupport::readSymbolFixtures(data + "/legacy/legacy_kanji.txt")) {
        // "ENCODING LEVEL TEXT": the text as the program made it, through GBK for gb2312 (which
        // turned characters GBK lacks into '?'), with the program's closing zero byte.
        const std::string text = f.header.substr(f.header.find(' ', f.header.find(' ') + 1) + 1);
        const std::u16string wide = platform::utf8ToUtf16(text);
        const std::string shown = f.header.rfind("gb2312", 0) == 0
            ? platform::utf16ToUtf8(platform::multiByteToWide(936, platform::wideToMultiByte(936, wide, false)))
            : text;
        sets[1].pictures.emplace_back(render(f.modules), Expected{shown + std::string(1, '\0'), true});
    }
    sets[2].name = "other encoders' picture files";
    std::ifstream manifest(data + "/foreign/manifest.txt");
    std::string line;
    while (std::getline(manifest, line)) {
        if (line.empty() || line[0] == '#') continue;
        const std::vector<std::string> f = tabFields(line);
        platform::RgbImage picture;
        if (platform::decodeImageFile(data + "/foreign/" + f[0], picture).empty())
            sets[2].pictures.emplace_back(std::move(picture), Expected{fromHex(f[4])});
    }
    int oursWrong = 0;
    for (const Set& set : sets) {
        Tally ours, zxing;
        for (const auto& [picture, expected] : set.pictures) {
            ours.add(oursOn(picture, expected));
            zxing.add(zxingOn(picture, expected));
        }
        printRow(set.name, ours, zxing);
        oursWrong += ours.wrong;
        oursTotal.right += ours.right;
        oursTotal.wrong += ours.wrong;
        oursTotal.failed += ours.failed;
    }
    return oursWrong;
}

// Index in the interleaved stream of codeword k of block b.
int interleavedIndex(const qrdec::DecoderVersionInfo& info, int level, int b, int k) {
    const qrdec::BlockKind& s = info.firstBlocks[level];
    const int blocks = s.blockCount + info.secondBlocks[level].blockCount;
    const int dataLength = s.dataCodewordsPerBlock + (b < s.blockCount ? 0 : 1);
    if (k < s.dataCodewordsPerBlock) return k * blocks + b;
    if (k < dataLength) return s.dataCodewordsPerBlock * blocks + (b - s.blockCount);
    return info.dataCodewords[level] + (k - dataLength) * blocks + b;
}

int capacitySection(int trials, Tally& oursTotal) {
    std::printf("\n");
    printHeader("layout, wrong codewords per block");
    std::mt19937 rng(18004);
    int oursWrong = 0;
    for (int version : {1, 2, 5, 7, 10, 16, 25, 40}) {
        for (int level = 0; level < 4; ++level) {
            const qrdec::DecoderVersionInfo& info = *qrdec::decoderVersionInfo(version);
            const qrdec::BlockKind& s = info.firstBlocks[level];
            const int blocks = s.blockCount + info.secondBlocks[level].blockCount;
            const int capacity = (s.codewordsPerBlock - s.dataCodewordsPerBlock) / 2;
            const auto positions = dataModulePositions(version);
            for (int extra : {0, 1, 2, 4}) {
                Tally ours, zxing;
                for (int trial = 0; trial < trials; ++trial) {
                    std::string text(static_cast<size_t>(info.dataCodewords[level] - 3), 'a');
                    for (char& c : text) c = static_cast<char>('a' + rng() % 26);
                    auto e = std::make_unique<CQREncoder>();
                    e->encode(level, version, 0, -1, reinterpret_cast<const unsigned char*>(text.data()),
                              static_cast<int>(text.size()));
                    BitMatrix m(e->side, e->side);
                    for (int x = 0; x < e->side; ++x)
                        for (int y = 0; y < e->side; ++y) m.set(x, y, e->modules[x][y] != 0);
                    for (int b = 0; b < blocks; ++b) {
                        const int length = s.codewordsPerBlock + (b < s.blockCount ? 0 : 1);
                        std::vector<int> ks(static_cast<size_t>(length));
                        for (int k = 0; k < length; ++k) ks[k] = k;
                        std::shuffle(ks.begin(), ks.end(), rng);
                        for (int i = 0; i < capacity + extra; ++i) {
                            const int index = interleavedIndex(info, level, b, ks[i]);
                            const auto [x, y] = positions[static_cast<size_t>(8 * index + static_cast<int>(rng() % 8))];
                            m.flip(x, y);
                        }
                    }
                    const platform::RgbImage picture = render(m, 3);
                    ours.add(oursOn(picture, Expected{text}));
                    zxing.add(zxingOn(picture, Expected{text}));
                }
                char name[64];
                std::snprintf(name, sizeof name, "%2d-%c %2d x (%3d,%3d)  %2d%s", version, "LMQH"[level], blocks,
                              s.codewordsPerBlock, s.dataCodewordsPerBlock, capacity + extra,
                              extra == 0 ? " (=cap)" : "");
                printRow(name, ours, zxing);
                oursWrong += ours.wrong;
                oursTotal.right += ours.right;
                oursTotal.wrong += ours.wrong;
                oursTotal.failed += ours.failed;
            }
        }
    }
    return oursWrong;
}

}  // namespace

int main(int argc, char** argv) {
    int trials = 10;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--trials") == 0) trials = std::max(1, std::atoi(argv[i + 1]));
    const std::string data = MEROVASK_TEST_DATA;
    Tally ours;
    const int wrong = fixtureSection(data, ours) + capacitySection(trials, ours);
    std::printf("\nours in all: %d right, %d wrong, %d failed\n", ours.right, ours.wrong, ours.failed);
    if (wrong > 0) {
        std::fprintf(stderr, "bench_truth: ours gave %d wrong texts\n", wrong);
        return 1;
    }
    return 0;
}
