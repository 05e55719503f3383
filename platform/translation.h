// The interface's language and its one translation look-up.
//
// The program's texts are written in Chinese, in the code and in the skin's XML, and those
// Chinese texts are the keys of the catalogues: Qt Linguist files res/i18n/merovask_<lang>.ts,
// compiled at build time and embedded in the program. Tr() gives a text in the interface
// language; under a Chinese locale it is the text itself. A translator adds a language by adding
// its .ts file; nothing in the code names the languages there are.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The languages the user asked for, best first, read as gettext reads them: the list in
// LANGUAGE (separated by colons) unless the locale (LC_ALL, else LC_MESSAGES, else LANG) is
// C or POSIX, then the locale's own language. Names come without encoding or modifier
// ("en_US.UTF-8@euro" gives "en_US"); the list is empty for the C locale.
std::vector<std::string> PreferredLanguages(std::string_view languageList, std::string_view locale);
// The same from the environment (through the shell provider's test seam).
std::vector<std::string> PreferredLanguages();

// The interface language for `preferred`: the first language with a catalogue, or Chinese for
// a Chinese one (zh, zh_CN, zh_TW ... without a catalogue of their own: the source texts);
// English when none of them is available. Gives the name of the catalogue's language ("en",
// "zh_TW"), or "zh" for the source texts.
std::string ChooseInterfaceLanguage(const std::vector<std::string>& preferred);

// Loads the catalogue of the interface language for the environment, and Qt's own translations
// for its dialogs in that language; replaces what was loaded before. Returns the language's
// name as ChooseInterfaceLanguage gives it.
std::string LoadTranslations();
// Loads the catalogue of `language` ("en"), or none for "zh" and languages without one.
// True when a catalogue is in use afterwards.
bool LoadCatalogue(std::string_view language);
// The language LoadTranslations or LoadCatalogue chose last ("zh" before either).
const std::string& InterfaceLanguage();

// The text `source` in the interface language: its translation from the catalogue, or the
// source itself when the catalogue has none (or there is no catalogue). "%1" to "%9" in the
// result are replaced by `args`, in any order the translation puts them.
std::u16string Tr(std::u16string_view source);
std::u16string Tr(std::u16string_view source, std::initializer_list<std::u16string_view> args);
// The same for UTF-8 text, as the skin's XML holds it.
std::string TrUtf8(const std::string& source);

// The languages with a catalogue in the program ("en", ...), sorted.
std::vector<std::string> CatalogueLanguages();

// True when `text` holds a Chinese character (a CJK ideograph): the texts the catalogues hold.
bool HasChineseText(std::u16string_view text);

}  // namespace platform
