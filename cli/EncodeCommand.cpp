#include "cli/EncodeCommand.h"

#include <getopt.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "cli/SymbolRenderer.h"
#include "encoder/QR_Encode.h"
#include "platform/imaging.h"
#include "platform/text.h"

namespace cli {

const char* const kEncodeHelp =
    "merovask-cli encode [OPTIONS] [TEXT]\n"
    "  Encode TEXT (or standard input, when TEXT is absent or '-') as a QR symbol.\n"
    "  -l, --level L|M|Q|H         error-correction level (default L)\n"
    "  -v, --symversion 0..40      symbol version, 0 = smallest that fits (default 0)\n"
    "      --strict-version        fail instead of growing the requested version\n"
    "  -m, --mask -1..7            data mask, -1 = chosen by penalty score (default -1)\n"
    "  -e, --encoding utf-8|gb2312|shift_jis\n"
    "                              how TEXT becomes bytes (default utf-8; gb2312 means GBK);\n"
    "                              only shift_jis text uses the QR kanji mode\n"
    "      --nul                   append one zero byte, as the desktop program does\n"
    "  -s, --scale 1..100          pixels per module in images (default 4)\n"
    "  -q, --quiet-zone 0..100     modules of light border (default 4)\n"
    "  -o, --output FILE           write to FILE (format from its extension: png, jpg, gif,\n"
    "                              bmp, svg); '-' for standard output\n"
    "  -t, --type TYPE             png, jpg, gif, bmp, svg, matrix (rows of 1 and 0) or utf8\n"
    "                              (half-block text, the default without -o)\n";

namespace {

enum class OutputType { Png, Jpeg, Gif, Bmp, Svg, Matrix, Utf8 };

struct EncodeOptions {
    int level = 0;
    int version = 0;
    bool strictVersion = false;
    int mask = -1;
    CQREncoder::TextEncoding encoding = CQREncoder::TextEncoding::Utf8;
    bool appendNul = false;
    int scale = 4;
    int quietZone = 4;
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

// Returns -1 when the options are complete, else the exit status to end with.
int parseOptions(int argc, char** argv, EncodeOptions& options) {
    enum { kStrictVersion = 1000, kNul };
    static const option kLongOptions[] = {
        {"level", required_argument, nullptr, 'l'},      {"symversion", required_argument, nullptr, 'v'},
        {"strict-version", no_argument, nullptr, kStrictVersion},
        {"mask", required_argument, nullptr, 'm'},       {"encoding", required_argument, nullptr, 'e'},
        {"nul", no_argument, nullptr, kNul},             {"scale", required_argument, nullptr, 's'},
        {"quiet-zone", required_argument, nullptr, 'q'}, {"output", required_argument, nullptr, 'o'},
        {"type", required_argument, nullptr, 't'},       {"help", no_argument, nullptr, 'h'},
        {nullptr, 0, nullptr, 0},
    };
    optind = 1;
    opterr = 0;
    int c;
    while ((c = getopt_long(argc, argv, ":l:v:m:e:s:q:o:t:h", kLongOptions, nullptr)) != -1) {
        switch (c) {
            case 'l': {
                const char* found = std::strlen(optarg) == 1 ? std::strchr(kLevelNames, std::toupper(static_cast<unsigned char>(optarg[0]))) : nullptr;
                if (!found || *found == '\0') return usageError(std::string("invalid level '") + optarg + "' (use L, M, Q or H)");
                options.level = static_cast<int>(found - kLevelNames);
                break;
            }
            case 'v':
                if (!parseInt(optarg, 0, 40, options.version)) return usageError(std::string("invalid symbol version '") + optarg + "' (use 0 to 40)");
                break;
            case kStrictVersion: options.strictVersion = true; break;
            case 'm':
                if (!parseInt(optarg, -1, 7, options.mask)) return usageError(std::string("invalid mask '") + optarg + "' (use -1 to 7)");
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

    auto encoder = std::make_unique<CQREncoder>();
    if (!encoder->encode(options.level, options.version, options.strictVersion ? 0 : 1, options.mask,
                         reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()),
                         options.encoding)) {
        printError(encoder->describeFailure());
        return kExitFailure;
    }

    const bool toStdout = options.output.empty() || options.output == "-";
    const SymbolRenderer renderer(*encoder, options.scale, options.quietZone);
    std::string out;
    if (!render(renderer, options.type, toStdout && ::isatty(STDOUT_FILENO), out, error)) {
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
