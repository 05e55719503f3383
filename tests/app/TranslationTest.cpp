// The interface in other languages: every Chinese text of the skin and of the code has its
// English in the catalogue, and the main window speaks the language the system asks for.
#include <tinyxml.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "AppTestSupport.h"
#include "app/AppMenus.h"
#include "app/PageTexts.h"
#include "app/QRDECODEUIHandler.h"
#include "app/QRENCODEUIHandler.h"
#include "bkres/bkinterfacetext.h"
#include "bkres/bkresourcetable.h"
#include "bkwin/bktabctrl.h"
#include "platform/controls.h"
#include "platform/text.h"
#include "platform/translation.h"

using namespace apptest;

namespace {

const std::filesystem::path kSourceDir = MEROVASK_SOURCE_DIR;

std::string ReadWhole(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// The C++ string literal's value for the escapes the program's texts use.
std::string Unescape(const std::string& literal) {
    std::string out;
    for (size_t i = 0; i < literal.size(); ++i) {
        if (literal[i] != '\\' || i + 1 == literal.size()) {
            out += literal[i];
            continue;
        }
        const char c = literal[++i];
        out += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
    }
    return out;
}

// Every Chinese text a user may see, with where it comes from: the skin's XML documents as the
// program loads them, and the u"..." literals of the code in the interface's layers.
std::map<std::string, std::string> InterfaceTexts() {
    std::map<std::string, std::string> texts;
    auto add = [&texts](const std::string& text, const std::string& origin) {
        if (platform::HasChineseText(platform::utf8ToUtf16(text))) texts.emplace(text, origin);
    };
    const BkResourceTable& resources = BkProgramResources();
    for (size_t i = 0; i < resources.count; ++i) {
        const BkResourceEntry& entry = resources.entries[i];
        if (std::string_view(entry.type) != "xml") continue;
        TiXmlDocument doc;
        doc.Parse(reinterpret_cast<const char*>(entry.data), nullptr, TIXML_ENCODING_UTF8);
        const std::string origin = "res/xml/" + std::to_string(entry.id) + ".xml";
        BkInterfaceText::ForEach(&doc, [&](const std::string& text) { add(text, origin); });
    }
    // The credit is the content of the first symbol, not interface text: it is the same in every
    // language.
    const std::string credit = platform::utf16ToUtf8(CQRENCODEUIHandler::kCreditText);
    const std::regex literal(R"re(u"((?:[^"\\]|\\.)*)")re");
    for (const char* folder : {"app", "platform", "bkwin", "bkres"}) {
        for (const auto& file : std::filesystem::recursive_directory_iterator(kSourceDir / folder)) {
            const std::string ext = file.path().extension().string();
            if (ext != ".cpp" && ext != ".h") continue;
            const std::string source = ReadWhole(file.path());
            const std::string origin = std::filesystem::relative(file.path(), kSourceDir).string();
            for (std::sregex_iterator m(source.begin(), source.end(), literal), end; m != end; ++m) {
                const std::string text = Unescape((*m)[1].str());
                if (text != credit) add(text, origin);
            }
        }
    }
    return texts;
}

std::string XmlEscaped(const std::string& text) {
    std::string out;
    TiXmlBase::EncodeString(text, &out);
    return out;
}

TEST(Catalogues, HoldEveryChineseTextOfTheInterface) {
    const std::map<std::string, std::string> texts = InterfaceTexts();
    ASSERT_GT(texts.size(), 50u);  // the walk found the program's texts at all
    const std::vector<std::string> languages = platform::CatalogueLanguages();
    ASSERT_NE(std::find(languages.begin(), languages.end(), "en"), languages.end());
    for (const std::string& language : languages) {
        ASSERT_TRUE(platform::LoadCatalogue(language)) << language;
        std::string missing;
        for (const auto& [text, origin] : texts) {
            const std::u16string source = platform::utf8ToUtf16(text);
            const std::u16string translated = platform::Tr(source);
            if (translated != source && !(language == "en" && platform::HasChineseText(translated))) continue;
            missing += "    <message>\n        <source>" + XmlEscaped(text) + "</source>  <!-- " + origin +
                       " -->\n        <translation></translation>\n    </message>\n";
        }
        EXPECT_TRUE(missing.empty()) << "res/i18n/merovask_" << language
                                     << ".ts lacks the translations of:\n" << missing;
    }
    platform::LoadCatalogue("zh");
}

// Placeholders a text is completed with: %1 to %9 (Tr's arguments) and %strN% (skin strings).
std::multiset<std::string> Placeholders(const std::string& text) {
    static const std::regex placeholder(R"(%[1-9]|%str[0-9]+%)");
    std::multiset<std::string> found;
    for (std::sregex_iterator m(text.begin(), text.end(), placeholder), end; m != end; ++m) found.insert(m->str());
    return found;
}

TEST(Catalogues, EnglishEntriesAreTranslatedInEnglishWithTheirPlaceholders) {
    TiXmlDocument ts;
    ASSERT_TRUE(ts.LoadFile((kSourceDir / "res/i18n/merovask_en.ts").string().c_str(), TIXML_ENCODING_UTF8))
        << ts.ErrorDesc();
    int entries = 0;
    TiXmlHandle root(&ts);
    for (const TiXmlElement* context = root.FirstChild("TS").FirstChild("context").ToElement(); context;
         context = context->NextSiblingElement("context")) {
        for (const TiXmlElement* message = context->FirstChildElement("message"); message;
             message = message->NextSiblingElement("message")) {
            ++entries;
            const TiXmlElement* source = message->FirstChildElement("source");
            const TiXmlElement* translation = message->FirstChildElement("translation");
            ASSERT_TRUE(source && source->GetText());
            const std::string from = source->GetText();
            const std::string to = translation && translation->GetText() ? translation->GetText() : "";
            EXPECT_FALSE(translation && translation->Attribute("type")) << from << ": marked "
                                                                        << translation->Attribute("type");
            EXPECT_FALSE(to.empty()) << from << ": no translation";
            EXPECT_FALSE(platform::HasChineseText(platform::utf8ToUtf16(to))) << from << ": still Chinese: " << to;
            EXPECT_EQ(Placeholders(to), Placeholders(from)) << from << " -> " << to;
            // The interface font is a CJK one: its "…" is a full-width row of centred dots.
            EXPECT_EQ(to.find("\u2026"), std::string::npos) << from << " -> " << to << ": write ... instead";
        }
    }
    EXPECT_GT(entries, 50);
}

class Language : public AppTest {
protected:
    // What the program does at start under this locale: its language, then its resources.
    void UseLocale(const std::string& locale) {
        shell.locale = locale;
        platform::LoadTranslations();
        ASSERT_TRUE(CTALVORINEXModule::LoadResources());
    }
    // The other tests' Chinese interface again.
    void TearDown() override {
        wnd.reset();
        UseLocale("zh_CN.UTF-8");
        AppTest::TearDown();
    }

    struct Shown {
        std::u16string makeTab, generate, versionLabel, firstLevel, autoVersion, readButton, trayRestore;
    };
    Shown WhatTheWindowShows() {
        CTALVORINEXMainWnd& main = CreateMainWindow();
        Shown shown;
        if (auto* tabs = dynamic_cast<CBkTabCtrl*>(main.GetItem(CTALVORINEXMainWnd::IDC_MAIN_TAB))) {
            shown.makeTab = tabs->GetPage(0)->GetTitle();
        }
        if (CBkWindow* button = main.GetItem(CQRENCODEUIHandler::IDC_GENERATE)) shown.generate = button->GetInnerText();
        shown.firstLevel = platform::ComboBox_GetItemText(GetDlgItem(Host(), CQRENCODEUIHandler::IDC_LEVEL_LIST), 0);
        shown.autoVersion = platform::ComboBox_GetItemText(GetDlgItem(Host(), CQRENCODEUIHandler::IDC_VERSION_LIST), 0);
        if (const platform::NOTIFYICONDATA* icon = shell.findTrayIcon(main.GetHWnd(), CTALVORINEXMainWnd::kTrayIconId);
            icon && !icon->menu.empty()) {
            shown.trayRestore = icon->menu.front().text;
        }
        main.ShowPage(CTALVORINEXMainWnd::kReadPage);
        Pump();
        if (CBkWindow* text = main.GetItem(CQRDECODEUIHandler::IDC_READ)) shown.readButton = text->GetInnerText();
        return shown;
    }
};

TEST_F(Language, EnglishWindowUnderAnEnglishLocale) {
    UseLocale("en_US.UTF-8");
    const Shown shown = WhatTheWindowShows();
    EXPECT_EQ(shown.makeTab, u"Make");
    EXPECT_EQ(shown.generate, u"Generate");
    EXPECT_EQ(shown.firstLevel, u"L (7%)");
    EXPECT_EQ(shown.autoVersion, u"Auto");
    EXPECT_EQ(shown.readButton, u"Open...");
    EXPECT_EQ(shown.trayRestore, u"Restore Window");
}

TEST_F(Language, ChineseWindowUnderAChineseLocale) {
    UseLocale("zh_CN.UTF-8");
    const Shown shown = WhatTheWindowShows();
    EXPECT_EQ(shown.makeTab, u"制作");
    EXPECT_EQ(shown.generate, u"生成");
    EXPECT_EQ(shown.firstLevel, u"最低（7%）");
    EXPECT_EQ(shown.autoVersion, u"自动");
    EXPECT_EQ(shown.readButton, u"读取图片");
    EXPECT_EQ(shown.trayRestore, u"恢复窗口");
}

// The read page's status line is one line of fixed width: a longer text is cut off.
TEST_F(Language, ReadPageStatusLinesFitTheirLine) {
    for (const char* locale : {"en_US.UTF-8", "zh_CN.UTF-8"}) {
        UseLocale(locale);
        CTALVORINEXMainWnd& main = CreateMainWindow();
        main.ShowPage(CTALVORINEXMainWnd::kReadPage);
        Pump();
        CBkWindow* status = main.GetItem(CQRDECODEUIHandler::IDC_STATUS);
        ASSERT_NE(status, nullptr);
        const platform::RECT& r = status->GetRect();
        const int room = r.right - r.left - 2 * status->GetStyle().m_nMarginX;
        HDC dc = platform::CreateCompatibleDC(nullptr);
        HFONT old = platform::SelectObject(dc, status->GetStyle().m_ftText);  // its own font (font=0504)
        using namespace PageTexts;
        for (std::u16string_view text : {kNoSymbol, kSymbolDamaged, kSymbolUnsupported, kSeveralSymbols, kReading,
                                         kMicroQr, kRmqr, kCopied}) {
            const std::u16string shown = platform::Tr(text, {u"12"});
            platform::SIZE size{};
            ASSERT_TRUE(platform::GetTextExtentPoint32(dc, shown, &size));
            EXPECT_LE(size.cx, room) << locale << ": " << platform::utf16ToUtf8(shown);
        }
        platform::SelectObject(dc, old);
        platform::DeleteDC(dc);
        wnd.reset();
    }
}

}  // namespace
