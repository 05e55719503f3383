// Reads every picture of a labelled corpus (bench/corpus/make_corpus.py) with our reader,
// zxing-cpp and zbar, in one process and one run, on the same decoded RGB pixels, and prints per
// category and in total how many pictures each reader read right, read wrong or missed, and the
// CPU time each took (the reading thread's, so that a busy machine does not blur the ratios).
//
//   bench_corpus CORPUS_DIR|MANIFEST [--category NAME] [--readers ours,zxing,zbar,zxing-wasm]
//                [--zxing-wasm SCRIPT] [--list-failures] [--stages] [--json] [--floors FILE]
//
// A picture counts as right for a reader when every symbol it holds was returned with its text
// or its data bytes; as wrong when the reader returned any symbol whose text and bytes match
// none of the picture's symbols; otherwise as not found (nothing, or only some of several).
// Symbols are counted too: the codes column is how many of the pictures' symbols a reader
// returned right (in pictures of many symbols, most of them may be read without the picture).
// With --floors FILE (lines "CATEGORY PICTURES [CODES]": our least right pictures and, if
// given, right symbols; # comments) the exit status is 1 when ours reads fewer than a floor,
// returns any wrong text, or when the file and the corpus disagree on the categories (a floor
// for a category the corpus lacks, or a category without a floor).
//
// zxing-cpp reads all QR symbols of the picture with tryHarder, tryRotate and tryDownscale (1.4
// has no inverted or mirrored option of its own); zbar reads QR only, with its retry on the
// inverted picture and its data as raw bytes. zbar reads grey only, so the conversion from
// RGB is inside its timing, as it is inside ours.
//
// With --zxing-wasm SCRIPT (bench/corpus/zxing_wasm.mjs, its package installed), the newest
// zxing-cpp built to WebAssembly reads the same decoded pixels in node, one process per
// category, as a fourth column. Its texts are judged like the others'; its time is
// WebAssembly's in node, not comparable with the readers in this process, and has no ratio.
#define ZX_USE_UTF8
#include <zbar.h>

#include <ZXing/ReadBarcode.h>
#include <ZXing/ZXVersion.h>
#include <nlohmann/json.hpp>

#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <cstring>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "decoder/SymbolReader.h"
#include "platform/imaging.h"

namespace {

using Json = nlohmann::json;

struct Expected {
    std::string text;   // UTF-8
    std::string bytes;  // the data bytes as they stand in the symbol's segments
};

struct Picture {
    std::string file;  // path of the picture
    std::string category;
    std::string desc;
    std::vector<Expected> symbols;
    bool small = false;  // holds Micro QR or rMQR symbols (a symbol's "format" in the manifest)
};

// One symbol a reader returned: its text and, where the reader gives them, its data bytes.
struct Returned {
    std::string text;
    std::string bytes;
};

enum class Verdict { Right, Wrong, NotFound };

// Our reader's stages on one picture (from its ReadTrace): what each found, summed over the
// ladder's attempts, and the attempt that read the first symbol.
struct Stages {
    int candidates = 0, triplesTried = 0, grids = 0, verified = 0;
    std::string readBy;  // "global", "local inverted", ...; empty when nothing was read
};

// What one reader made of one picture.
struct ReaderResult {
    std::vector<Returned> symbols;
    double seconds = 0;
    Verdict verdict = Verdict::NotFound;
    int codesRight = 0;      // the picture's symbols among those returned
    bool saidFound = false;  // ours only: nothing read, but the failure claims a symbol
    Stages stages;
};

struct Tally {
    int right = 0, wrong = 0, notFound = 0, codesRight = 0;
    int saidFound = 0;  // pictures ours answered with a damaged symbol instead of none found
    double seconds = 0;
    void add(const ReaderResult& r) {
        (r.verdict == Verdict::Right ? right : r.verdict == Verdict::Wrong ? wrong : notFound) += 1;
        codesRight += r.codesRight;
        saidFound += r.saidFound;
        seconds += r.seconds;
    }
    void add(const Tally& t) {
        right += t.right, wrong += t.wrong, notFound += t.notFound, codesRight += t.codesRight;
        saidFound += t.saidFound, seconds += t.seconds;
    }
};

const char* const kReaders[] = {"ours", "zxing", "zbar", "zxing-wasm"};
const char* const kNodeReader = "zxing-wasm";  // not in this process: no time ratio

// The reading thread's CPU time, not the wall clock: the readers here run on this one thread, and
// on a busy machine the wall clock counts the time other processes took as well.
double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double secondsSince(double start) { return cpuSeconds() - start; }

ReaderResult readOurs(const platform::RgbImage& image) {
    ReaderResult result;
    ReadTrace trace;
    const double start = cpuSeconds();
    const PictureReading reading = readPicture(image, &trace);
    result.seconds = secondsSince(start);
    for (const DecodedSymbol& s : reading.symbols) result.symbols.push_back({s.textUtf8, s.bytes});
    result.saidFound = reading.symbols.empty() && reading.failure != ReadFailure::NotFound;
    for (const ReadTrace::Attempt& a : trace.attempts) {
        Stages& st = result.stages;
        st.candidates += a.candidates, st.triplesTried += a.triplesTried, st.grids += a.gridsFitted, st.verified += a.verified;
        if (a.verified > 0 && st.readBy.empty()) st.readBy = std::string(a.binariser) + (a.inverted ? " inverted" : "");
    }
    return result;
}

// `small`: Micro QR as well (zxing-cpp 1.4 has no rMQR reader).
ReaderResult readZxing(const platform::RgbImage& image, bool small) {
    ZXing::DecodeHints hints;
    hints.setFormats(small ? ZXing::BarcodeFormat::QRCode | ZXing::BarcodeFormat::MicroQRCode : ZXing::BarcodeFormat::QRCode)
        .setTryHarder(true)
        .setTryRotate(true)
        .setTryDownscale(true);
    ReaderResult result;
    const double start = cpuSeconds();
    const ZXing::Results found =
        ZXing::ReadBarcodes({image.rgb.data(), image.width, image.height, ZXing::ImageFormat::RGB}, hints);
    result.seconds = secondsSince(start);
    for (const ZXing::Result& r : found)
        if (r.isValid()) result.symbols.push_back({r.text(), std::string(r.bytes().begin(), r.bytes().end())});
    return result;
}

ReaderResult readZbar(const platform::RgbImage& image) {
    zbar::ImageScanner scanner;
    scanner.set_config(zbar::ZBAR_NONE, zbar::ZBAR_CFG_ENABLE, 0);
    scanner.set_config(zbar::ZBAR_QRCODE, zbar::ZBAR_CFG_ENABLE, 1);
    scanner.set_config(zbar::ZBAR_QRCODE, zbar::ZBAR_CFG_BINARY, 1);
    scanner.set_config(zbar::ZBAR_NONE, zbar::ZBAR_CFG_TEST_INVERTED, 1);
    ReaderResult result;
    const double start = cpuSeconds();
    std::vector<uint8_t> grey(static_cast<size_t>(image.width) * image.height);
    const uint8_t* rgb = image.rgb.data();
    for (size_t i = 0; i < grey.size(); ++i, rgb += 3)
        grey[i] = static_cast<uint8_t>((30u * rgb[0] + 59u * rgb[1] + 11u * rgb[2]) / 100u);
    zbar::Image frame(image.width, image.height, "Y800", grey.data(), grey.size());
    scanner.scan(frame);
    result.seconds = secondsSince(start);
    // With raw bytes on, zbar's data is the symbol's bytes; it stands for the text as well
    // (the same for UTF-8 content).
    for (auto s = frame.symbol_begin(); s != frame.symbol_end(); ++s) result.symbols.push_back({s->get_data(), s->get_data()});
    frame.set_data(nullptr, 0);
    return result;
}

bool matches(const Returned& r, const Expected& e) { return r.text == e.text || (!r.bytes.empty() && r.bytes == e.bytes); }

// Sets the verdict and the count of the picture's symbols that were returned.
void judge(const Picture& p, ReaderResult& result) {
    bool anyUnknown = false;
    for (const Returned& r : result.symbols) {
        bool known = false;
        for (const Expected& e : p.symbols) known = known || matches(r, e);
        anyUnknown = anyUnknown || !known;
    }
    result.codesRight = 0;
    for (const Expected& e : p.symbols) {
        bool read = false;
        for (const Returned& r : result.symbols) read = read || matches(r, e);
        result.codesRight += read;
    }
    result.verdict = anyUnknown                                                ? Verdict::Wrong
                     : result.codesRight == static_cast<int>(p.symbols.size()) ? Verdict::Right
                                                                               : Verdict::NotFound;
}

std::string hexBytes(const std::string& hex) {
    std::string out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

// Reads the manifest (one JSON object per line): the pictures of `onlyCategory` (all when empty)
// and the names of all its categories. Returns an empty string or the reason.
std::string loadManifest(const std::filesystem::path& path, const std::string& onlyCategory, std::vector<Picture>& out,
                         std::set<std::string>& categories) {
    std::ifstream in(path);
    if (!in) return "cannot open " + path.string();
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (line.empty()) continue;
        const Json j = Json::parse(line, nullptr, false);
        if (j.is_discarded() || !j.contains("file") || !j.contains("category") || !j.contains("symbols"))
            return path.string() + ":" + std::to_string(number) + ": not a picture's record";
        Picture p{(path.parent_path() / j["file"].get<std::string>()).string(), j["category"], j.value("desc", ""), {}};
        for (const Json& s : j["symbols"]) {
            p.symbols.push_back({s["text"], hexBytes(s["hex"])});
            const std::string format = s.value("format", "QR");
            p.small = p.small || format == "MicroQR" || format == "rMQR";
        }
        categories.insert(p.category);
        if (onlyCategory.empty() || p.category == onlyCategory) out.push_back(std::move(p));
    }
    return out.empty() ? "no pictures in " + path.string() : "";
}

struct Floor {
    int pictures = 0;
    int codes = -1;  // -1: none
};

// The text cut to about 60 bytes, on a character boundary.
std::string shortText(const std::string& s) {
    if (s.size() <= 60) return s;
    size_t end = 57;
    while (end > 0 && (static_cast<unsigned char>(s[end]) & 0xC0) == 0x80) --end;
    return s.substr(0, end) + "...";
}

std::string quoted(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Reads the pictures of `indices` (one category) with the node script: writes their RGBA
// pixels and a list into `dir`, runs node once, and fills their results. Returns an empty
// string or the reason.
std::string readCategoryWithNode(const std::string& script, const std::filesystem::path& dir, const std::vector<Picture>& pictures,
                                 const std::vector<size_t>& indices, std::vector<ReaderResult>& out) {
    const std::filesystem::path list = dir / "list";
    std::ofstream listFile(list);
    for (size_t k = 0; k < indices.size(); ++k) {
        platform::RgbImage image;
        const std::string error = platform::decodeImageFile(pictures[indices[k]].file, image);
        if (!error.empty()) return pictures[indices[k]].file + ": " + error;
        const size_t count = static_cast<size_t>(image.width) * image.height;
        std::string rgba(count * 4, '\xff');
        for (size_t i = 0; i < count; ++i) std::memcpy(&rgba[4 * i], &image.rgb[3 * i], 3);
        const std::filesystem::path path = dir / (std::to_string(k) + ".rgba");
        std::ofstream(path, std::ios::binary).write(rgba.data(), static_cast<std::streamsize>(rgba.size()));
        listFile << image.width << ' ' << image.height << ' ' << path.string() << '\n';
    }
    listFile.close();
    const bool small = std::any_of(indices.begin(), indices.end(), [&](size_t i) { return pictures[i].small; });
    FILE* node = popen(("node " + quoted(script) + " " + quoted(list.string()) + (small ? " small" : "")).c_str(), "r");
    if (!node) return "cannot start node";
    char* line = nullptr;
    size_t capacity = 0, k = 0;
    std::string error;
    while (error.empty() && getline(&line, &capacity, node) > 0) {
        const Json j = Json::parse(line, nullptr, false);
        if (j.is_discarded() || k >= indices.size() || !j.contains("ms") || !j.contains("symbols")) {
            error = "unexpected output from " + script + ": " + shortText(line);
            break;
        }
        ReaderResult& r = out[indices[k++]];
        r.seconds = j["ms"].get<double>() / 1000;
        for (const Json& symbol : j["symbols"]) r.symbols.push_back({symbol["text"], hexBytes(symbol["hex"])});
    }
    free(line);
    const int status = pclose(node);
    if (error.empty() && (status != 0 || k != indices.size()))
        error = "node " + script + " failed after " + std::to_string(k) + " of " + std::to_string(indices.size()) +
                " pictures of " + pictures[indices.front()].category;
    return error;
}

// The newest zxing-cpp's results for every picture, read in node a category at a time.
// Returns an empty string or the reason.
std::string readWithNode(const std::string& script, const std::vector<Picture>& pictures, std::vector<ReaderResult>& out) {
    out.assign(pictures.size(), ReaderResult{});
    std::map<std::string, std::vector<size_t>> byCategory;
    for (size_t i = 0; i < pictures.size(); ++i) byCategory[pictures[i].category].push_back(i);
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("bench_corpus_" + std::to_string(getpid()));
    for (const auto& [category, indices] : byCategory) {
        std::filesystem::create_directories(dir);
        const std::string error = readCategoryWithNode(script, dir, pictures, indices, out);
        std::filesystem::remove_all(dir);
        if (!error.empty()) return error;
    }
    return "";
}

// Reads "CATEGORY PICTURES [CODES]" lines. Returns an empty string or the reason.
std::string loadFloors(const std::string& path, std::map<std::string, Floor>& floors) {
    std::ifstream in(path);
    if (!in) return "cannot open " + path;
    std::string line;
    while (std::getline(in, line)) {
        line = line.substr(0, line.find('#'));
        std::istringstream fields(line);
        std::string category, extra;
        Floor floor;
        if (!(fields >> category)) continue;
        if (!(fields >> floor.pictures)) return path + ": no minimum for " + category;
        if (!(fields >> floor.codes) && !fields.eof()) return path + ": the floor of codes for " + category + " is not a number";
        if (fields >> extra) return path + ": more than two floors for " + category;
        if (!floors.emplace(category, floor).second) return path + ": two floors for " + category;
    }
    return "";
}

// What a reader returned, on one line (control characters as spaces).
std::string returnedTexts(const std::vector<Returned>& symbols) {
    std::string out;
    for (const Returned& s : symbols) out += " | " + shortText(s.text);
    for (char& c : out) c = static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
    return out;
}

void listFailure(const Picture& p, const std::map<std::string, ReaderResult>& results) {
    std::cout << p.file << "  [" << p.desc << "]\n";
    for (const Expected& e : p.symbols) std::cout << "    expected: " << shortText(e.text) << "\n";
    for (const auto& [reader, r] : results) {
        const char* verdict = r.verdict == Verdict::Right ? "right" : r.verdict == Verdict::Wrong ? "WRONG" : "not found";
        std::cout << "    " << reader << ": " << verdict << returnedTexts(r.symbols) << "\n";
    }
}

// Our stages summed over a category's pictures, and how many were read at each rung.
struct StageTally {
    Stages sum;
    std::map<std::string, int> readBy;
    void add(const Stages& s) {
        sum.candidates += s.candidates, sum.triplesTried += s.triplesTried, sum.grids += s.grids, sum.verified += s.verified;
        if (!s.readBy.empty()) readBy[s.readBy] += 1;
    }
};

struct Summary {
    std::map<std::string, StageTally> stages;  // category -> our stages
    std::vector<std::string> readers;
    std::vector<const char*> peers;  // the peers our time is compared with (when ours runs)
    std::map<std::string, std::map<std::string, Tally>> byCategory;  // category -> reader -> tally
    std::map<std::string, int> pictures;                              // per category
    std::map<std::string, int> codes;                                 // symbols per category
    std::vector<std::string> oursWrong;  // "file | text | ..." for every picture ours read wrong
};

// The "total" row: every category's tallies added up.
std::map<std::string, Tally> totals(const Summary& s) {
    std::map<std::string, Tally> total;
    for (const auto& [category, tallies] : s.byCategory)
        for (const auto& [reader, t] : tallies) total[reader].add(t);
    return total;
}

// Our time over the peer's, or 0 when either was not run.
double timeRatio(const std::map<std::string, Tally>& tallies, const char* peer) {
    const auto ours = tallies.find("ours"), other = tallies.find(peer);
    if (ours == tallies.end() || other == tallies.end() || other->second.seconds <= 0) return 0;
    return ours->second.seconds / other->second.seconds;
}

void printRow(const Summary& s, const std::string& name, int pictures, int codes, const std::map<std::string, Tally>& tallies) {
    std::printf("%-19s %5d %5d", name.c_str(), pictures, codes);
    for (const std::string& r : s.readers) {
        const Tally& t = tallies.at(r);
        std::printf(" | %5d %5d %5d %5d %8.1f", t.right, t.wrong, t.notFound, t.codesRight, t.seconds * 1000);
    }
    std::printf(s.peers.empty() ? "" : " |");
    for (const char* peer : s.peers) std::printf(" %6.2f", timeRatio(tallies, peer));
    std::printf("\n");
}

void printTable(const Summary& s) {
    std::printf("%-19s %5s %5s", "", "", "");
    for (const std::string& r : s.readers) std::printf(" | %-32s", r.c_str());
    std::printf(s.peers.empty() ? "\n" : " | time ours/\n");
    std::printf("%-19s %5s %5s", "category", "pics", "codes");
    for (size_t i = 0; i < s.readers.size(); ++i) std::printf(" | %5s %5s %5s %5s %8s", "right", "wrong", "nf", "codes", "ms");
    std::printf(s.peers.empty() ? "" : " |");
    for (const char* peer : s.peers) std::printf(" %6s", peer);
    std::printf("\n");
    int pictures = 0, codes = 0;
    for (const auto& [category, tallies] : s.byCategory) {
        printRow(s, category, s.pictures.at(category), s.codes.at(category), tallies);
        pictures += s.pictures.at(category), codes += s.codes.at(category);
    }
    printRow(s, "total", pictures, codes, totals(s));
    std::printf("right, wrong, nf: pictures (right: every symbol read, or none where there is none); codes: symbols read right\n");
    const auto reads = [&](const char* reader) { return std::find(s.readers.begin(), s.readers.end(), reader) != s.readers.end(); };
    if (reads("zxing") || reads("zbar"))
        std::printf("zxing: zxing-cpp %d.%d in this process; zbar: zbar in this process\n", ZXING_VERSION_MAJOR, ZXING_VERSION_MINOR);
    if (reads(kNodeReader))
        std::printf("zxing-wasm: the newest zxing-cpp built to WebAssembly (bench/corpus/package.json), in node, one process per\n"
                    "  category, on the same pixels: its time is not comparable with the readers in this process (no ratio)\n");
    std::string claims;
    for (const auto& [category, tallies] : s.byCategory) {
        const auto ours = tallies.find("ours");
        if (ours != tallies.end() && ours->second.saidFound > 0)
            claims += " " + category + " " + std::to_string(ours->second.saidFound) + ",";
    }
    if (!claims.empty())
        std::printf("pictures ours read nothing in but said a symbol was there:%s\n", claims.substr(0, claims.size() - 1).c_str());
}

Json tallyJson(const std::map<std::string, Tally>& tallies, int pictures, int codes) {
    Json out{{"pictures", pictures}, {"codes", codes}};
    for (const auto& [reader, t] : tallies) {
        out[reader] = {{"right", t.right}, {"wrong", t.wrong}, {"not_found", t.notFound}, {"codes_right", t.codesRight},
                       {"seconds", t.seconds}};
        if (reader == "ours") out[reader]["said_found"] = t.saidFound;
    }
    for (const char* peer : {"zxing", "zbar"})
        if (timeRatio(tallies, peer) > 0) out[std::string("time_ours_over_") + peer] = timeRatio(tallies, peer);
    return out;
}

Json summaryJson(const Summary& s) {
    Json out;
    int pictures = 0, codes = 0;
    for (const auto& [category, tallies] : s.byCategory) {
        out["categories"][category] = tallyJson(tallies, s.pictures.at(category), s.codes.at(category));
        pictures += s.pictures.at(category), codes += s.codes.at(category);
    }
    out["total"] = tallyJson(totals(s), pictures, codes);
    return out;
}

// Whether the floors name exactly the corpus's categories, ours stays at or above every floor
// and returns no wrong text; says why not on stderr.
bool meetsFloors(const Summary& s, const std::map<std::string, Floor>& floors, const std::set<std::string>& categories) {
    bool ok = true;
    for (const auto& [category, floor] : floors)
        if (!categories.count(category)) {
            std::cerr << "floor for a category the corpus lacks: " << category << "\n";
            ok = false;
        }
    for (const std::string& category : categories)
        if (!floors.count(category)) {
            std::cerr << "category without a floor: " << category << "\n";
            ok = false;
        }
    for (const auto& [category, tallies] : s.byCategory) {
        const auto ours = tallies.find("ours");
        const auto floor = floors.find(category);
        if (ours == tallies.end() || floor == floors.end()) continue;
        if (ours->second.right < floor->second.pictures) {
            std::cerr << "below floor: " << category << " ours read " << ours->second.right << " pictures, floor "
                      << floor->second.pictures << "\n";
            ok = false;
        }
        if (ours->second.codesRight < floor->second.codes) {
            std::cerr << "below floor: " << category << " ours read " << ours->second.codesRight << " codes, floor "
                      << floor->second.codes << "\n";
            ok = false;
        }
    }
    for (const std::string& wrong : s.oursWrong) std::cerr << "wrong text from ours: " << wrong << "\n";
    return ok && s.oursWrong.empty();
}

// Per category: our finder candidates, triples tried, grids sampled and symbols verified, and
// which rung of the retry ladder read the pictures.
void printStages(const Summary& s) {
    std::printf("\n%-18s %10s %10s %8s %8s   %s\n", "stages (ours)", "candidates", "triples", "grids", "verified",
                "pictures read by rung");
    for (const auto& [category, t] : s.stages) {
        std::string rungs;
        for (const auto& [rung, count] : t.readBy) rungs += (rungs.empty() ? "" : ", ") + rung + " " + std::to_string(count);
        std::printf("%-18s %10d %10d %8d %8d   %s\n", category.c_str(), t.sum.candidates, t.sum.triplesTried, t.sum.grids,
                    t.sum.verified, rungs.c_str());
    }
}

int usage() {
    std::cerr << "usage: bench_corpus CORPUS_DIR|MANIFEST [--category NAME] [--readers ours,zxing,zbar,zxing-wasm]\n"
                 "                    [--zxing-wasm SCRIPT] [--list-failures] [--stages] [--json] [--floors FILE]\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string manifest, category, floorsPath, wasmScript, readerList;
    bool json = false, listFailures = false, stages = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--json") json = true;
        else if (a == "--list-failures") listFailures = true;
        else if (a == "--stages") stages = true;
        else if (a == "--category" && hasValue) category = argv[++i];
        else if (a == "--floors" && hasValue) floorsPath = argv[++i];
        else if (a == "--readers" && hasValue) readerList = argv[++i];
        else if (a == "--zxing-wasm" && hasValue) wasmScript = argv[++i];
        else if (a.rfind("--", 0) != 0 && manifest.empty()) manifest = a;
        else return usage();
    }
    if (manifest.empty()) return usage();
    if (readerList.empty()) readerList = wasmScript.empty() ? "ours,zxing,zbar" : "ours,zxing,zbar,zxing-wasm";
    if (std::filesystem::is_directory(manifest)) manifest = (std::filesystem::path(manifest) / "manifest.jsonl").string();

    Summary summary;
    for (const char* r : kReaders)
        if (("," + readerList + ",").find(std::string(",") + r + ",") != std::string::npos) summary.readers.push_back(r);
    if (summary.readers.empty()) return usage();
    if (std::find(summary.readers.begin(), summary.readers.end(), kNodeReader) != summary.readers.end() && wasmScript.empty()) {
        std::cerr << "bench_corpus: the zxing-wasm reader needs --zxing-wasm SCRIPT\n";
        return 2;
    }
    if (summary.readers.front() == "ours")
        for (size_t i = 1; i < summary.readers.size(); ++i)
            if (summary.readers[i] != kNodeReader) summary.peers.push_back(summary.readers[i].c_str());
    std::map<std::string, Floor> floors;
    std::vector<Picture> pictures;
    std::set<std::string> categories;
    std::string error = loadManifest(manifest, category, pictures, categories);
    if (error.empty() && !floorsPath.empty()) error = loadFloors(floorsPath, floors);
    if (!error.empty()) {
        std::cerr << "bench_corpus: " << error << "\n";
        return 1;
    }

    std::vector<ReaderResult> wasmResults;
    if (std::find(summary.readers.begin(), summary.readers.end(), kNodeReader) != summary.readers.end())
        error = readWithNode(wasmScript, pictures, wasmResults);
    if (!error.empty()) {
        std::cerr << "bench_corpus: " << error << "\n";
        return 1;
    }

    for (size_t index = 0; index < pictures.size(); ++index) {
        const Picture& p = pictures[index];
        platform::RgbImage image;
        error = platform::decodeImageFile(p.file, image);
        if (!error.empty()) {
            std::cerr << "bench_corpus: " << p.file << ": " << error << "\n";
            return 1;
        }
        std::map<std::string, ReaderResult> results;
        for (const std::string& r : summary.readers) {
            ReaderResult result = r == "ours"       ? readOurs(image)
                                  : r == "zxing"    ? readZxing(image, p.small)
                                  : r == "zbar"     ? readZbar(image)
                                                    : std::move(wasmResults[index]);
            judge(p, result);
            if (r == "ours" && result.verdict == Verdict::Wrong)
                summary.oursWrong.push_back(p.file + returnedTexts(result.symbols));
            summary.byCategory[p.category][r].add(result);
            if (r == "ours") summary.stages[p.category].add(result.stages);
            results[r] = std::move(result);
        }
        summary.pictures[p.category] += 1;
        summary.codes[p.category] += static_cast<int>(p.symbols.size());
        bool allRight = true;
        for (const auto& [reader, r] : results) allRight = allRight && r.verdict == Verdict::Right;
        if (listFailures && !allRight) listFailure(p, results);
    }

    if (json) std::cout << summaryJson(summary).dump(1) << "\n";
    else printTable(summary);
    if (stages && !json) printStages(summary);
    return floorsPath.empty() || meetsFloors(summary, floors, categories) ? 0 : 1;
}
