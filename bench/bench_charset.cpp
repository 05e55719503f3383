// Which character set do readers show byte data in when no ECI designator names one? Ours,
// zxing-cpp and zbar, in one run, on the same pictures: symbols of Shift JIS, GBK, ISO-8859-1 and
// UTF-8 texts in byte mode (tests/data/charsets, made by tests/data/make_charset_fixtures.py),
// right / wrong / failed per language. With --table, each text's decision too: the evidence for
// each candidate, the rule that decided and the set chosen. A wrong text from ours makes the
// program exit with status 1.
//
// With --texts FILE (lines LANGUAGE<TAB>TEXT, as tests/data/charsets/texts.txt or the output of
// bench/charset_catalogues.py) the decision alone runs on each text's bytes, without symbols:
// right and wrong per language, the wrong ones listed.
//
//   bench_charset [--table | --texts FILE]
#include <zbar.h>
// after zbar's headers, whose Error its macros would clash with
#include <ZXing/ReadBarcode.h>
#include <ZXing/TextUtfEncoding.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "decoder/BitMatrix.h"
#include "decoder/CharacterSets.h"
#include "decoder/CharsetChoice.h"
#include "decoder/SymbolReader.h"
#include "platform/imaging.h"
#include "platform/text.h"
#include "tests/support/SymbolFixtures.h"

namespace {

struct Fixture {
    std::string maker, language, bytes, text;
    BitMatrix modules;
};

using testsupport::fromHex;

// Headers "MAKER<TAB>LANGUAGE<TAB>BYTES-HEX<TAB>TEXT-UTF8-HEX".
std::vector<Fixture> fixtures(const std::string& path) {
    std::vector<Fixture> list;
    for (testsupport::SymbolFixture& f : testsupport::readSymbolFixtures(path))
        if (f.fields.size() == 4)
            list.push_back({f.fields[0], f.fields[1], fromHex(f.fields[2]), fromHex(f.fields[3]), std::move(f.modules)});
    return list;
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

// Each reader's text in UTF-8, or nothing when it read no symbol.
struct Read {
    bool found = false;
    std::string text;
    const char* charset = nullptr;  // ours: the character set it chose
};

Read readOurs(const platform::RgbImage& picture) {
    const PictureReading r = readPicture(picture);
    if (r.symbols.empty()) return {};
    return {true, r.symbols[0].textUtf8, r.symbols[0].charset};
}

Read readZxing(const platform::RgbImage& picture) {
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::QRCode);
    const ZXing::Result r =
        ZXing::ReadBarcode({picture.rgb.data(), picture.width, picture.height, ZXing::ImageFormat::RGB}, hints);
    if (!r.isValid()) return {};
    return {true, ZXing::TextUtfEncoding::ToUtf8(r.text())};
}

// zbar's text: its own guess of the character set, converted to UTF-8.
Read readZbar(const platform::RgbImage& picture) {
    zbar::ImageScanner scanner;
    scanner.set_config(zbar::ZBAR_NONE, zbar::ZBAR_CFG_ENABLE, 0);
    scanner.set_config(zbar::ZBAR_QRCODE, zbar::ZBAR_CFG_ENABLE, 1);
    std::vector<uint8_t> grey(static_cast<size_t>(picture.width) * picture.height);
    for (size_t i = 0; i < grey.size(); ++i) grey[i] = picture.rgb[3 * i];
    zbar::Image frame(picture.width, picture.height, "Y800", grey.data(), grey.size());
    scanner.scan(frame);
    Read read;
    if (frame.symbol_begin() != frame.symbol_end()) read = {true, frame.symbol_begin()->get_data()};
    frame.set_data(nullptr, 0);
    return read;
}

struct Tally {
    int right = 0, wrong = 0, failed = 0;
    void add(const Read& read, const std::string& expected) {
        (!read.found ? failed : read.text == expected ? right : wrong)++;
    }
};

const char* ruleName(CharsetChoice::Rule rule) {
    switch (rule) {
        case CharsetChoice::Rule::Ascii: return "ascii";
        case CharsetChoice::Rule::Utf8: return "utf-8";
        case CharsetChoice::Rule::ProgramGbk: return "program";
        case CharsetChoice::Rule::KanjiMode: return "kanji";
        case CharsetChoice::Rule::Evidence: return "evidence";
    }
    return "";
}

std::string score(int value) { return value == CharsetChoice::kIllFormed ? "-" : std::to_string(value); }

struct Language {
    const char* name;
    Charset charset;
    const char* iconvName;
};
constexpr Language kLanguages[] = {
    {"ja", Charset::ShiftJis, charsets::kShiftJis},
    {"zh", Charset::Gbk, charsets::kGbk},
    {"latin", Charset::Latin1, charsets::kLatin1},
    {"utf8", Charset::Utf8, charsets::kUtf8},
};

// `text` in the language's character set; false when the set cannot hold it.
bool bytesOf(const Language& language, const std::string& text, std::string& bytes) {
    const std::u16string wide = platform::utf8ToUtf16(text);
    switch (language.charset) {
        case Charset::Utf8: bytes = text; return true;
        case Charset::Latin1:
            bytes.clear();
            for (const char16_t c : wide) {
                if (c > 0xFF) return false;
                bytes += static_cast<char>(c);
            }
            return true;
        case Charset::Gbk:
        case Charset::ShiftJis:
            bytes = platform::wideToMultiByte(language.charset == Charset::Gbk ? platform::kCodePageGbk : platform::kCodePageShiftJis,
                                              wide, false);
            return charsets::toText(language.iconvName, bytes) == wide;
    }
    return false;
}

int decideTexts(const char* path) {
    std::ifstream in(path);
    if (!in) {
        std::fprintf(stderr, "bench_charset: cannot read %s\n", path);
        return 2;
    }
    struct Count {
        int texts = 0, right = 0;
        std::map<std::string, int> wrongAs;
    };
    std::map<std::string, Count> counts;
    std::string line, bytes;
    while (std::getline(in, line)) {
        const size_t tab = line.find('\t');
        if (line.empty() || line[0] == '#' || tab == std::string::npos) continue;
        const std::string name = line.substr(0, tab), text = line.substr(tab + 1);
        for (const Language& language : kLanguages) {
            if (name != language.name || !bytesOf(language, text, bytes)) continue;
            const CharsetChoice c = chooseCharset(bytes, false);
            if (c.rule == CharsetChoice::Rule::Ascii) continue;
            Count& count = counts[name];
            ++count.texts;
            if (c.charset == language.charset) {
                ++count.right;
                continue;
            }
            ++count.wrongAs[charsetName(c.charset)];
            std::printf("%-6s as %-10s %6s %6s %6s  %s\n", name.c_str(), charsetName(c.charset), score(c.scores[0]).c_str(),
                        score(c.scores[1]).c_str(), score(c.scores[2]).c_str(), text.c_str());
        }
    }
    std::printf("\n%-8s %7s %7s  %s\n", "language", "texts", "right", "wrong, as");
    for (const auto& [name, count] : counts) {
        std::printf("%-8s %7d %7d ", name.c_str(), count.texts, count.right);
        for (const auto& [as, n] : count.wrongAs) std::printf(" %s %d", as.c_str(), n);
        std::printf("\n");
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2 && std::strcmp(argv[1], "--texts") == 0) return decideTexts(argv[2]);
    const bool table = argc > 1 && std::strcmp(argv[1], "--table") == 0;
    const std::vector<Fixture> list = fixtures(std::string(MEROVASK_TEST_DATA) + "/charsets/symbols.txt");
    if (list.empty()) {
        std::fprintf(stderr, "bench_charset: no fixtures\n");
        return 2;
    }
    if (table) std::printf("%-6s %-9s %6s %6s %6s  %-9s %-10s %s\n", "lang", "maker", "GBK", "SJIS", "Latin1", "rule", "read as", "text");
    std::map<std::string, Tally[3]> tallies;
    int oursWrong = 0;
    for (const Fixture& f : list) {
        const platform::RgbImage picture = render(f.modules);
        const Read mine = readOurs(picture);
        Tally* t = tallies[f.language];
        t[0].add(mine, f.text);
        t[1].add(readZxing(picture), f.text);
        t[2].add(readZbar(picture), f.text);
        if (mine.found && mine.text != f.text) {
            ++oursWrong;
            std::fprintf(stderr, "wrong text: %s read as %s\n", f.text.c_str(), mine.text.c_str());
        }
        if (table) {
            // The evidence over all the data; the reader weighs the data of its byte segments.
            const CharsetChoice c = chooseCharset(f.bytes, false);
            const std::string chosen = mine.charset ? mine.charset : "-";
            const bool evidence = c.rule == CharsetChoice::Rule::Evidence;
            std::printf("%-6s %-9s %6s %6s %6s  %-9s %-10s %s%s\n", f.language.c_str(), f.maker.c_str(),
                        evidence ? score(c.scores[0]).c_str() : "", evidence ? score(c.scores[1]).c_str() : "",
                        evidence ? score(c.scores[2]).c_str() : "", ruleName(c.rule), chosen.c_str(), f.text.c_str(),
                        mine.text == f.text ? "" : "   <- WRONG");
        }
    }
    std::printf("\n%-8s %22s   %22s   %22s\n", "language", "ours right/wrong/fail", "zxing right/wrong/fail",
                "zbar right/wrong/fail");
    for (const auto& [language, t] : tallies) {
        std::printf("%-8s %8d %6d %6d   %8d %6d %6d   %8d %6d %6d\n", language.c_str(), t[0].right, t[0].wrong, t[0].failed,
                    t[1].right, t[1].wrong, t[1].failed, t[2].right, t[2].wrong, t[2].failed);
    }
    return oursWrong > 0 ? 1 : 0;
}
