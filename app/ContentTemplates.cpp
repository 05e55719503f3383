#include "app/ContentTemplates.h"

#include <vector>

namespace ContentTemplates {
namespace {

struct Template {
    int tab;
    std::u16string_view token;  // a field starting with it keeps its text
    std::u16string_view text;
};

constexpr Template kTemplates[] = {
    {0, u"http", u"http://"},
    {1, u"BEGIN:VCARD", u"BEGIN:VCARD\nVERSION:3.0\nN:\nFN:\nTEL:\nEMAIL:\nEND:VCARD"},
    {2, u"tel:", u"tel:"},
    {3, u"smsto:", u"smsto:"},
    {4, u"mmsto:", u"mmsto:"},
    {5, u"mailto:", u"mailto:"},
    {6, u"WIFI:", u"WIFI:T:WPA;S:;P:;;"},
    {7, u"geo:", u"geo:"},
};
constexpr int kWifiTab = 6;

constexpr std::u16string_view kWifiPrefix = u"WIFI:";
// The keys of a Wi-Fi network text; a ';' followed by one of them starts the next field.
constexpr std::u16string_view kWifiKeys[] = {u"T:", u"S:", u"P:", u"H:", u"E:", u"A:", u"I:", u"PH2:", u"R:"};
constexpr std::u16string_view kWifiSpecial = u"\\;,:\"";

bool IsSpecial(char16_t c) { return kWifiSpecial.find(c) != std::u16string_view::npos; }

bool StartsWithKey(std::u16string_view text) {
    for (std::u16string_view key : kWifiKeys) {
        if (text.starts_with(key)) return true;
    }
    return false;
}

void AppendEscaped(std::u16string& out, std::u16string_view value) {
    for (size_t i = 0; i < value.size(); ++i) {
        const char16_t c = value[i];
        if (c == u'\\' && i + 1 < value.size() && IsSpecial(value[i + 1])) {
            out += c;
            out += value[++i];
            continue;
        }
        if (IsSpecial(c)) out += u'\\';
        out += c;
    }
}

void AppendField(std::u16string& out, std::u16string_view field) {
    if (field.starts_with(u"S:") || field.starts_with(u"P:")) {
        out += field.substr(0, 2);
        AppendEscaped(out, field.substr(2));
    } else {
        out += field;
    }
}

}  // namespace

std::u16string Prefill(int tab, std::u16string_view field) {
    for (const Template& t : kTemplates) {
        if (t.tab == tab) return std::u16string(field.starts_with(t.token) ? field : t.text);
    }
    return std::u16string(field);
}

std::u16string Content(int tab, std::u16string_view field) {
    return tab == kWifiTab ? EscapeWifiValues(field) : std::u16string(field);
}

std::u16string EscapeWifiValues(std::u16string_view text) {
    if (!text.starts_with(kWifiPrefix)) return std::u16string(text);
    size_t end = text.size();
    while (end > kWifiPrefix.size() && (text[end - 1] == u'\r' || text[end - 1] == u'\n')) --end;
    const std::u16string_view body = text.substr(kWifiPrefix.size(), end - kWifiPrefix.size());

    // The characters a backslash already escapes are not separators.
    std::vector<bool> escaped(body.size(), false);
    for (size_t i = 0; i + 1 < body.size(); ++i) {
        if (body[i] == u'\\' && IsSpecial(body[i + 1])) escaped[++i] = true;
    }
    auto separator = [&](size_t i) { return body[i] == u';' && !escaped[i]; };
    // The closing ";;": the last field's end and the text's.
    size_t close = body.size();
    for (int n = 0; n < 2 && close > 0 && separator(close - 1); ++n) --close;

    std::u16string out(kWifiPrefix);
    size_t start = 0;
    for (size_t i = 0; i < close; ++i) {
        if (!separator(i) || !StartsWithKey(body.substr(i + 1, close - i - 1))) continue;
        AppendField(out, body.substr(start, i - start));
        out += u';';
        start = i + 1;
    }
    AppendField(out, body.substr(start, close - start));
    out += body.substr(close);
    out += text.substr(end);
    return out;
}

}  // namespace ContentTemplates
