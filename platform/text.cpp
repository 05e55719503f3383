#include "platform/text.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>

namespace platform {

namespace {

bool isHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void appendUtf16(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out += static_cast<char16_t>(cp);
    } else {
        cp -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (cp >> 10));
        out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    }
}

// Length of the well-formed UTF-8 sequence at s[i] (1 to 4), or 0 when it is ill-formed.
// Overlong forms, surrogates and values above U+10FFFF are ill-formed.
int wellFormedUtf8Length(std::string_view s, size_t i, char32_t& cp) {
    const auto byte = [&](size_t k) { return static_cast<uint8_t>(s[k]); };
    const uint8_t b0 = byte(i);
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    int length;
    uint8_t low = 0x80, high = 0xBF;  // range of the second byte
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
        cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        cp = b0 & 0x0F;
        if (b0 == 0xE0) low = 0xA0;
        if (b0 == 0xED) high = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        cp = b0 & 0x07;
        if (b0 == 0xF0) low = 0x90;
        if (b0 == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (i + length > s.size()) return 0;
    for (int k = 1; k < length; ++k) {
        const uint8_t b = byte(i + k);
        if (k == 1 ? (b < low || b > high) : (b < 0x80 || b > 0xBF)) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    return length;
}

// Converts one character through iconv; returns false when the code page has no such
// character (or the conversion is unavailable).
class IconvConverter {
public:
    IconvConverter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
    ~IconvConverter() {
        if (ok()) iconv_close(handle_);
    }
    IconvConverter(const IconvConverter&) = delete;
    IconvConverter& operator=(const IconvConverter&) = delete;

    bool ok() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

    // Converts the whole of `in`; returns false (and leaves `out` undefined) on any failure.
    bool convert(const char* in, size_t inSize, char* out, size_t outCapacity, size_t& outSize) {
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        char* inPtr = const_cast<char*>(in);
        char* outPtr = out;
        size_t inLeft = inSize;
        size_t outLeft = outCapacity;
        if (iconv(handle_, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) || inLeft != 0) return false;
        outSize = outCapacity - outLeft;
        return true;
    }

private:
    iconv_t handle_;
};

// glibc names the Windows flavours of GBK (with the euro sign at 0x80) CP936 and of Shift JIS
// CP932.
const char* const kGbkName = "CP936";
const char* const kShiftJisName = "CP932";

// To the double-byte code page iconv knows as `codePageName`. With `firstMissing`, the offset
// in `text` of the first character the code page lacks goes there (npos when none is missing).
std::string wideToDoubleByte(std::u16string_view text, const char* codePageName, size_t* firstMissing = nullptr) {
    if (firstMissing) *firstMissing = std::u16string_view::npos;
    IconvConverter converter(codePageName, "UTF-32LE");
    std::string out;
    out.reserve(text.size() * 2);
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp < 0x80) {
            out += static_cast<char>(cp);
            continue;
        }
        const size_t start = i;
        if (isHighSurrogate(text[i]) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        const uint8_t utf32[4] = {static_cast<uint8_t>(cp), static_cast<uint8_t>(cp >> 8),
                                  static_cast<uint8_t>(cp >> 16), static_cast<uint8_t>(cp >> 24)};
        char buffer[8];
        size_t size = 0;
        if (converter.ok() && !(cp >= 0xD800 && cp <= 0xDFFF) &&
            converter.convert(reinterpret_cast<const char*>(utf32), 4, buffer, sizeof buffer, size)) {
            out.append(buffer, size);
        } else {
            out += '?';
            if (firstMissing && *firstMissing == std::u16string_view::npos) *firstMissing = start;
        }
    }
    return out;
}

std::u16string gbkToWide(std::string_view bytes) {
    IconvConverter converter("UTF-16LE", kGbkName);
    std::u16string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        const uint8_t b = static_cast<uint8_t>(bytes[i]);
        if (b < 0x80) {
            out += static_cast<char16_t>(b);
            ++i;
            continue;
        }
        // A lead byte takes one trail byte; 0x80 (euro) and 0xFF are single bytes.
        const size_t length = (b >= 0x81 && b <= 0xFE && i + 1 < bytes.size()) ? 2 : 1;
        char buffer[8];
        size_t size = 0;
        if (converter.ok() && converter.convert(bytes.data() + i, length, buffer, sizeof buffer, size) && size >= 2) {
            for (size_t k = 0; k + 1 < size; k += 2)
                out += static_cast<char16_t>(static_cast<uint8_t>(buffer[k]) | static_cast<uint8_t>(buffer[k + 1]) << 8);
            i += length;
        } else {
            out += u'?';
            ++i;
        }
    }
    return out;
}

}  // namespace

bool charsetToWide(const char* charset, std::string_view bytes, std::u16string& out) {
    out.clear();
    const iconv_t handle = iconv_open("UTF-16LE", charset);
    if (handle == reinterpret_cast<iconv_t>(-1)) return false;
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    char buffer[1024];
    const auto takeOutput = [&](const char* end) {
        for (const char* p = buffer; p + 1 < end; p += 2)
            out += static_cast<char16_t>(static_cast<uint8_t>(p[0]) | static_cast<uint8_t>(p[1]) << 8);
    };
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        const size_t result = iconv(handle, &in, &inLeft, &outPtr, &outLeft);
        takeOutput(outPtr);
        if (result != static_cast<size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        // An ill-formed sequence, or one cut off at the end: one replacement, then go on after
        // its first byte.
        out += u'\uFFFD';
        ++in;
        --inLeft;
        iconv(handle, nullptr, nullptr, nullptr, nullptr);
    }
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    iconv(handle, nullptr, nullptr, &outPtr, &outLeft);
    takeOutput(outPtr);
    iconv_close(handle);
    return true;
}

std::string utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (isHighSurrogate(text[i]) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        appendUtf8(out, cp);
    }
    return out;
}

std::u16string utf8ToUtf16(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        char32_t cp = 0;
        const int length = wellFormedUtf8Length(bytes, i, cp);
        if (length == 0) {
            out += u'\uFFFD';
            ++i;
        } else {
            appendUtf16(out, cp);
            i += static_cast<size_t>(length);
        }
    }
    return out;
}

std::string wideToMultiByte(unsigned codePage, std::u16string_view text, bool withTerminator) {
    std::string out;
    if (codePage == kCodePageUtf8) {
        out = utf16ToUtf8(text);
    } else if (codePage == kCodePageAnsi || codePage == kCodePageGbk) {
        out = wideToDoubleByte(text, kGbkName);
    } else if (codePage == kCodePageShiftJis) {
        out = wideToDoubleByte(text, kShiftJisName);
    } else {
        return out;
    }
    if (withTerminator) out += '\0';
    return out;
}

size_t firstUnmappable(unsigned codePage, std::u16string_view text) {
    size_t first = std::u16string_view::npos;
    if (codePage == kCodePageAnsi || codePage == kCodePageGbk) wideToDoubleByte(text, kGbkName, &first);
    if (codePage == kCodePageShiftJis) wideToDoubleByte(text, kShiftJisName, &first);
    return first;
}

std::u16string multiByteToWide(unsigned codePage, std::string_view bytes) {
    if (codePage == kCodePageUtf8) return utf8ToUtf16(bytes);
    if (codePage == kCodePageAnsi || codePage == kCodePageGbk) return gbkToWide(bytes);
    return {};
}

}  // namespace platform
