// merovask-cli decode: the text of the QR symbol in each image file, as lines or JSON objects.
#include <getopt.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "cli/DecodeCommand.h"
#include "cli/TracePicture.h"
#include "decoder/SymbolReader.h"
#include "platform/imaging.h"
#include "platform/screen.h"
#include "platform/text.h"

namespace cli {

const char* const kDecodeHelp =
    "merovask-cli decode [OPTIONS] FILE...\n"
    "merovask-cli decode [OPTIONS] --screen\n"
    "  Read the QR, Micro QR and rMQR symbols in each FILE (PNG, JPEG, GIF or BMP; '-' for\n"
    "  standard input), or on the screen, and print their texts as UTF-8, one line per symbol,\n"
    "  top to bottom and left to right.\n"
    "      --screen                read what the screen shows (every screen; on Wayland through\n"
    "                              the desktop portal) in place of files\n"
    "  -j, --json                  one JSON object per symbol instead: {\"file\", \"text\",\n"
    "                              \"bytes\" (hexadecimal), \"version\", \"level\", \"corners\"} and,\n"
    "                              when the symbol has them, \"eci\", \"charset\" (how data without\n"
    "                              an ECI was read: UTF-8, GBK, Shift_JIS or ISO-8859-1),\n"
    "                              \"sequence\", \"mirrored\", \"inverted\"; or {\"file\", \"error\"}\n"
    "                              (\"screen\":true in place of \"file\" with --screen)\n"
    "  -b, --bytes                 write each symbol's data bytes unchanged, with nothing added\n"
    "      --trace-picture OUT     draw what the reader saw over the (last) picture into OUT (PNG):\n"
    "                              finder candidates, grids fitted, symbols read; with the counts\n"
    "                              of each stage on standard error\n";

namespace {

// A JSON string literal of `text`. Bytes that are not well-formed UTF-8 (a file name may hold
// any bytes) become U+FFFD, so the line is always valid JSON.
std::string jsonString(const std::string& text) {
    const std::string utf8 = platform::utf16ToUtf8(platform::utf8ToUtf16(text));
    std::string out = "\"";
    for (const char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            default:
                if (c < 0x20 || c == 0x7F) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                    out += escaped;
                } else {
                    out += ch;
                }
        }
    }
    return out + "\"";
}

// Returns -1 when the options are complete, else the exit status to end with.
enum class Output { Text, Json, Bytes };

struct Options {
    Output output = Output::Text;
    std::string tracePicture;
    bool screen = false;
    std::vector<std::string> files;
};

int parseOptions(int argc, char** argv, Options& options) {
    static const option kLongOptions[] = {
        {"json", no_argument, nullptr, 'j'},
        {"bytes", no_argument, nullptr, 'b'},
        {"trace-picture", required_argument, nullptr, 't'},
        {"screen", no_argument, nullptr, 's'},
        {"help", no_argument, nullptr, 'h'},
        {nullptr, 0, nullptr, 0},
    };
    optind = 1;
    opterr = 0;
    int c;
    // '-' at the front: operands stay in order and a lone '-' is an operand (standard input).
    while ((c = getopt_long(argc, argv, "-:jbh", kLongOptions, nullptr)) != -1) {
        switch (c) {
            case 1: options.files.emplace_back(optarg); break;
            case 'j': options.output = Output::Json; break;
            case 'b': options.output = Output::Bytes; break;
            case 't': options.tracePicture = optarg; break;
            case 's': options.screen = true; break;
            case ':': return usageError(std::string("option '") + argv[optind - 1] + "' needs a value");
            case 'h': std::fputs(kDecodeHelp, stdout); return kExitOk;
            default: return usageError(std::string("unknown option '") + argv[optind - 1] + "'");
        }
    }
    for (int i = optind; i < argc; ++i) options.files.emplace_back(argv[i]);  // after "--"
    if (options.screen) {
        if (!options.files.empty()) return usageError("--screen reads the screen and takes no files");
        return -1;
    }
    if (options.files.empty()) return usageError("missing image file (use '-' for standard input)");
    return -1;
}

enum class Outcome { Decoded, NoSymbol, Unreadable };

// Standard input is held to the largest picture file worth reading: a BMP of the 100 million
// pixels that pictures are limited to.
constexpr size_t kMaxStandardInput = size_t{100'000'000} * 4 + 1024;

// A picture to read: a file ("-": standard input) or the screen.
struct Source {
    std::string file;
    bool screen = false;
    std::string name() const { return screen ? "screen" : file; }
};

// Reads the picture of `source`; returns the reason when it cannot.
std::string loadPicture(const Source& source, bool& stdinUsed, platform::RgbImage& picture) {
    if (source.screen) {
        platform::ScreenGrab grab = platform::GrabScreen();
        picture = std::move(grab.picture);
        return grab.detail;
    }
    const std::string& file = source.file;
    if (file != "-") return platform::decodeImageFile(file, picture);
    if (stdinUsed) return "standard input was read already";
    stdinUsed = true;
    std::string bytes;
    char buffer[65536];
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) {
        if (bytes.size() + count > kMaxStandardInput) return "standard input is larger than any picture it could hold";
        bytes.append(buffer, count);
    }
    if (std::ferror(stdin)) return "cannot read standard input";
    return platform::decodeImageBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), picture);
}

std::string hex(const std::string& bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    for (const char c : bytes) {
        out += kDigits[static_cast<uint8_t>(c) >> 4];
        out += kDigits[static_cast<uint8_t>(c) & 15];
    }
    return out;
}

std::string printableText(const DecodedSymbol& symbol) { return platform::utf16ToUtf8(shownText(symbol)); }

std::string number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", v);
    return text;
}

// What a JSON line begins with: where its picture came from.
std::string jsonSource(const Source& source) {
    return source.screen ? "{\"screen\":true" : "{\"file\":" + jsonString(source.file);
}

// QR versions stay numbers, as they always were; Micro QR and rMQR versions are names ("M3",
// "R13x77").
std::string jsonVersion(const DecodedSymbol& s) {
    return s.format == SymbolFormat::QR ? std::to_string(s.version) : "\"" + versionName(s.format, s.version) + "\"";
}

std::string jsonSymbol(const Source& source, const DecodedSymbol& s) {
    std::string line = jsonSource(source) + ",\"text\":" + jsonString(printableText(s)) +
                       ",\"bytes\":\"" + hex(s.bytes) + "\",\"format\":\"" + formatName(s.format) +
                       "\",\"version\":" + jsonVersion(s) + ",\"level\":\"" + levelLetter(s.ecLevel) + "\"";
    line += ",\"corners\":[";
    for (size_t k = 0; k < 4; ++k)
        line += (k ? ",[" : "[") + number(s.corners[k].x) + "," + number(s.corners[k].y) + "]";
    line += "]";
    if (s.mirrored) line += ",\"mirrored\":true";
    if (s.inverted) line += ",\"inverted\":true";
    if (s.eci >= 0) line += ",\"eci\":" + std::to_string(s.eci);
    if (s.charset) line += ",\"charset\":\"" + std::string(s.charset) + "\"";
    if (s.sequence) {
        line += ",\"sequence\":{\"index\":" + std::to_string(s.sequence->index) +
                ",\"count\":" + std::to_string(s.sequence->count) + ",\"parity\":" + std::to_string(s.sequence->parity) +
                "}";
    }
    return line + "}\n";
}

// The reader's stages, one line per attempt, on standard error; the picture with what it saw
// drawn over it into `path`.
void writeTrace(platform::RgbImage& picture, const ReadTrace& trace, const PictureReading& reading, const std::string& path) {
    for (const ReadTrace::Attempt& a : trace.attempts) {
        std::fprintf(stderr,
                     "%-18s %-9s candidates %d (+%d dropped), triples %d (+%d dropped), tried %d, grids %d, read %d; "
                     "failed at timing %d, format %d, version %d, Reed-Solomon %d, bit stream %d\n",
                     a.binariser, a.inverted ? "inverted" : "", a.candidates, a.candidatesDropped, a.triples,
                     a.triplesDropped, a.triplesTried, a.gridsFitted, a.verified, a.failedTiming, a.failedFormat,
                     a.failedVersion, a.failedReedSolomon, a.failedBitStream);
    }
    drawReaderTrace(picture, trace, reading);
    std::vector<uint8_t> png;
    std::string error = platform::encodeImage(picture, platform::ImageFormat::Png, png);
    if (error.empty()) error = platform::writeFileAtomically(path, png);
    if (!error.empty()) printError(path + ": " + error);
}

// Reads one picture and prints what it holds.
Outcome decodeOne(const Source& source, const Options& options, bool& stdinUsed) {
    const Output output = options.output;
    platform::RgbImage picture;
    std::string reason = loadPicture(source, stdinUsed, picture);
    PictureReading reading;
    Outcome outcome = Outcome::Unreadable;
    if (!reason.empty()) {
        reason = (source.screen ? "cannot grab the screen: " : "cannot read image: ") + reason;
    } else {
        ReadTrace trace;
        reading = readPicture(picture, options.tracePicture.empty() ? nullptr : &trace);
        outcome = reading.symbols.empty() ? Outcome::NoSymbol : Outcome::Decoded;
        reason = failureMessage(reading.failure);
        if (!options.tracePicture.empty()) writeTrace(picture, trace, reading, options.tracePicture);
    }
    picture = platform::RgbImage();  // the picture is not needed while printing

    std::string out;
    if (outcome != Outcome::Decoded) {
        if (output != Output::Json) {
            printError(source.name() + ": " + reason);
            return outcome;
        }
        out = jsonSource(source) + ",\"error\":" + jsonString(reason) + "}\n";
    }
    for (const DecodedSymbol& symbol : reading.symbols) {
        switch (output) {
            case Output::Text: out += printableText(symbol) + "\n"; break;
            case Output::Json: out += jsonSymbol(source, symbol); break;
            case Output::Bytes: out += symbol.bytes; break;
        }
    }
    if (!writeStandardOutput(out)) {
        printError("cannot write to standard output");
        return Outcome::Unreadable;
    }
    return outcome;
}

}  // namespace

int runDecode(int argc, char** argv) {
    Options options;
    if (const int status = parseOptions(argc, argv, options); status != -1) return status;

    std::vector<Source> sources;
    if (options.screen) sources.push_back(Source{"", true});
    for (const std::string& file : options.files) sources.push_back(Source{file, false});
    bool stdinUsed = false, noSymbol = false, failed = false;
    for (const Source& source : sources) {
        switch (decodeOne(source, options, stdinUsed)) {
            case Outcome::Decoded: break;
            case Outcome::NoSymbol: noSymbol = true; break;
            case Outcome::Unreadable: failed = true; break;
        }
    }
    if (failed) return kExitFailure;
    return noSymbol ? kExitNoSymbol : kExitOk;
}

}  // namespace cli
