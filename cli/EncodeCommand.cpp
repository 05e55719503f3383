#include "cli/EncodeCommand.h"

#include <getopt.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "cli/SymbolRenderer.h"
#include "encoder/MicroQR_Encode.h"
#include "encoder/QR_Encode.h"
#include "encoder/RMQR_Encode.h"
#include "platform/imaging.h"
#include "platform/text.h"

namespace cli {

const char* const kEncodeHelp =
    "merovask-cli encode [OPTIONS] [TEXT]\n"
    "  Encode TEXT (or standard input, when TEXT is absent or '-') as a QR symbol.\n"
    "      --micro                 a Micro QR symbol (M1 to M4) instead\n"
    "      --rmqr                  a rectangular Micro QR symbol (R7x43 to R17x139) instead\n"
    "  -l, --level L|M|Q|H         error-correction level (default L); Micro QR has L, M\n"
    "                              and Q (M1 only detects errors and counts as L), rMQR\n"
    "                              M and H (default M)\n"
    "  -v, --symversion 0..40      symbol version, 0 = smallest that fits (default 0);\n"
    "                              M1..M4 for Micro QR (implies --micro); for rMQR\n"
    "                              (implies --rmqr) a size such as R13x77, or a height\n"
    "                              alone (R7, R9 .. R17) for the narrowest that fits; rMQR\n"
    "                              otherwise takes the size of least area that fits\n"
    "      --strict-version        fail instead of growing the requested version (rMQR\n"
    "                              grows wider at the same height)\n"
    "  -m, --mask -1..7            data mask, -1 = chosen by penalty score (default -1);\n"
    "                              -1..3 for Micro QR, chosen by its own rule; rMQR has\n"
    "                              one mask\n"
    "  -e, --encoding utf-8|gb2312|shift_jis\n"
    "                              how TEXT becomes bytes (default utf-8; gb2312 means GBK);\n"
    "                              only shift_jis text uses the QR kanji mode\n"
    "      --nul                   append one zero byte, as the desktop program does\n"
    "  -s, --scale 1..100          pixels per module in images (default 4)\n"
    "  -q, --quiet-zone 0..100     modules of light border (default 4, 2 for Micro QR\n"
    "                              and rMQR)\n"
    "  -o, --output FILE           write to FILE (format from its extension: png, jpg, gif,\n"
    "                              bmp, svg); '-' for standard output\n"
    "  -t, --type TYPE             png, jpg, gif, bmp, svg, matrix (rows of 1 and 0) or utf8\n"
    "                              (half-block text, the default without -o)\n";

namespace {

enum class OutputType { Png, Jpeg, Gif, Bmp, Svg, Matrix, Utf8 };

enum class SymbolKind { Qr, MicroQr, Rmqr };

struct EncodeOptions {
    SymbolKind kind = SymbolKind::Qr;
    int level = 0;
    int version = 0;
    int rmqrHeight = 0;  // 0: any
    int rmqrWidth = 0;   // 0: any
    std::string versionText;  // -v as given, resolved once the kind is known
    bool strictVersion = false;
    int mask = -1;
    CQREncoder::TextEncoding encoding = CQREncoder::TextEncoding::Utf8;
    bool appendNul = false;
    int scale = 4;
    int quietZone = -1;  // -1: the kind's default
    std::string output;  // empty: standard output
    bool typeGiven = false;
    OutputType type = OutputType::Utf8;
    std::string text;
    bool textFromStdin = true;
};

constexpr char kLevelNames[] = "LMQH";

bool parseInt(const char* text, int low, int high, int& value) {
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || parsed < low || parsed > high) return false;
    value = static_cast<int>(parsed);
    return true;
}

bool parseType(std::string name, OutputType& type) {
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (name == "png") type = OutputType::Png;
    else if (name == "jpg" || name == "jpeg") type = OutputType::Jpeg;
    else if (name == "gif") type = OutputType::Gif;
    else if (name == "bmp") type = OutputType::Bmp;
    else if (name == "svg") type = OutputType::Svg;
    else if (name == "matrix") type = OutputType::Matrix;
    else if (name == "utf8") type = OutputType::Utf8;
    else return false;
    return true;
}

// "13x77" or "13" (a height alone) of an rMQR size as the tool takes it after the R.
bool parseRmqrSize(const std::string& text, int& height, int& width) {
    const size_t x = text.find_first_of("xX");
    int h = 0, w = 0;
    if (!parseInt(text.substr(0, x).c_str(), 7, 17, h)) return false;
    if (x != std::string::npos && !parseInt(text.substr(x + 1).c_str(), 27, 139, w)) return false;
    if (w != 0 ? CRMQREncoder::sizeIndexOf(h, w) < 0 : h % 2 == 0) return false;
    height = h;
    width = w;
    return true;
}

// Settles the symbol kind from --micro and -v, and checks the version, level and mask against
// it. Returns -1 when they fit, else the exit status to end with.
int resolveKind(EncodeOptions& options, bool levelGiven, bool maskGiven) {
    const std::string& v = options.versionText;
    const bool microVersion = v.size() == 2 && (v[0] == 'M' || v[0] == 'm') && v[1] >= '1' && v[1] <= '4';
    if (microVersion) {
        if (options.kind == SymbolKind::Rmqr) return usageError("invalid rMQR size '" + v + "' (use R7x43 to R17x139)");
        options.kind = SymbolKind::MicroQr;
        options.version = v[1] - '0';
    } else if (!v.empty() && (v[0] == 'R' || v[0] == 'r')) {
        if (options.kind == SymbolKind::MicroQr) return usageError("invalid Micro QR version '" + v + "' (use M1 to M4)");
        if (!parseRmqrSize(v.substr(1), options.rmqrHeight, options.rmqrWidth))
            return usageError("invalid rMQR size '" + v + "' (use R7x43 to R17x139, or a height such as R11)");
        options.kind = SymbolKind::Rmqr;
    } else if (!v.empty()) {
        if (options.kind == SymbolKind::MicroQr && v != "0")
            return usageError("invalid Micro QR version '" + v + "' (use M1 to M4)");
        if (options.kind == SymbolKind::Rmqr && v != "0")
            return usageError("invalid rMQR size '" + v + "' (use R7x43 to R17x139)");
        if (!parseInt(v.c_str(), 0, 40, options.version))
            return usageError("invalid symbol version '" + v + "' (use 0 to 40, M1 to M4, or R7x43 to R17x139)");
    }
    if (options.kind == SymbolKind::MicroQr) {
        if (levelGiven && options.level == 3) return usageError("Micro QR has no level H (use L, M or Q)");
        if (maskGiven && options.mask > 3) return usageError("invalid Micro QR mask '" + std::to_string(options.mask) + "' (use -1 to 3)");
    }
    if (options.kind == SymbolKind::Rmqr) {
        if (!levelGiven) options.level = 1;
        if (options.level != 1 && options.level != 3) return usageError("rMQR has levels M and H only");
        if (maskGiven && options.mask != -1) return usageError("rMQR has one mask only: leave -m out");
    }
    if (options.quietZone == -1) options.quietZone = options.kind == SymbolKind::Qr ? 4 : 2;
    return -1;
}

// Returns -1 when the options are complete, else the exit status to end with.
int parseOptions(int argc, char** argv, EncodeOptions& options) {
    enum { kStrictVersion = 1000, kNul, kMicro, kRmqr };
    static const option kLongOptions[] = {
        {"level", required_argument, nullptr, 'l'},      {"symversion", required_argument, nullptr, 'v'},
        {"strict-version", no_argument, nullptr, kStrictVersion},
        {"mask", required_argument, nullptr, 'm'},       {"encoding", required_argument, nullptr, 'e'},
        {"nul", no_argument, nullptr, kNul},             {"scale", required_argument, nullptr, 's'},
        {"micro", no_argument, nullptr, kMicro},          {"rmqr", no_argument, nullptr, kRmqr},
        {"quiet-zone", required_argument, nullptr, 'q'}, {"output", required_argument, nullptr, 'o'},
        {"type", required_argument, nullptr, 't'},       {"help", no_argument, nullptr, 'h'},
        {nullptr, 0, nullptr, 0},
    };
    optind = 1;
    opterr = 0;
    bool levelGiven = false;
    bool maskGiven = false;
    int c;
    while ((c = getopt_long(argc, argv, ":l:v:m:e:s:q:o:t:h", kLongOptions, nullptr)) != -1) {
        switch (c) {
            case 'l': {
                const char* found = std::strlen(optarg) == 1 ? std::strchr(kLevelNames, std::toupper(static_cast<unsigned char>(optarg[0]))) : nullptr;
                if (!found || *found == '\0') return usageError(std::string("invalid level '") + optarg + "' (use L, M, Q or H)");
                options.level = static_cast<int>(found - kLevelNames);
                levelGiven = true;
                break;
            }
            case 'v': options.versionText = optarg; break;
            case kMicro:
            case kRmqr: {
                const SymbolKind kind = c == kMicro ? SymbolKind::MicroQr : SymbolKind::Rmqr;
                if (options.kind != SymbolKind::Qr && options.kind != kind) return usageError("use --micro or --rmqr, not both");
                options.kind = kind;
                break;
            }
            case kStrictVersion: options.strictVersion = true; break;
            case 'm':
                if (!parseInt(optarg, -1, 7, options.mask)) return usageError(std::string("invalid mask '") + optarg + "' (use -1 to 7)");
                maskGiven = true;
                break;
            case 'e': {
                std::string name = optarg;
                for (char& ch : name) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
                if (name == "utf-8" || name == "utf8") options.encoding = CQREncoder::TextEncoding::Utf8;
                else if (name == "gb2312" || name == "gbk") options.encoding = CQREncoder::TextEncoding::Gbk;
                else if (name == "shift_jis" || name == "shift-jis" || name == "sjis") options.encoding = CQREncoder::TextEncoding::ShiftJis;
                else return usageError(std::string("invalid encoding '") + optarg + "' (use utf-8, gb2312 or shift_jis)");
                break;
            }
            case kNul: options.appendNul = true; break;
            case 's':
                if (!parseInt(optarg, 1, 100, options.scale)) return usageError(std::string("invalid scale '") + optarg + "' (use 1 to 100)");
                break;
            case 'q':
                if (!parseInt(optarg, 0, 100, options.quietZone)) return usageError(std::string("invalid quiet zone '") + optarg + "' (use 0 to 100)");
                break;
            case 'o': options.output = optarg; break;
            case 't':
                if (!parseType(optarg, options.type)) return usageError(std::string("invalid type '") + optarg + "'");
                options.typeGiven = true;
                break;
            case 'h': std::fputs(kEncodeHelp, stdout); return kExitOk;
            case ':': return usageError(std::string("option '") + argv[optind - 1] + "' needs a value");
            default: return usageError(std::string("unknown option '") + argv[optind - 1] + "'");
        }
    }
    if (const int status = resolveKind(options, levelGiven, maskGiven); status != -1) return status;
    const int rest = argc - optind;
    if (rest > 1) return usageError("too many arguments: give the text as one argument (quote it)");
    if (rest == 1 && std::strcmp(argv[optind], "-") != 0) {
        options.text = argv[optind];
        options.textFromStdin = false;
    }
    if (!options.typeGiven && !options.output.empty() && options.output != "-") {
        const size_t dot = options.output.rfind('.');
        if (dot == std::string::npos || !parseType(options.output.substr(dot + 1), options.type) ||
            options.type == OutputType::Matrix || options.type == OutputType::Utf8) {
            return usageError("cannot tell the image type from '" + options.output + "' (use -t)");
        }
    }
    return -1;
}

// The text's bytes as the symbol will hold them, or false (with `error`) when the chosen code
// page cannot hold every character of the text.
bool symbolBytes(const EncodeOptions& options, std::string& bytes, std::string& error) {
    bytes = options.text;
    if (options.encoding != CQREncoder::TextEncoding::Utf8) {
        const bool gbk = options.encoding == CQREncoder::TextEncoding::Gbk;
        bytes = platform::wideToMultiByte(gbk ? platform::kCodePageGbk : platform::kCodePageShiftJis,
                                          platform::utf8ToUtf16(options.text), false);
        // A character the code page lacks becomes '?', a byte no double-byte character contains.
        if (std::count(bytes.begin(), bytes.end(), '?') != std::count(options.text.begin(), options.text.end(), '?')) {
            error = std::string("the text has characters that ") + (gbk ? "GBK" : "Shift JIS") +
                    " cannot hold (or is not UTF-8)";
            return false;
        }
    }
    if (options.appendNul) bytes += '\0';
    return true;
}

bool render(const SymbolRenderer& renderer, OutputType type, bool toTerminal, std::string& out, std::string& error) {
    platform::ImageFormat format;
    switch (type) {
        case OutputType::Matrix: out = renderer.toMatrixText(); return true;
        case OutputType::Utf8: out = renderer.toHalfBlockText(toTerminal && std::getenv("NO_COLOR") == nullptr); return true;
        case OutputType::Svg: out = renderer.toSvg(); return true;
        case OutputType::Png: format = platform::ImageFormat::Png; break;
        case OutputType::Jpeg: format = platform::ImageFormat::Jpeg; break;
        case OutputType::Gif: format = platform::ImageFormat::Gif; break;
        default: format = platform::ImageFormat::Bmp; break;
    }
    std::vector<uint8_t> bytes;
    error = platform::encodeImage(renderer.toImage(), format, bytes);
    out.assign(bytes.begin(), bytes.end());
    return error.empty();
}

// Runs one encoder on the bytes and draws its matrix as the options ask; nothing, with the
// encoder's reason, when they do not fit.
template <typename Encoder, typename... Arguments>
std::optional<SymbolRenderer> encodeWith(const EncodeOptions& options, std::string& error, Arguments... arguments) {
    const auto encoder = std::make_unique<Encoder>();
    if (!encoder->encode(arguments...)) {
        error = encoder->describeFailure();
        return std::nullopt;
    }
    int width = 0;
    int height = 0;
    if constexpr (requires { encoder->width; }) {
        width = encoder->width;
        height = encoder->height;
    } else {
        width = height = encoder->side;
    }
    std::vector<uint8_t> dark(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) dark[static_cast<size_t>(y) * width + x] = encoder->modules[x][y];
    return SymbolRenderer(width, height, std::move(dark), options.scale, options.quietZone);
}

std::optional<SymbolRenderer> encodeSymbol(const EncodeOptions& options, const std::string& bytes, std::string& error) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const int length = static_cast<int>(bytes.size());
    const int autoExtend = options.strictVersion ? 0 : 1;
    switch (options.kind) {
        case SymbolKind::Rmqr:
            return encodeWith<CRMQREncoder>(options, error, options.level == 3 ? 1 : 0, options.rmqrHeight,
                                            options.rmqrWidth, autoExtend, data, length, options.encoding);
        case SymbolKind::MicroQr:
            return encodeWith<CMicroQREncoder>(options, error, options.level, options.version, autoExtend,
                                               options.mask, data, length, options.encoding);
        case SymbolKind::Qr: break;
    }
    return encodeWith<CQREncoder>(options, error, options.level, options.version, autoExtend, options.mask, data,
                                  length, options.encoding);
}

}  // namespace

int runEncode(int argc, char** argv) {
    EncodeOptions options;
    if (const int status = parseOptions(argc, argv, options); status != -1) return status;
    if (options.textFromStdin && !readStandardInput(options.text)) {
        printError("cannot read standard input");
        return kExitFailure;
    }
    std::string bytes, error;
    if (!symbolBytes(options, bytes, error)) {
        printError(error);
        return kExitFailure;
    }

    const std::optional<SymbolRenderer> renderer = encodeSymbol(options, bytes, error);
    if (!renderer) {
        printError(error);
        return kExitFailure;
    }

    const bool toStdout = options.output.empty() || options.output == "-";
    std::string out;
    if (!render(*renderer, options.type, toStdout && ::isatty(STDOUT_FILENO), out, error)) {
        printError(error);
        return kExitFailure;
    }
    if (toStdout) {
        if (!writeStandardOutput(out)) {
            printError("cannot write standard output");
            return kExitFailure;
        }
        return kExitOk;
    }
    error = platform::writeFileAtomically(options.output, std::vector<uint8_t>(out.begin(), out.end()));
    if (!error.empty()) {
        printError(error);
        return kExitFailure;
    }
    return kExitOk;
}

}  // namespace cli
