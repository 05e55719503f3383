// Symbols drawn by other encoders (qrencode, segno) in every file format read as their text,
// version and level. The files and their manifest come from tests/data/make_foreign_fixtures.py.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "decoder/SymbolReader.h"
#include "platform/imaging.h"

namespace {

const std::string kDir = std::string(MEROVASK_TEST_DATA) + "/foreign/";

std::string fromHex(const std::string& hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

struct ForeignSymbol {
    std::string file, maker, level, text;
    int version = 0;
};

std::vector<ForeignSymbol> manifest() {
    std::ifstream in(kDir + "manifest.txt");
    std::vector<ForeignSymbol> list;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        ForeignSymbol s;
        std::string version, bytesHex, textHex;
        std::getline(fields, s.file, '\t');
        std::getline(fields, s.maker, '\t');
        std::getline(fields, version, '\t');
        std::getline(fields, s.level, '\t');
        std::getline(fields, bytesHex, '\t');
        std::getline(fields, textHex, '\t');
        s.version = std::stoi(version);
        s.text = fromHex(textHex);
        list.push_back(s);
    }
    return list;
}

TEST(ForeignSymbols, EachReadsAsItsText) {
    const std::vector<ForeignSymbol> list = manifest();
    ASSERT_GE(list.size(), 12u);
    for (const ForeignSymbol& expected : list) {
        SCOPED_TRACE(expected.file);
        platform::RgbImage picture;
        ASSERT_EQ(platform::decodeImageFile(kDir + expected.file, picture), "");
        const SymbolReading r = readSymbol(picture);
        ASSERT_TRUE(r.found) << r.failure;
        EXPECT_EQ(r.textUtf8, expected.text);
        EXPECT_EQ(r.version, expected.version);
        EXPECT_EQ(std::string(1, levelLetter(r.ecLevel)), expected.level);
    }
}

}  // namespace
