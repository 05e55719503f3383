// merovask-cli decode: the text of the QR symbol in each image file, as lines or JSON objects.
#include <getopt.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "cli/DecodeCommand.h"
#include "decoder/SymbolReader.h"
#include "platform/imaging.h"
#include "platform/text.h"

namespace cli {

const char* const kDecodeHelp =
    "merovask-cli decode [OPTIONS] FILE...\n"
    "  Read the QR symbol in each FILE (PNG, JPEG, GIF or BMP; '-' for standard input) and\n"
    "  print its text as UTF-8, one line per file.\n"
    "  -j, --json                  one JSON object per line instead: {\"file\", \"text\",\n"
    "                              \"version\", \"level\"} or {\"file\", \"error\"}\n";

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
int parseOptions(int argc, char** argv, bool& json, std::vector<std::string>& files) {
    static const option kLongOptions[] = {
        {"json", no_argument, nullptr, 'j'},
        {"help", no_argument, nullptr, 'h'},
        {nullptr, 0, nullptr, 0},
    };
    optind = 1;
    opterr = 0;
    int c;
    // '-' at the front: operands stay in order and a lone '-' is an operand (standard input).
    while ((c = getopt_long(argc, argv, "-:jh", kLongOptions, nullptr)) != -1) {
        switch (c) {
            case 1: files.emplace_back(optarg); break;
            case 'j': json = true; break;
            case 'h': std::fputs(kDecodeHelp, stdout); return kExitOk;
            default: return usageError(std::string("unknown option '") + argv[optind - 1] + "'");
        }
    }
    for (int i = optind; i < argc; ++i) files.emplace_back(argv[i]);  // after "--"
    if (files.empty()) return usageError("missing image file (use '-' for standard input)");
    return -1;
}

enum class Outcome { Decoded, NoSymbol, Unreadable };

// Reads one file (or standard input for "-") and prints its line.
Outcome decodeOne(const std::string& file, bool json, bool& stdinUsed) {
    platform::RgbImage image;
    std::string reason;
    if (file == "-") {
        std::string bytes;
        if (stdinUsed) {
            reason = "standard input was read already";
        } else if (!readStandardInput(bytes)) {
            reason = "cannot read standard input";
        } else {
            reason = platform::decodeImageBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), image);
        }
        stdinUsed = true;
    } else {
        reason = platform::decodeImageFile(file, image);
    }

    std::string line;
    Outcome outcome;
    SymbolReading symbol;
    if (!reason.empty()) {
        outcome = Outcome::Unreadable;
        reason = "cannot read image: " + reason;
    } else if (symbol = readSymbol(image); !symbol.found) {
        outcome = Outcome::NoSymbol;
        reason = "no symbol found";
    } else {
        outcome = Outcome::Decoded;
        // The desktop program ends its symbols' data with one zero byte, which is not text.
        if (!symbol.textUtf8.empty() && symbol.textUtf8.back() == '\0') symbol.textUtf8.pop_back();
    }
    image = platform::RgbImage();  // the picture is not needed while printing

    if (outcome != Outcome::Decoded) {
        if (json) {
            line = "{\"file\":" + jsonString(file) + ",\"error\":" + jsonString(reason) + "}\n";
        } else {
            printError(file + ": " + reason);
            return outcome;
        }
    } else if (json) {
        line = "{\"file\":" + jsonString(file) + ",\"text\":" + jsonString(symbol.textUtf8) +
               ",\"version\":" + std::to_string(symbol.version) + ",\"level\":\"" + levelLetter(symbol.ecLevel) +
               "\"}\n";
    } else {
        line = symbol.textUtf8 + "\n";
    }
    if (!writeStandardOutput(line)) {
        printError("cannot write to standard output");
        return Outcome::Unreadable;
    }
    return outcome;
}

}  // namespace

int runDecode(int argc, char** argv) {
    bool json = false;
    std::vector<std::string> files;
    if (const int status = parseOptions(argc, argv, json, files); status != -1) return status;

    bool stdinUsed = false, noSymbol = false, failed = false;
    for (const std::string& file : files) {
        switch (decodeOne(file, json, stdinUsed)) {
            case Outcome::Decoded: break;
            case Outcome::NoSymbol: noSymbol = true; break;
            case Outcome::Unreadable: failed = true; break;
        }
    }
    if (failed) return kExitFailure;
    return noSymbol ? kExitNoSymbol : kExitOk;
}

}  // namespace cli
