#include "core/Text.h"

#include <cstddef>
#include <cstdio>

namespace vantix {

namespace {

// 0x80..0x9F of code page 1252; the five it leaves unassigned keep their
// own value, as Windows converts them.
constexpr char32_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Length of the UTF-8 sequence at `at` and its code point; 0 when it is not
// a valid one (overlong forms and surrogates included).
std::size_t Utf8Sequence(std::string_view t, std::size_t at, char32_t& code) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(t[i]); };
    const unsigned char lead = byte(at);
    std::size_t length;
    char32_t min;
    if (lead < 0x80) {
        code = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) length = 2, min = 0x80;
    else if (lead >= 0xE0 && lead <= 0xEF) length = 3, min = 0x800;
    else if (lead >= 0xF0 && lead <= 0xF4) length = 4, min = 0x10000;
    else return 0;
    if (at + length > t.size()) return 0;
    code = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return 0;
        code = (code << 6) | (byte(at + i) & 0x3F);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

bool IsUtf8(std::string_view t) {
    char32_t code = 0;
    for (std::size_t at = 0; at < t.size();) {
        const std::size_t n = Utf8Sequence(t, at, code);
        if (n == 0) return false;
        at += n;
    }
    return true;
}

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

char ToCodePage(char32_t code) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF))
        return static_cast<char>(code);
    for (int i = 0; i < 32; ++i)
        if (kCp1252High[i] == code)
            return static_cast<char>(0x80 + i);
    return '?';
}

} // namespace

std::string ToWindows1252(std::string_view utf8Text) {
    std::string out;
    for (std::size_t i = 0; i < utf8Text.size();) {
        char32_t code = 0;
        const std::size_t length = Utf8Sequence(utf8Text, i, code);
        if (length == 0) {
            out += utf8Text[i++];
        } else {
            out += ToCodePage(code);
            i += length;
        }
    }
    return out;
}

std::string AnsiToUtf8(std::string_view text) {
    if (IsUtf8(text)) return std::string(text);
    std::string out;
    out.reserve(text.size() * 2);
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        AppendUtf8(out, byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : byte);
    }
    return out;
}

std::string CodePointList(const std::u32string& characters) {
    std::string text;
    for (const char32_t c : characters) {
        char point[16];
        std::snprintf(point, sizeof point, "U+%04X", static_cast<unsigned>(c));
        text += (text.empty() ? "" : ", ") + std::string(point);
    }
    return text;
}

} // namespace vantix
