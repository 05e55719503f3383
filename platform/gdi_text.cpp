// Text drawing and measuring with DrawText semantics.
#include <QFontMetrics>
#include <QPainter>
#include <QString>

#include <algorithm>
#include <vector>

#include "platform/gdi.h"
#include "platform/qt/objects.h"

namespace platform {

namespace {

bool isCjk(char16_t c) {
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFF00 && c <= 0xFFEF) ||
           (c >= 0xAC00 && c <= 0xD7AF);
}

// Characters that must not start a line / end a line.
bool noBreakBefore(char16_t c) {
    static const std::u16string_view closing = u"，。！？；：、）》」』】〕”’,.!?;:)]}%";
    return closing.find(c) != std::u16string_view::npos;
}
bool noBreakAfter(char16_t c) {
    static const std::u16string_view opening = u"（《「『【〔“‘([{";
    return opening.find(c) != std::u16string_view::npos;
}
bool isSpace(char16_t c) { return c == u' ' || c == u'\t' || c == 0x3000; }

// One laid-out line: its text and, per unit, whether prefix processing underlines it.
struct Line {
    QString text;
    std::vector<bool> underline;
};

class Measurer {
public:
    Measurer(const HFONT__& font, int tabWidth, bool expandTabs)
        : fm_(font.font), tabWidth_(std::max(1, tabWidth)), expandTabs_(expandTabs) {}

    // Advance of the unit(s) at i (0 for the second unit of a pair), tabs at `x`.
    int advance(const QString& s, int i, int x) const {
        const QChar c = s[i];
        if (c == u'\t') {
            if (!expandTabs_) return fm_.horizontalAdvance(QLatin1Char(' '));
            return (x / tabWidth_ + 1) * tabWidth_ - x;
        }
        if (c.isLowSurrogate() && i > 0 && s[i - 1].isHighSurrogate()) return 0;
        if (c.isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
            return fm_.horizontalAdvance(s.mid(i, 2));
        }
        return fm_.horizontalAdvance(c);
    }
    int width(const QString& s, int from, int to) const {
        int x = 0;
        for (int i = from; i < to; ++i) x += advance(s, i, x);
        return x;
    }
    int width(const QString& s) const { return width(s, 0, static_cast<int>(s.size())); }
    const QFontMetrics& metrics() const { return fm_; }

private:
    QFontMetrics fm_;
    int tabWidth_;
    bool expandTabs_;
};

// Removes prefix characters: "&x" -> x underlined, "&&" -> "&".
Line stripPrefixes(const QString& s, bool process) {
    Line out;
    if (!process) {
        out.text = s;
        out.underline.assign(static_cast<size_t>(s.size()), false);
        return out;
    }
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == u'&') {
            if (i + 1 >= s.size()) break;
            ++i;
            out.text.append(s[i]);
            out.underline.push_back(s[i] != u'&');
            continue;
        }
        out.text.append(s[i]);
        out.underline.push_back(false);
    }
    return out;
}

Line subLine(const Line& l, int from, int to) {
    Line out;
    out.text = l.text.mid(from, to - from);
    out.underline.assign(l.underline.begin() + from, l.underline.begin() + to);
    return out;
}

bool breakAllowedBefore(const QString& s, int i) {
    if (i <= 0 || i >= s.size()) return false;
    const char16_t prev = s[i - 1].unicode(), cur = s[i].unicode();
    if (isSpace(cur)) return false;
    if (isSpace(prev)) return true;
    if (noBreakBefore(cur) || noBreakAfter(prev)) return false;
    if (s[i].isLowSurrogate()) return false;
    return isCjk(prev) || isCjk(cur);
}

// Greedy wrapping of one paragraph to maxWidth.
void wrapParagraph(const Line& para, const Measurer& m, int maxWidth, std::vector<Line>& out) {
    const QString& s = para.text;
    const int n = static_cast<int>(s.size());
    int start = 0;
    if (n == 0) {
        out.push_back(para);
        return;
    }
    while (start < n) {
        int x = 0;
        int lastBreak = -1;
        int i = start;
        for (; i < n; ++i) {
            if (i > start && breakAllowedBefore(s, i)) lastBreak = i;
            const int w = m.advance(s, i, x);
            // Spaces may hang past the edge; they are dropped at the wrap.
            if (x + w > maxWidth && !isSpace(s[i].unicode()) && i > start) break;
            x += w;
        }
        if (i >= n) {
            int end = n;
            out.push_back(subLine(para, start, end));
            break;
        }
        int end = (lastBreak > start) ? lastBreak : i;
        if (end < n && s[end].isLowSurrogate()) ++end;
        int trimmed = end;
        while (trimmed > start && isSpace(s[trimmed - 1].unicode())) --trimmed;
        out.push_back(subLine(para, start, trimmed));
        start = end;
        while (start < n && isSpace(s[start].unicode())) ++start;
    }
}

void applyEllipsis(Line& line, const Measurer& m, int maxWidth) {
    const QString& s = line.text;
    if (m.width(s) <= maxWidth) return;
    const QString dots = QStringLiteral("...");
    const int room = maxWidth - m.width(dots);
    // The longest prefix that leaves room for the dots, never splitting a surrogate pair.
    int keep = 0;
    int x = 0;
    for (int i = 0; i < s.size(); ++i) {
        const bool pair = s[i].isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate();
        x += m.advance(s, i, x);
        if (x > room) break;
        keep = i + (pair ? 2 : 1);
        if (pair) ++i;
    }
    line.text = s.left(keep) + dots;
    line.underline.resize(static_cast<size_t>(keep));
    line.underline.resize(static_cast<size_t>(line.text.size()), false);
}

void drawLine(QPainter& p, const Line& line, const Measurer& m, int x, int y, int ascent) {
    const QString& s = line.text;
    // Tabs are drawn as gaps: draw the runs between them at their measured places.
    int runStart = 0;
    int pos = 0;
    int runX = x;
    for (int i = 0; i <= s.size(); ++i) {
        if (i == s.size() || s[i] == u'\t') {
            if (i > runStart) p.drawText(QPoint(runX, y + ascent), s.mid(runStart, i - runStart));
            if (i == s.size()) break;
            pos += m.advance(s, i, pos);
            runStart = i + 1;
            runX = x + pos;
            continue;
        }
        pos += m.advance(s, i, pos);
    }
    int ux = 0;
    for (int i = 0; i < s.size(); ++i) {
        const int w = m.advance(s, i, ux);
        if (i < static_cast<int>(line.underline.size()) && line.underline[i]) {
            p.drawLine(x + ux, y + ascent + 1, x + ux + w - 1, y + ascent + 1);
        }
        ux += w;
    }
}

QString toQString(const char16_t* text, int count) {
    if (!text) return QString();
    if (count < 0) {
        count = 0;
        while (text[count] != u'\0') ++count;
    }
    return QString::fromUtf16(text, count);
}

}  // namespace

int DrawText(HDC hdc, const char16_t* text, int count, RECT* rect, UINT format) {
    if (!hdc || !rect) return 0;
    const HFONT__& font = qtdetail::fontOf(hdc->font);
    int tabChars = 8;
    // The tab size rides in the second byte, where DT_NOPREFIX and DT_CALCRECT also live: both
    // readings are kept, so that a measuring call never draws.
    if (format & DT_TABSTOP) {
        tabChars = static_cast<int>((format >> 8) & 0xFF);
        if (tabChars == 0) tabChars = 8;
    }
    const bool singleLine = format & DT_SINGLELINE;
    const bool calc = format & DT_CALCRECT;
    const int lineHeight = font.height + ((format & DT_EXTERNALLEADING) ? font.font.pixelSize() / 8 : 0);
    const Measurer m(font, tabChars * std::max(1, font.averageCharWidth), format & (DT_EXPANDTABS | DT_TABSTOP));
    const int rectWidth = RectWidth(*rect);

    const QString source = toQString(text, count);
    std::vector<Line> paragraphs;
    if (singleLine) {
        QString flat = source;
        flat.remove(QLatin1Char('\r'));
        flat.remove(QLatin1Char('\n'));
        paragraphs.push_back(stripPrefixes(flat, !(format & DT_NOPREFIX)));
    } else {
        QString normal = source;
        normal.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        normal.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        for (const QString& part : normal.split(QLatin1Char('\n'))) {
            paragraphs.push_back(stripPrefixes(part, !(format & DT_NOPREFIX)));
        }
    }
    std::vector<Line> lines;
    for (const Line& para : paragraphs) {
        if ((format & DT_WORDBREAK) && !singleLine) {
            wrapParagraph(para, m, rectWidth, lines);
        } else {
            lines.push_back(para);
        }
    }
    if (format & DT_END_ELLIPSIS) {
        for (Line& l : lines) applyEllipsis(l, m, rectWidth);
    }
    std::vector<int> widths;
    int widest = 0;
    for (const Line& l : lines) {
        widths.push_back(m.width(l.text));
        widest = std::max(widest, widths.back());
    }
    const int total = static_cast<int>(lines.size()) * lineHeight;
    if (calc) {
        rect->right = rect->left + widest;
        rect->bottom = rect->top + total;
        return total;
    }

    int y = rect->top;
    if (singleLine) {
        if (format & DT_VCENTER) {
            y = rect->top + (RectHeight(*rect) - lineHeight) / 2;
        } else if (format & DT_BOTTOM) {
            y = rect->bottom - lineHeight;
        }
    }
    QRect touched;
    {
        QRegion clip = qtdetail::logicalDrawableRegion(hdc);
        if (!(format & DT_NOCLIP)) clip = clip.intersected(QRect(rect->left, rect->top, rectWidth, RectHeight(*rect)));
        // Glyphs are drawn at the bitmap's device resolution, laid out in logical pixels.
        QPainter p;
        qtdetail::beginLogicalPainter(p, hdc, clip);
        p.setFont(font.font);
        p.setPen(QColor::fromRgb(qtdetail::pixelOf(hdc->textColor)));
        const QColor bk = QColor::fromRgb(qtdetail::pixelOf(hdc->bkColor));
        for (size_t i = 0; i < lines.size(); ++i, y += lineHeight) {
            if ((format & DT_EDITCONTROL) && i > 0 && y + lineHeight > rect->bottom) break;
            int x = rect->left;
            if (format & DT_CENTER) {
                x = rect->left + (rectWidth - widths[i]) / 2;
            } else if (format & DT_RIGHT) {
                x = rect->right - widths[i];
            }
            const QRect cell(x, y, widths[i], lineHeight);
            if (hdc->bkMode == OPAQUE && widths[i] > 0) p.fillRect(cell, bk);
            drawLine(p, lines[i], m, x, y, font.ascent);
            touched = touched.united(cell.adjusted(-2, -2, 2, 2));
        }
    }
    if (hdc->bitmap->mono) qtdetail::requantize(hdc, touched);
    return total;
}

int DrawText(HDC hdc, std::u16string_view text, RECT* rect, UINT format) {
    return DrawText(hdc, text.data() ? text.data() : u"", static_cast<int>(text.size()), rect, format);
}

bool TextOut(HDC hdc, int x, int y, std::u16string_view text) {
    if (!hdc) return false;
    const HFONT__& font = qtdetail::fontOf(hdc->font);
    const QString s = QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
    const Measurer m(font, 8 * std::max(1, font.averageCharWidth), false);
    const int w = m.width(s);
    const QRect cell(x, y, w, font.height);
    {
        QPainter p;
        qtdetail::beginLogicalPainter(p, hdc);
        if (hdc->bkMode == OPAQUE && w > 0) p.fillRect(cell, QColor::fromRgb(qtdetail::pixelOf(hdc->bkColor)));
        p.setFont(font.font);
        p.setPen(QColor::fromRgb(qtdetail::pixelOf(hdc->textColor)));
        p.drawText(QPoint(x, y + font.ascent), s);
    }
    if (hdc->bitmap->mono) qtdetail::requantize(hdc, cell.adjusted(-2, -2, 2, 2));
    return true;
}

bool GetTextExtentPoint32(HDC hdc, std::u16string_view text, SIZE* size) {
    if (!hdc || !size) return false;
    const HFONT__& font = qtdetail::fontOf(hdc->font);
    const Measurer m(font, 8 * std::max(1, font.averageCharWidth), false);
    size->cx = m.width(QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())));
    size->cy = font.height;
    return true;
}

bool GetTextExtentExPoint(HDC hdc, std::u16string_view text, int maxExtent, int* fit, std::vector<int>* partialWidths,
                          SIZE* size) {
    if (!hdc) return false;
    const HFONT__& font = qtdetail::fontOf(hdc->font);
    const Measurer m(font, 8 * std::max(1, font.averageCharWidth), false);
    const QString s = QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
    if (partialWidths) partialWidths->assign(static_cast<size_t>(s.size()), 0);
    int x = 0;
    int fitted = 0;
    bool stillFits = true;
    for (int i = 0; i < s.size(); ++i) {
        const bool pair = s[i].isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate();
        x += m.advance(s, i, x);
        if (partialWidths) {
            (*partialWidths)[i] = x;
            if (pair) (*partialWidths)[i + 1] = x;
        }
        if (stillFits && x <= maxExtent) {
            fitted = i + (pair ? 2 : 1);
        } else {
            stillFits = false;
        }
        if (pair) ++i;
    }
    if (fit) *fit = fitted;
    if (size) *size = SIZE{x, font.height};
    return true;
}

bool GetTextMetrics(HDC hdc, TEXTMETRIC* metrics) {
    if (!hdc || !metrics) return false;
    const HFONT__& font = qtdetail::fontOf(hdc->font);
    metrics->tmHeight = font.height;
    metrics->tmAscent = font.ascent;
    metrics->tmDescent = font.descent;
    metrics->tmInternalLeading = std::max(0, font.height - font.font.pixelSize());
    metrics->tmExternalLeading = 0;
    metrics->tmAveCharWidth = font.averageCharWidth;
    metrics->tmMaxCharWidth = font.maxCharWidth;
    metrics->tmWeight = font.lf.lfWeight;
    metrics->tmItalic = font.lf.lfItalic;
    metrics->tmUnderlined = font.lf.lfUnderline;
    return true;
}

}  // namespace platform
