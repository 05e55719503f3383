// merovask-cli decode, run as a process: text lines, JSON objects, exit status, bad files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/imaging.h"
#include "tests/cli/ProcessRunner.h"
#include "tests/support/SymbolFixtures.h"

namespace {

using testsupport::ProcessResult;
using testsupport::runProcess;

const std::string kForeign = std::string(MEROVASK_TEST_DATA) + "/foreign/";
const std::string kImaging = std::string(MEROVASK_TEST_DATA) + "/imaging/";

ProcessResult cli(std::vector<std::string> args, const std::string& input = "") {
    args.insert(args.begin(), MEROVASK_CLI);
    return runProcess(args, input);
}

std::string hexOf(const std::string& bytes) {
    std::string out;
    char digits[3];
    for (const char c : bytes) {
        std::snprintf(digits, sizeof digits, "%02x", static_cast<unsigned char>(c));
        out += digits;
    }
    return out;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

class DecodeCommand : public testing::Test {
protected:
    void SetUp() override {
        char dirTemplate[] = "/tmp/merovask-decode-test-XXXXXX";
        ASSERT_NE(mkdtemp(dirTemplate), nullptr);
        dir = dirTemplate;
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    // A symbol of `text` drawn by our own encode command.
    std::string symbolFile(const std::string& name, const std::string& text, const std::string& level = "M") {
        const std::string path = dir + "/" + name;
        EXPECT_EQ(cli({"encode", "-l", level, "-s", "4", "-o", path, "--", text}).status, 0) << name;
        return path;
    }
    std::string pictureFile(const std::string& name, const platform::RgbImage& image) {
        std::vector<uint8_t> bytes;
        EXPECT_EQ(platform::encodeImage(image, platform::ImageFormat::Png, bytes), "");
        const std::string path = dir + "/" + name;
        writeFile(path, std::string(bytes.begin(), bytes.end()));
        return path;
    }

    std::string dir;
};

TEST_F(DecodeCommand, PrintsEachTextOnItsOwnLineInOrder) {
    const std::string a = symbolFile("a.png", "first symbol");
    const std::string b = symbolFile("b.bmp", "第二个 symbol", "H");
    const ProcessResult r = cli({"decode", a, b, a});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "first symbol\n第二个 symbol\nfirst symbol\n");
    EXPECT_EQ(r.err, "");

    // Standard input, as '-'.
    const ProcessResult s = cli({"decode", "-"}, readFile(b));
    EXPECT_EQ(s.status, 0) << s.err;
    EXPECT_EQ(s.out, "第二个 symbol\n");
}

TEST_F(DecodeCommand, JsonObjectsAreEscaped) {
    const std::string text = "say \"hi\"\\ now\n\ttab \x01 end";
    const std::string file = symbolFile("quote\"d.png", text, "Q");
    const ProcessResult r = cli({"decode", "--json", file});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "{\"file\":\"" + dir + "/quote\\\"d.png\",\"text\":\"say \\\"hi\\\"\\\\ now\\n\\ttab \\u0001 end\","
                     "\"bytes\":\"" + hexOf(text) + "\",\"format\":\"QR\",\"version\":3,\"level\":\"Q\","
                     "\"corners\":[[16.0,16.0],[132.0,16.0],[132.0,132.0],[16.0,132.0]]}\n");

    // A file name that is not UTF-8 still gives valid JSON; the desktop program's closing zero
    // byte is not part of the text.
    const std::string odd = dir + "/odd\xFF.png";
    ASSERT_EQ(cli({"encode", "--nul", "-o", odd, "-t", "png", "zero"}).status, 0);
    EXPECT_EQ(cli({"decode", "--json", odd}).out,
              "{\"file\":\"" + dir + "/odd\xEF\xBF\xBD.png\",\"text\":\"zero\",\"bytes\":\"7a65726f00\",\"format\":\"QR\",\"version\":1,"
              "\"level\":\"L\",\"corners\":[[16.0,16.0],[100.0,16.0],[100.0,100.0],[16.0,100.0]]}\n");
}

// Micro QR and rMQR symbols name their format, and their versions as users name them.
TEST_F(DecodeCommand, JsonNamesTheFormatAndVersionOfMicroQrAndRmqr) {
    std::vector<std::string> files, expected;
    for (const auto& f : testsupport::readSymbolFixtures(std::string(MEROVASK_TEST_DATA) + "/micro/symbols.txt")) {
        if (f.fields[0] != "zint" || (f.fields[2] != "M2" && f.fields[2] != "R9x59")) continue;
        const int scale = 3, quiet = 2;
        platform::RgbImage image((f.modules.width() + 2 * quiet) * scale, (f.modules.height() + 2 * quiet) * scale, 0xFF);
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x) {
                const int mx = x / scale - quiet, my = y / scale - quiet;
                if (mx >= 0 && my >= 0 && mx < f.modules.width() && my < f.modules.height() && f.modules.get(mx, my))
                    std::fill_n(image.pixel(x, y), 3, 0);
            }
        files.push_back(pictureFile(f.fields[2] + f.fields[3] + ".png", image));
        expected.push_back("{\"file\":\"" + files.back() + "\",\"text\":\"" + testsupport::fromHex(f.fields[4]) +
                           "\",\"bytes\":\"" + f.fields[4] + "\",\"format\":\"" + f.fields[1] + "\",\"version\":\"" +
                           f.fields[2] + "\",\"level\":\"" + f.fields[3] + "\",\"corners\":[[6.");
    }
    ASSERT_EQ(files.size(), 4u);
    std::vector<std::string> args{"decode", "--json"};
    args.insert(args.end(), files.begin(), files.end());
    const ProcessResult r = cli(args);
    EXPECT_EQ(r.status, 0) << r.err;
    std::istringstream lines(r.out);
    std::string line;
    for (const std::string& start : expected) {
        ASSERT_TRUE(std::getline(lines, line));
        EXPECT_EQ(line.substr(0, start.size()), start);
    }
}

TEST_F(DecodeCommand, ExitStatusFollowsTheWorstFile) {
    const std::string good = symbolFile("good.png", "ok");
    const std::string blank = pictureFile("blank.png", platform::RgbImage(60, 60, 0xFF));
    const std::string missing = dir + "/missing.png";

    // No symbol in one file: 4, the others still printed.
    ProcessResult r = cli({"decode", "-j", blank, good});
    EXPECT_EQ(r.status, 4);
    EXPECT_EQ(r.out, "{\"file\":\"" + blank + "\",\"error\":\"no symbol found\"}\n"
                     "{\"file\":\"" + good + "\",\"text\":\"ok\",\"bytes\":\"6f6b\",\"format\":\"QR\",\"version\":1,\"level\":\"M\","
                     "\"corners\":[[16.0,16.0],[100.0,16.0],[100.0,100.0],[16.0,100.0]]}\n");

    // An unreadable file outweighs a missing symbol: 1.
    r = cli({"decode", "--json", missing, blank, good});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "{\"file\":\"" + missing + "\",\"error\":\"cannot read image: No such file or directory\"}\n"
                     "{\"file\":\"" + blank + "\",\"error\":\"no symbol found\"}\n"
                     "{\"file\":\"" + good + "\",\"text\":\"ok\",\"bytes\":\"6f6b\",\"format\":\"QR\",\"version\":1,\"level\":\"M\","
                     "\"corners\":[[16.0,16.0],[100.0,16.0],[100.0,100.0],[16.0,100.0]]}\n");

    // Without --json the failures are messages on standard error.
    r = cli({"decode", missing, blank, good});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "ok\n");
    EXPECT_EQ(r.err, "merovask-cli: " + missing + ": cannot read image: No such file or directory\n"
                     "merovask-cli: " + blank + ": no symbol found\n");
}

TEST_F(DecodeCommand, ADamagedSymbolIsAFailedReadNotAText) {
    // Version 2 at 4 pixels per module with a 4-module quiet zone: the modules of rows and
    // columns 9..16 are inverted, far beyond what level L corrects.
    const std::string file = symbolFile("damaged.png", "a symbol that will be damaged", "L");
    platform::RgbImage picture;
    ASSERT_EQ(platform::decodeImageFile(file, picture), "");
    for (int y = (4 + 9) * 4; y < (4 + 17) * 4; ++y)
        for (int x = (4 + 9) * 4; x < (4 + 17) * 4; ++x)
            for (int c = 0; c < 3; ++c) picture.pixel(x, y)[c] ^= 0xFF;
    const std::string damaged = pictureFile("damaged.png", picture);
    ProcessResult r = cli({"decode", damaged});
    EXPECT_EQ(r.status, 4);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "merovask-cli: " + damaged + ": symbol found but damaged beyond correction\n");
    r = cli({"decode", "--json", damaged});
    EXPECT_EQ(r.out, "{\"file\":\"" + damaged + "\",\"error\":\"symbol found but damaged beyond correction\"}\n");
}

TEST_F(DecodeCommand, BytesAreWrittenUnchanged) {
    const std::string data("\xC4\xE3\xBA\xC3 \x00\xFF\n", 8);
    const std::string file = dir + "/raw.png";
    ASSERT_EQ(cli({"encode", "-o", file, "-"}, data).status, 0);
    const ProcessResult r = cli({"decode", "--bytes", file, file});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, data + data);
}

TEST_F(DecodeCommand, SeveralSymbolsComeOutInReadingOrder) {
    // Three symbols on one picture: two side by side (the right one a little higher), one below.
    const std::string texts[3] = {"left", "right", "below"};
    const int at[3][2] = {{0, 20}, {160, 0}, {40, 200}};
    platform::RgbImage picture(320, 330, 0xFF);
    for (int k = 0; k < 3; ++k) {
        platform::RgbImage symbol;
        ASSERT_EQ(platform::decodeImageFile(symbolFile(texts[k] + ".png", texts[k]), symbol), "");
        for (int y = 0; y < symbol.height; ++y)
            for (int x = 0; x < symbol.width; ++x)
                std::copy_n(symbol.pixel(x, y), 3, picture.pixel(at[k][0] + x, at[k][1] + y));
    }
    const ProcessResult r = cli({"decode", pictureFile("three.png", picture)});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "left\nright\nbelow\n");
}

TEST_F(DecodeCommand, BrokenAndDegeneratePictures) {
    writeFile(dir + "/empty.png", "");
    const std::string png = readFile(kImaging + "png_rgb16.png");
    writeFile(dir + "/truncated.png", png.substr(0, png.size() / 2));
    const std::string jpeg = readFile(kImaging + "jpeg_baseline.jpg");
    writeFile(dir + "/truncated.jpg", jpeg.substr(0, jpeg.size() - 30));
    std::string huge = readFile(kImaging + "bmp_24bit.bmp");
    huge[18] = huge[19] = huge[22] = huge[23] = '\xFF';  // 65535 x 65535
    writeFile(dir + "/huge.bmp", huge);
    for (const char* name : {"empty.png", "truncated.png", "truncated.jpg", "huge.bmp"}) {
        const ProcessResult r = cli({"decode", dir + "/" + name});
        EXPECT_EQ(r.status, 1) << name;
        EXPECT_EQ(r.out, "") << name;
        EXPECT_NE(r.err.find(std::string(name) + ": cannot read image: "), std::string::npos) << r.err;
    }
    // Pictures too small to hold a symbol read fine and hold none.
    for (int side : {1, 3}) {
        const std::string tiny = pictureFile("tiny" + std::to_string(side) + ".png", platform::RgbImage(side, side, 0));
        const ProcessResult r = cli({"decode", "--json", tiny});
        EXPECT_EQ(r.status, 4) << side;
        EXPECT_EQ(r.out, "{\"file\":\"" + tiny + "\",\"error\":\"no symbol found\"}\n");
    }
}

TEST_F(DecodeCommand, GbkSymbolsAreShownAsUtf8) {
    const ProcessResult r = cli({"decode", kForeign + "qrencode_gbk.bmp"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "中文编码测试：国标扩展字符集，汉字与符号。\n");
    EXPECT_NE(cli({"decode", "--json", kForeign + "qrencode_gbk.bmp"}).out.find(",\"charset\":\"GBK\""), std::string::npos);
}

TEST_F(DecodeCommand, UsageErrors) {
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"decode"}, {"decode", "--bogus", "x.png"}, {"decode", "-x"}}) {
        const ProcessResult r = cli(args);
        EXPECT_EQ(r.status, 1) << args.back();
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("Try 'merovask-cli --help'"), std::string::npos) << r.err;
    }
    const ProcessResult help = cli({"--help"});
    EXPECT_NE(help.out.find("merovask-cli decode [OPTIONS] FILE..."), std::string::npos);
    EXPECT_EQ(cli({"decode", "--help"}).status, 0);
}

}  // namespace
