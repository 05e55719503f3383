// merovask-cli encode, run as a process: output forms, exit codes, messages.
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "encoder/QR_Encode.h"
#include "platform/imaging.h"
#include "platform/text.h"
#include "tests/cli/ProcessRunner.h"
#include "tests/support/IndependentReaders.h"
#include "tests/support/SampleTexts.h"

namespace {

using testsupport::ProcessResult;
using testsupport::runProcess;

ProcessResult cli(std::vector<std::string> args, const std::string& input = "", std::vector<std::string> env = {}) {
    args.insert(args.begin(), MEROVASK_CLI);
    return runProcess(args, input, env);
}

using Encoding = CQREncoder::TextEncoding;

// The matrix text CQREncoder gives for these bytes, rows from the top.
std::string expectedMatrix(const std::string& bytes, int level, int version = 0, int mask = -1,
                           Encoding encoding = Encoding::Utf8) {
    auto e = std::make_unique<CQREncoder>();
    EXPECT_EQ(e->encode(level, version, 1, mask, reinterpret_cast<const unsigned char*>(bytes.data()),
                        static_cast<int>(bytes.size()), encoding), 1);
    std::string out;
    for (int y = 0; y < e->side; ++y) {
        for (int x = 0; x < e->side; ++x) out += e->modules[x][y] ? '1' : '0';
        out += '\n';
    }
    return out;
}

TEST(EncodeCommand, MatrixOfTextAndStandardInput) {
    const ProcessResult r = cli({"encode", "-l", "M", "-t", "matrix", "01234567"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, expectedMatrix("01234567", 1));
    EXPECT_TRUE(r.err.empty());
    // Standard input is taken byte for byte: the newline stays.
    EXPECT_EQ(cli({"encode", "-t", "matrix"}, "abc\n").out, expectedMatrix("abc\n", 0));
    EXPECT_EQ(cli({"encode", "-t", "matrix", "-"}, "abc\n").out, expectedMatrix("abc\n", 0));
    EXPECT_EQ(cli({"encode", "--type=matrix", "--nul", "abc"}).out, expectedMatrix(std::string("abc\0", 4), 0));
    EXPECT_EQ(cli({"encode", "-tmatrix", "-lH", "-v", "5", "-m", "3", "x"}).out, expectedMatrix("x", 3, 5, 3));
}

TEST(EncodeCommand, GbkAndShiftJisEncodingOfText) {
    EXPECT_EQ(cli({"encode", "-t", "matrix", "-e", "gb2312", "中文"}).out,
              expectedMatrix("\xD6\xD0\xCE\xC4", 0, 0, -1, Encoding::Gbk));
    EXPECT_EQ(cli({"encode", "-t", "matrix", "中文"}).out, expectedMatrix("中文", 0));
    // Shift JIS text goes in kanji mode.
    const std::string sjis = "\x93\xFA\x96\x7B\x8C\xEA";  // 日本語
    EXPECT_EQ(cli({"encode", "-t", "matrix", "-e", "shift_jis", "日本語"}).out,
              expectedMatrix(sjis, 0, 0, -1, Encoding::ShiftJis));
    auto e = std::make_unique<CQREncoder>();
    ASSERT_EQ(e->encode(0, 0, 1, -1, reinterpret_cast<const unsigned char*>(sjis.data()), 6, Encoding::ShiftJis), 1);
    ASSERT_EQ(e->segmentCount, 1);
    EXPECT_EQ(e->segmentModes[0], CQREncoder::kModeKanji);
    // A character the code page lacks is refused, not written as '?'.
    const ProcessResult r = cli({"encode", "-t", "matrix", "-e", "gb2312", "a😀?"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "merovask-cli: the text has characters that GBK cannot hold (or is not UTF-8)\n");
}

// Every symbol reads back exactly in zxing-cpp (as text, kanji mode meaning Shift JIS to it) and
// zbar (raw bytes), in each encoding that holds the text.
TEST(EncodeCommand, SymbolsInEveryScriptReadBackInZxingAndZbar) {
    char dirTemplate[] = "/tmp/merovask-cli-scripts-XXXXXX";
    ASSERT_NE(mkdtemp(dirTemplate), nullptr);
    const std::string dir = dirTemplate;
    struct Encoded {
        const char* option;
        unsigned codePage;
        const char* zxingCharset;  // what byte-mode text is read as; "" lets zxing-cpp guess
    };
    const Encoded encodings[] = {{"utf-8", platform::kCodePageUtf8, ""},
                                 {"gb2312", platform::kCodePageGbk, "GB18030"},
                                 {"shift_jis", platform::kCodePageShiftJis, "Shift_JIS"}};
    int symbols = 0;
    for (const testsupport::SampleText& sample : testsupport::kSampleTexts) {
        const std::string utf8 = platform::utf16ToUtf8(sample.text);
        for (const Encoded& encoding : encodings) {
            std::string bytes;
            if (!testsupport::encodeIn(encoding.codePage, sample.text, bytes)) continue;
            SCOPED_TRACE(std::string(sample.name) + " in " + encoding.option);
            const std::string path = dir + "/" + sample.name + "-" + encoding.option + ".png";
            ASSERT_EQ(cli({"encode", "-e", encoding.option, "-o", path, utf8}).status, 0);
            platform::RgbImage image;
            ASSERT_EQ(platform::decodeImageFile(path, image), "");
            testsupport::expectReadBackExactly(image, utf8, bytes, encoding.zxingCharset);
            ++symbols;
        }
    }
    EXPECT_EQ(symbols, 19);
    EXPECT_EQ(std::system(("rm -rf " + dir).c_str()), 0);
}

TEST(EncodeCommand, HalfBlockTextForTheTerminal) {
    const ProcessResult r = cli({"encode", "hello"});
    ASSERT_EQ(r.status, 0);
    // Version 1 with a 4-module quiet zone: 29 rows drawn two per line.
    int lines = 0;
    for (char c : r.out) lines += c == '\n';
    EXPECT_EQ(lines, 15);
    EXPECT_EQ(r.out.find("\x1b["), std::string::npos);  // not a terminal: no colours
    EXPECT_NE(r.out.find("\u2588"), std::string::npos);
    const ProcessResult noQuiet = cli({"encode", "-q", "0", "hello"});
    EXPECT_EQ(noQuiet.out.substr(0, 3), "\u2588");  // the finder's corner
}

// Runs the tool on a pseudo-terminal and returns what it drew there.
std::string onTerminal(const std::vector<std::string>& args, bool noColor) {
    int master = -1;
    const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    if (pid == 0) {
        if (noColor) setenv("NO_COLOR", "1", 1); else unsetenv("NO_COLOR");
        std::vector<char*> argv{const_cast<char*>(MEROVASK_CLI)};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    std::string out;
    char buffer[4096];
    ssize_t n;
    while ((n = read(master, buffer, sizeof buffer)) > 0) out.append(buffer, static_cast<size_t>(n));
    close(master);
    waitpid(pid, nullptr, 0);
    return out;
}

TEST(EncodeCommand, TerminalGetsBlackOnWhiteUnlessNoColor) {
    const std::string coloured = onTerminal({"encode", "hi"}, false);
    EXPECT_NE(coloured.find("\x1b[30;107m"), std::string::npos);
    EXPECT_NE(coloured.find("\x1b[0m"), std::string::npos);
    const std::string plain = onTerminal({"encode", "hi"}, true);
    EXPECT_EQ(plain.find("\x1b["), std::string::npos);
    EXPECT_NE(plain.find("\u2588"), std::string::npos);
}

TEST(EncodeCommand, FailuresAndUsageErrors) {
    const std::string tooLong(3000, 'a');
    ProcessResult r = cli({"encode", "-l", "H", "-t", "matrix", tooLong});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "merovask-cli: data too long for version 40 at level H: 3000 bytes need 3003 data codewords, "
                     "the symbol holds 1276\n");
    EXPECT_TRUE(r.out.empty());
    r = cli({"encode", "-v", "2", "--strict-version", "-t", "matrix", std::string(40, 'a')});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "merovask-cli: data too long for version 2 at level L: 40 bytes need 42 data codewords, the "
                     "symbol holds 34; version 3 is the smallest that fits\n");
    r = cli({"encode", "-v", "2", "-t", "matrix", std::string(40, 'a')});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, expectedMatrix(std::string(40, 'a'), 0, 2));

    for (const auto& args : std::vector<std::vector<std::string>>{
             {"encode", "-l", "X", "a"}, {"encode", "-v", "41", "a"}, {"encode", "-m", "8", "a"},
             {"encode", "-s", "0", "a"}, {"encode", "--bogus", "a"}, {"encode", "-o", "a.txt", "a"},
             {"encode", "-e", "latin1", "a"}, {"encode", "a", "b"}, {"encode", "-l"}, {"frobnicate"}, {}}) {
        r = cli(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("Try 'merovask-cli --help'"), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty());
    }
    r = cli({"encode"}, "");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "merovask-cli: no data to encode\n");
}

TEST(EncodeCommand, MicroQrSizesLevelsAndErrors) {
    // The smallest version for the data: M1 for digits at level L, and a two-module quiet zone.
    ProcessResult r = cli({"encode", "--micro", "-t", "matrix", "12345"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.size(), 11u * 12u);
    EXPECT_EQ(cli({"encode", "-v", "M4", "-l", "Q", "-t", "matrix", "1"}).out.size(), 17u * 18u);
    EXPECT_EQ(cli({"encode", "--micro", "-l", "M", "-t", "matrix", "12345"}).out.size(), 13u * 14u);
    r = cli({"encode", "--micro", "-t", "utf8", "-q", "0", "1"});
    EXPECT_EQ(r.out.substr(0, 3), "█");

    const std::vector<std::pair<std::vector<std::string>, std::string>> failures = {
        {{"-v", "M1", "-l", "M", "1"}, "M1 only detects errors: it has no level M or Q (use level L)"},
        {{"-v", "M3", "-l", "Q", "1"}, "M3 has no level Q (it has L and M)"},
        {{"-v", "M2", "--strict-version", "hello"},
         "data too long for M2-L: 5 bytes that are not all digits and upper-case letters (M2 holds no other "
         "characters); M3-L is the smallest that fits"},
        {{"-v", "M3", "-l", "M", "--strict-version", "HELLO WORLD 12"},
         "data too long for M3-M: 14 bytes need 83 data bits, the symbol holds 68; M4-M is the smallest that fits"},
        {{"--micro", "-l", "Q", std::string(20, 'a')},
         "data too long for M4-Q: 20 bytes need 168 data bits, the symbol holds 80"},
        {{"--micro", std::string(36, '1')},
         "data too long for M4-L: 36 bytes, more than any Micro QR symbol holds (35 digits at most)"},
    };
    for (const auto& [args, message] : failures) {
        std::vector<std::string> full = {"encode", "-t", "matrix"};
        full.insert(full.end(), args.begin(), args.end());
        r = cli(full);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "merovask-cli: " + message + "\n");
    }
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"encode", "--micro", "-l", "H", "a"}, {"encode", "-v", "M5", "a"}, {"encode", "--micro", "-m", "4", "a"},
             {"encode", "--micro", "-v", "3", "a"}}) {
        r = cli(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("Try 'merovask-cli --help'"), std::string::npos) << r.err;
    }
}

TEST(EncodeCommand, RmqrSizesLevelsAndErrors) {
    // Least area by default (R11x27 is smaller than R7x43), the narrowest at a given height,
    // and a requested size grown wider at its height when the data need it.
    EXPECT_EQ(cli({"encode", "--rmqr", "-t", "matrix", "1"}).out.size(), 11u * 28u);
    EXPECT_EQ(cli({"encode", "-v", "R7", "-t", "matrix", "1"}).out.size(), 7u * 44u);
    EXPECT_EQ(cli({"encode", "-v", "R13x27", "-t", "matrix", "HELLO-WORLD-RMQR-1234"}).out.size(), 13u * 44u);

    char dirTemplate[] = "/tmp/merovask-cli-rmqr-XXXXXX";
    ASSERT_NE(mkdtemp(dirTemplate), nullptr);
    const std::string png = std::string(dirTemplate) + "/r.png";
    ASSERT_EQ(cli({"encode", "-v", "R11x27", "-l", "H", "-s", "2", "-o", png, "1"}).status, 0);
    platform::RgbImage image;
    ASSERT_EQ(platform::decodeImageFile(png, image), "");
    EXPECT_EQ(image.width, (27 + 4) * 2);  // a two-module quiet zone
    EXPECT_EQ(image.height, (11 + 4) * 2);
    EXPECT_EQ(std::system((std::string("rm -rf ") + dirTemplate).c_str()), 0);

    ProcessResult r = cli({"encode", "-v", "R13x27", "--strict-version", "HELLO-WORLD-RMQR-1234"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "merovask-cli: data too long for R13x27 at level M: 21 bytes need 16 data codewords, the symbol "
                     "holds 12; R13x43 is the smallest that fits at height 13\n");
    r = cli({"encode", "--rmqr", "-l", "H", std::string(100, 'a')});
    EXPECT_EQ(r.err, "merovask-cli: data too long for R17x139 at level H: 100 bytes need 102 data codewords, the "
                     "symbol holds 76\n");
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"encode", "--rmqr", "-l", "L", "a"}, {"encode", "-v", "R8", "a"}, {"encode", "-v", "R7x27", "a"},
             {"encode", "--rmqr", "-m", "2", "a"}, {"encode", "--micro", "-v", "R7x43", "a"},
             {"encode", "--micro", "--rmqr", "a"}}) {
        r = cli(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("Try 'merovask-cli --help'"), std::string::npos) << r.err;
    }
}

TEST(EncodeCommand, HelpAndVersionGoToStandardOutput) {
    ProcessResult r = cli({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("--symversion"), std::string::npos);
    EXPECT_TRUE(r.err.empty());
    r = cli({"encode", "-h"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("--strict-version"), std::string::npos);
    r = cli({"-V"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("merovask-cli ", 0), 0u);
}

TEST(EncodeCommand, WritesFilesWholeAndSvg) {
    char dirTemplate[] = "/tmp/merovask-cli-test-XXXXXX";
    ASSERT_NE(mkdtemp(dirTemplate), nullptr);
    const std::string dir = dirTemplate;
    const std::string svgPath = dir + "/s.svg";
    ASSERT_EQ(cli({"encode", "-o", svgPath, "-s", "3", "hi"}).status, 0);
    std::ifstream svg(svgPath);
    std::stringstream text;
    text << svg.rdbuf();
    EXPECT_NE(text.str().find("width=\"87\""), std::string::npos);  // (21 + 8) x 3
    EXPECT_NE(text.str().find("crispEdges"), std::string::npos);
    // A file that cannot be written is reported, and nothing is left behind.
    const ProcessResult r = cli({"encode", "-o", dir + "/missing/x.png", "hi"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot create"), std::string::npos);
    EXPECT_EQ(std::system(("rm -rf " + dir).c_str()), 0);
}

TEST(EncodeCommand, ImagesAreCrispInEveryFormat) {
    char dirTemplate[] = "/tmp/merovask-cli-img-XXXXXX";
    ASSERT_NE(mkdtemp(dirTemplate), nullptr);
    const std::string dir = dirTemplate;
    const std::string text = "https://example.org/crisp";
    auto e = std::make_unique<CQREncoder>();
    ASSERT_EQ(e->encode(1, 0, 1, -1, reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size())), 1);
    for (const std::string extension : {"png", "gif", "bmp", "jpg"}) {
        for (int scale : {1, 3}) {
            SCOPED_TRACE(extension + " at scale " + std::to_string(scale));
            const std::string path = dir + "/s" + std::to_string(scale) + "." + extension;
            ASSERT_EQ(cli({"encode", "-l", "M", "-s", std::to_string(scale), "-o", path, text}).status, 0);
            platform::RgbImage image;
            ASSERT_EQ(platform::decodeImageFile(path, image), "");
            const int quiet = 4;
            ASSERT_EQ(image.width, (e->side + 2 * quiet) * scale);
            ASSERT_EQ(image.height, image.width);
            int wrong = 0;
            for (int y = 0; y < image.height; ++y) {
                for (int x = 0; x < image.width; ++x) {
                    const int mx = x / scale - quiet, my = y / scale - quiet;
                    const bool dark = mx >= 0 && my >= 0 && mx < e->side && my < e->side && e->modules[mx][my];
                    const uint8_t* p = image.pixel(x, y);
                    if (extension == "jpg") {
                        wrong += (p[0] < 128) != dark;  // lossy, but never on the wrong side
                    } else {
                        wrong += !(dark ? (p[0] == 0 && p[1] == 0 && p[2] == 0) : (p[0] == 255 && p[1] == 255 && p[2] == 255));
                    }
                }
            }
            EXPECT_EQ(wrong, 0);
        }
    }
    // -t overrides the extension, and '-' writes to standard output.
    const ProcessResult r = cli({"encode", "-t", "png", "-o", "-", text});
    EXPECT_EQ(r.out.substr(0, 4), "\x89PNG");
    EXPECT_EQ(std::system(("rm -rf " + dir).c_str()), 0);
}

TEST(EncodeCommand, ClosedOutputPipeEndsQuietly) {
    // A reader that stops at once while a large picture is still being written: the tool must
    // neither hang nor complain.
    char errTemplate[] = "/tmp/merovask-cli-err-XXXXXX";
    const int fd = mkstemp(errTemplate);
    ASSERT_GE(fd, 0);
    close(fd);
    const std::string command = std::string("'") + MEROVASK_CLI + "' encode -t bmp -o - -s 20 -v 40 x 2>" + errTemplate +
                                " | head -c 2";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    ASSERT_TRUE(pipe);
    std::string out;
    char buffer[256];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0) out.append(buffer, n);
    EXPECT_EQ(out, "BM");
    std::ifstream err(errTemplate);
    std::stringstream errText;
    errText << err.rdbuf();
    EXPECT_EQ(errText.str(), "");
    std::remove(errTemplate);
}

}  // namespace
