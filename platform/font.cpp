#include "platform/font.h"

#include <fontconfig/fontconfig.h>

#include <QFontDatabase>
#include <QFontMetrics>
#include <QString>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>

#include "platform/qt/objects.h"

namespace platform {

namespace {

const char16_t* const kCjkFaceNames[] = {u"microsoft yahei", u"simsun", u"nsimsun", u"simhei", u"kaiti",
                                         u"fangsong", u"mingliu", u"pmingliu", u"microsoft jhenghei"};

bool isCjkFace(const QString& face) {
    for (QChar c : face) {
        if (c.unicode() >= 0x2E80) return true;
    }
    const QString lower = face.toLower();
    for (const char16_t* name : kCjkFaceNames) {
        if (lower == QString::fromUtf16(name)) return true;
    }
    return false;
}

// The family fontconfig draws `face` with; CJK faces are matched for Chinese text.
QString matchWithFontconfig(const QString& face, bool cjk) {
    FcPattern* pattern = FcPatternCreate();
    const QByteArray utf8 = face.toUtf8();
    if (!utf8.isEmpty()) FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(utf8.constData()));
    if (cjk) FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("zh-cn"));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    QString family;
    if (match) {
        FcChar8* name = nullptr;
        if (FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch && name) {
            family = QString::fromUtf8(reinterpret_cast<const char*>(name));
        }
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return family;
}

QString resolveFamily(const QString& face) {
    static std::map<QString, QString> cache;
    auto it = cache.find(face);
    if (it != cache.end()) return it->second;
    QString family;
    if (!face.isEmpty() && QFontDatabase::hasFamily(face)) {
        family = face;
    } else {
        family = matchWithFontconfig(face, isCjkFace(face));
        if (family.isEmpty()) family = face;
    }
    cache.emplace(face, family);
    return family;
}

const QString& cjkFallbackFamily() {
    static const QString family = matchWithFontconfig(QStringLiteral("sans-serif"), true);
    return family;
}

void fillFont(HFONT__& f) {
    const LOGFONTW& lf = f.lf;
    const QString face = QString::fromStdU16String(GetFaceName(lf));
    QStringList families{resolveFamily(face)};
    if (!cjkFallbackFamily().isEmpty() && cjkFallbackFamily() != families.front()) {
        families.append(cjkFallbackFamily());
    }
    QFont font;
    font.setFamilies(families);
    font.setWeight(lf.lfWeight >= 600 ? QFont::Bold : QFont::Normal);
    font.setItalic(lf.lfItalic != 0);
    font.setUnderline(lf.lfUnderline != 0);
    font.setStrikeOut(lf.lfStrikeOut != 0);
    font.setKerning(false);
    font.setStyleStrategy(lf.lfQuality == NONANTIALIASED_QUALITY ? QFont::NoAntialias : QFont::PreferAntialias);
    font.setHintingPreference(QFont::PreferFullHinting);
    int pixelSize = 12;
    if (lf.lfHeight < 0) {
        pixelSize = static_cast<int>(std::min<LONG>(-static_cast<int64_t>(lf.lfHeight), 2000));
    } else if (lf.lfHeight > 0) {
        // A cell height: scale the character height so that ascent + descent come out right.
        QFont probe = font;
        probe.setPixelSize(100);
        const QFontMetrics pm(probe);
        const int cell = std::max(1, pm.ascent() + pm.descent());
        pixelSize = std::max(1, static_cast<int>(std::lround(std::min<LONG>(lf.lfHeight, 2000) * 100.0 / cell)));
    }
    font.setPixelSize(pixelSize);
    f.font = font;
    const QFontMetrics fm(font);
    f.ascent = fm.ascent();
    f.descent = fm.descent();
    f.height = f.ascent + f.descent;
    f.averageCharWidth = fm.averageCharWidth();
    f.maxCharWidth = fm.maxWidth();
}

}  // namespace

void SetFaceName(LOGFONTW& lf, std::u16string_view face) {
    const size_t n = std::min<size_t>(face.size(), LF_FACESIZE - 1);
    std::copy_n(face.data(), n, lf.lfFaceName);
    std::fill(lf.lfFaceName + n, lf.lfFaceName + LF_FACESIZE, u'\0');
}

std::u16string GetFaceName(const LOGFONTW& lf) {
    size_t n = 0;
    while (n < LF_FACESIZE && lf.lfFaceName[n] != u'\0') ++n;
    return std::u16string(lf.lfFaceName, n);
}

HFONT CreateFontIndirect(const LOGFONTW* lf) {
    if (!lf) return nullptr;
    auto* f = new HFONT__;
    f->lf = *lf;
    f->lf.lfFaceName[LF_FACESIZE - 1] = u'\0';
    fillFont(*f);
    return f;
}

bool GetObject(HFONT font, LOGFONTW* out) {
    if (!font || !out) return false;
    *out = font->lf;
    return true;
}

bool DeleteObject(HFONT font) {
    if (!font) return false;
    if (font->stock) return true;
    if (font->selectCount > 0) return false;
    delete font;
    return true;
}

HFONT GetStockFont(int index) {
    if (index != DEFAULT_GUI_FONT) return nullptr;
    return qtdetail::stockGuiFont();
}

std::u16string ResolveFontFamily(std::u16string_view face) {
    return resolveFamily(QString::fromUtf16(face.data(), static_cast<qsizetype>(face.size()))).toStdU16String();
}

namespace qtdetail {

HFONT stockGuiFont() {
    static HFONT font = [] {
        LOGFONTW lf;
        lf.lfHeight = -11;
        lf.lfWeight = FW_NORMAL;
        SetFaceName(lf, u"Tahoma");
        HFONT f = CreateFontIndirect(&lf);
        f->stock = true;
        return f;
    }();
    return font;
}

const HFONT__& fontOf(HFONT font) { return font ? *font : *stockGuiFont(); }

}  // namespace qtdetail
}  // namespace platform
