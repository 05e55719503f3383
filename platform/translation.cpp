// The interface language and the translation look-up over the embedded Qt Linguist catalogues.
#include "platform/translation.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QTranslator>

#include <algorithm>
#include <memory>

#include "platform/shell.h"

namespace platform {

namespace {

// Where the build puts the compiled catalogues among the program's Qt resources.
const QString kCatalogueFolder = QStringLiteral(":/i18n");
const QString kCataloguePrefix = QStringLiteral("merovask_");
// Every text of the program is in one context of the catalogues.
constexpr const char* kContext = "Merovask";

struct Catalogue {
    std::unique_ptr<QTranslator> translator;
    std::string language = "zh";
};

Catalogue& Current() {
    static Catalogue catalogue;
    return catalogue;
}

// "en_US.UTF-8@euro" -> "en_US"; "en-GB" -> "en_GB".
std::string BareLocaleName(std::string_view name) {
    std::string bare(name.substr(0, name.find_first_of(".@")));
    std::replace(bare.begin(), bare.end(), '-', '_');
    return bare;
}

std::string LanguagePart(const std::string& name) { return name.substr(0, name.find('_')); }

bool IsCLocale(const std::string& bare) { return bare.empty() || bare == "C" || bare == "POSIX"; }

QString CataloguePath(const std::string& name) {
    return kCatalogueFolder + QLatin1Char('/') + kCataloguePrefix + QString::fromStdString(name) +
           QStringLiteral(".qm");
}

// The catalogue file for `name` ("en_US" finds merovask_en_US, else merovask_en), or empty.
QString FindCatalogue(const std::string& name) {
    for (const std::string& candidate : {name, LanguagePart(name)}) {
        if (!candidate.empty() && QFile::exists(CataloguePath(candidate))) return CataloguePath(candidate);
    }
    return QString();
}

}  // namespace

std::vector<std::string> PreferredLanguages(std::string_view languageList, std::string_view locale) {
    const std::string bareLocale = BareLocaleName(locale);
    // The C locale asks for no language: gettext then ignores LANGUAGE as well.
    if (IsCLocale(bareLocale)) return {};
    std::vector<std::string> languages;
    std::string_view rest = languageList;
    while (!rest.empty()) {
        const size_t colon = rest.find(':');
        const std::string entry = BareLocaleName(rest.substr(0, colon));
        if (!IsCLocale(entry)) languages.push_back(entry);
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    }
    // The locale's own language comes last: a Chinese desktop whose LANGUAGE names only
    // languages without a catalogue stays Chinese.
    if (std::find(languages.begin(), languages.end(), bareLocale) == languages.end()) {
        languages.push_back(bareLocale);
    }
    return languages;
}

std::vector<std::string> PreferredLanguages() {
    ShellProvider& shell = CurrentShellProvider();
    return PreferredLanguages(shell.languageList(), shell.localeName());
}

std::string ChooseInterfaceLanguage(const std::vector<std::string>& preferred) {
    for (const std::string& name : preferred) {
        if (!FindCatalogue(name).isEmpty() || LanguagePart(name) == "zh") return name;
    }
    return "en";
}

bool LoadCatalogue(std::string_view language) {
    Catalogue& current = Current();
    current.translator.reset();
    current.language = std::string(language);
    const QString path = FindCatalogue(current.language);
    if (path.isEmpty()) return false;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(path)) return false;
    current.translator = std::move(translator);
    return true;
}

std::string LoadTranslations() {
    const std::string language = ChooseInterfaceLanguage(PreferredLanguages());
    LoadCatalogue(language);
    LoadQtTranslations(language);
    return language;
}

const std::string& InterfaceLanguage() { return Current().language; }

std::u16string Tr(std::u16string_view source) {
    const Catalogue& current = Current();
    if (!current.translator || source.empty()) return std::u16string(source);
    const QByteArray key = QString::fromUtf16(source.data(), static_cast<qsizetype>(source.size())).toUtf8();
    const QString translated = current.translator->translate(kContext, key.constData());
    // An entry without a translation yet gives nothing: the source text stands in for it.
    return translated.isEmpty() ? std::u16string(source) : translated.toStdU16String();
}

std::u16string Tr(std::u16string_view source, std::initializer_list<std::u16string_view> args) {
    const std::u16string text = Tr(source);
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t next = i + 1 < text.size() ? text[i + 1] : u'\0';
        const size_t index = static_cast<size_t>(next - u'1');
        if (text[i] == u'%' && next >= u'1' && next <= u'9' && index < args.size()) {
            out += *(args.begin() + index);
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string TrUtf8(const std::string& source) {
    const Catalogue& current = Current();
    if (!current.translator || source.empty()) return source;
    const QString translated = current.translator->translate(kContext, source.c_str());
    return translated.isEmpty() ? source : translated.toStdString();
}

std::vector<std::string> CatalogueLanguages() {
    std::vector<std::string> languages;
    const QStringList files =
        QDir(kCatalogueFolder).entryList({kCataloguePrefix + QStringLiteral("*.qm")}, QDir::Files, QDir::Name);
    for (const QString& file : files) {
        languages.push_back(file.mid(kCataloguePrefix.size(), file.size() - kCataloguePrefix.size() - 3).toStdString());
    }
    return languages;
}

bool HasChineseText(std::u16string_view text) {
    return std::any_of(text.begin(), text.end(), [](char16_t c) {
        return (c >= 0x3400 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF);
    });
}

}  // namespace platform
