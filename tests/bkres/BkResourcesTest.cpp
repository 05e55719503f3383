// The program's own resources: every document parses and has the role its id promises, every
// image has the size and strip layout the skin relies on, and the overrides are consulted in
// order (directory, module, program).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <tinyxml.h>

#include "bkres/bkresutil.h"
#include "platform/imaging.h"

namespace {

std::string Raw(unsigned id, const char* type) {
    std::string bytes;
    EXPECT_TRUE(BkResUtil::LoadRawResource(id, type, bytes)) << type << " " << id;
    return bytes;
}

TEST(BkResources, EveryDocumentParsesWithItsRole) {
    const struct { unsigned id; const char* root; } docs[] = {
        {100, "skins"}, {101, "style"}, {102, "string"}, {103, "layer"}, {105, "layer"}, {106, "layer"},
        {107, "layer"}, {501, "icon"}, {502, "text"}, {503, "dlg"}, {510, "layer"}, {511, "layer"},
        {513, "layer"}, {521, "dlg"}, {522, "dlg"}, {524, "dlg"},
    };
    for (const auto& d : docs) {
        std::string xml = Raw(d.id, "xml");
        ASSERT_EQ(xml.c_str()[xml.size()], '\0');
        TiXmlDocument doc;
        doc.Parse(xml.c_str(), nullptr, TIXML_ENCODING_UTF8);
        ASSERT_FALSE(doc.Error()) << d.id << ": " << doc.ErrorDesc() << " row " << doc.ErrorRow();
        ASSERT_NE(doc.FirstChildElement(), nullptr);
        EXPECT_EQ(doc.FirstChildElement()->ValueStr(), d.root) << d.id;
    }
}

TEST(BkResources, FragmentsHoldSeveralTopLevelElements) {
    std::string xml = Raw(501, "xml");
    TiXmlDocument doc;
    doc.Parse(xml.c_str(), nullptr, TIXML_ENCODING_UTF8);
    int count = 0;
    for (const TiXmlElement* e = doc.FirstChildElement(); e; e = e->NextSiblingElement()) ++count;
    EXPECT_EQ(count, 5);  // icon, title and three image buttons
    // Unquoted and quoted values side by side.
    const TiXmlElement* title = doc.FirstChildElement("text");
    ASSERT_NE(title, nullptr);
    EXPECT_STREQ(title->Attribute("class"), "dlgtitle");
    EXPECT_STREQ(title->Attribute("pos"), "25,5");
}

TEST(BkResources, ImagesHaveTheirStripLayout) {
    const struct { unsigned id; int w, h; } pngs[] = {
        {3, 392, 49}, {44, 141, 22}, {45, 90, 22}, {46, 90, 22}, {47, 90, 22}, {48, 90, 22}, {60, 260, 70},
    };
    for (const auto& p : pngs) {
        std::string bytes = Raw(p.id, "png");
        platform::RgbaImage image;
        ASSERT_EQ(platform::decodePngBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), image), "")
            << p.id;
        EXPECT_EQ(image.width, p.w) << "png " << p.id;
        EXPECT_EQ(image.height, p.h) << "png " << p.id;
        // Its twin for dense screens: the same strip at twice the pixels.
        bytes = Raw(p.id, "png@2x");
        ASSERT_EQ(platform::decodePngBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), image), "")
            << p.id;
        EXPECT_EQ(image.width, 2 * p.w) << "png@2x " << p.id;
        EXPECT_EQ(image.height, 2 * p.h) << "png@2x " << p.id;
    }
    const struct { unsigned id; int w, h; } bmps[] = {
        {106, 3, 3}, {107, 3, 3}, {10001, 7, 23}, {10002, 15, 90}, {10003, 5, 23}, {10004, 213, 71},
        {10005, 21, 25}, {10006, 1, 32}, {10011, 15, 90}, {10012, 5, 3}, {10040, 16, 16}, {10046, 16, 16},
    };
    for (const auto& b : bmps) {
        std::string bytes;
        ASSERT_TRUE(BkResUtil::LoadRawResource(b.id, "bmp", bytes)) << b.id;
        platform::RgbImage image;
        ASSERT_EQ(platform::decodeImageBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), image), "")
            << b.id;
        EXPECT_EQ(image.width, b.w) << "bmp " << b.id;
        EXPECT_EQ(image.height, b.h) << "bmp " << b.id;
        ASSERT_TRUE(BkResUtil::LoadRawResource(b.id, "bmp@2x", bytes)) << b.id;
        ASSERT_EQ(platform::decodeImageBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), image), "")
            << b.id;
        EXPECT_EQ(image.width, 2 * b.w) << "bmp@2x " << b.id;
        EXPECT_EQ(image.height, 2 * b.h) << "bmp@2x " << b.id;
    }
}

TEST(BkResources, MissingResourceReportsTypeAndId) {
    std::string bytes = "stale";
    testing::internal::CaptureStderr();
    EXPECT_FALSE(BkResUtil::LoadRawResource(999, "xml", bytes));
    EXPECT_FALSE(BkResUtil::LoadRawResource(3, "xml", bytes));  // id of a PNG, not of a document
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Failed loading xml 999"), std::string::npos) << err;
    EXPECT_NE(err.find("Failed loading xml 3"), std::string::npos) << err;
    EXPECT_TRUE(bytes.empty());
}

TEST(BkResources, DirectoryThenModuleThenProgram) {
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("bkres_override_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "102.xml", std::ios::binary) << "<string><s id=1>from directory</s></string>";

    static const unsigned char moduleXml[] = "<string><s id=1>from module</s></string>";
    static const unsigned char moduleXml2[] = "<dlg/>";
    static const BkResourceEntry entries[] = {{"xml", 102, moduleXml, sizeof(moduleXml) - 1},
                                              {"xml", 503, moduleXml2, sizeof(moduleXml2) - 1}};
    static const BkResourceTable module{entries, 2};

    BkResUtil::SetResourcePath(dir.string());
    BkResUtil::SetResourceModule(&module);
    std::string bytes;
    ASSERT_TRUE(BkResUtil::LoadRawResource(102, "xml", bytes));
    EXPECT_EQ(bytes, "<string><s id=1>from directory</s></string>");
    ASSERT_TRUE(BkResUtil::LoadRawResource(503, "xml", bytes));
    EXPECT_EQ(bytes, "<dlg/>");
    ASSERT_TRUE(BkResUtil::LoadRawResource(101, "xml", bytes));  // neither override has it
    EXPECT_NE(bytes.find("<style>"), std::string::npos);

    BkResUtil::SetResourcePath("");
    ASSERT_TRUE(BkResUtil::LoadRawResource(102, "xml", bytes));
    EXPECT_EQ(bytes, "<string><s id=1>from module</s></string>");
    BkResUtil::SetResourceModule(nullptr);
    ASSERT_TRUE(BkResUtil::LoadRawResource(102, "xml", bytes));
    EXPECT_NE(bytes.find("MerovaskV1.0"), std::string::npos);
    fs::remove_all(dir);
}

}  // namespace
