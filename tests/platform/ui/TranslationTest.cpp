// The interface language from the environment, and the look-up with its placeholders.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/shell.h"
#include "platform/translation.h"

namespace platform {
namespace {

using Languages = std::vector<std::string>;

TEST(InterfaceLanguage, ReadsLanguageAndTheLocaleAsGettextDoes) {
    EXPECT_EQ(PreferredLanguages("", "zh_CN.UTF-8"), (Languages{"zh_CN"}));
    EXPECT_EQ(PreferredLanguages("", "en_GB.UTF-8@euro"), (Languages{"en_GB"}));
    // LANGUAGE comes first, the locale's own language last.
    EXPECT_EQ(PreferredLanguages("fr:zh_TW", "de_DE.UTF-8"), (Languages{"fr", "zh_TW", "de_DE"}));
    // The C locale asks for nothing, whatever LANGUAGE says.
    EXPECT_EQ(PreferredLanguages("zh_CN", "C"), Languages{});
    EXPECT_EQ(PreferredLanguages("zh_CN", "POSIX"), Languages{});
    EXPECT_EQ(PreferredLanguages("", ""), Languages{});

    EXPECT_EQ(ChooseInterfaceLanguage({"zh_CN"}), "zh_CN");
    EXPECT_EQ(ChooseInterfaceLanguage({"zh_TW"}), "zh_TW");
    EXPECT_EQ(ChooseInterfaceLanguage({"en_US"}), "en_US");
    // Languages without a catalogue give way to the next one, and to English at the end.
    EXPECT_EQ(ChooseInterfaceLanguage({"fr", "zh_HK", "en_US"}), "zh_HK");
    EXPECT_EQ(ChooseInterfaceLanguage({"de_DE", "fr"}), "en");
    EXPECT_EQ(ChooseInterfaceLanguage({}), "en");
}

TEST(InterfaceLanguage, FollowsTheEnvironmentAndLoadsItsCatalogue) {
    SetShellProvider(nullptr);
    auto chosen = [](const char* language, const char* all, const char* lang) {
        for (auto [name, value] : {std::pair{"LANGUAGE", language}, {"LC_ALL", all}, {"LC_MESSAGES", nullptr},
                                   {"LANG", lang}}) {
            if (value) setenv(name, value, 1);
            else unsetenv(name);
        }
        return LoadTranslations();
    };
    EXPECT_EQ(chosen(nullptr, nullptr, "en_US.UTF-8"), "en_US");
    EXPECT_EQ(Tr(u"生成"), u"Generate");
    EXPECT_EQ(chosen(nullptr, "zh_CN.UTF-8", "en_US.UTF-8"), "zh_CN");  // LC_ALL wins over LANG
    EXPECT_EQ(Tr(u"生成"), u"生成");
    EXPECT_EQ(chosen("zh_TW:en", nullptr, "en_US.UTF-8"), "zh_TW");
    EXPECT_EQ(chosen("zh_CN", nullptr, "C"), "en");
    EXPECT_EQ(chosen(nullptr, nullptr, nullptr), "en");
    EXPECT_EQ(InterfaceLanguage(), "en");
    for (const char* name : {"LANGUAGE", "LC_ALL", "LANG"}) unsetenv(name);
    LoadCatalogue("zh");
}

TEST(Translation, FillsPlaceholdersWhereTheTranslationPutsThem) {
    ASSERT_TRUE(LoadCatalogue("en"));
    EXPECT_EQ(Tr(u"保存失败：%1", {u"the disk is full"}), u"Could not save: the disk is full");
    LoadCatalogue("zh");
    EXPECT_EQ(Tr(u"保存失败：%1", {u"磁盘空间不足"}), u"保存失败：磁盘空间不足");
    EXPECT_EQ(Tr(u"%2 和 %1 %3", {u"a", u"b"}), u"b 和 a %3");  // a missing argument stays as written
    EXPECT_EQ(Tr(u"未知的文本"), u"未知的文本");
}

}  // namespace
}  // namespace platform
