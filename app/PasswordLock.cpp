#include "app/PasswordLock.h"

#include <zlib.h>

#include "app/IniKeys.h"
#include "app/Settings.h"

namespace vantix {

namespace {

bool g_unlocked = false; // process-wide by design: one lock for the whole interface

int StoredHash() { return Settings::Instance().GetInt(ini::Password.name, ini::Password.defaultValue); }

// Windows-1252 bytes 0x80..0x9F and the characters they stand for (0 = unused).
constexpr char32_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char ToCodePage(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<char>(c);
    for (int i = 0; i < 32; ++i)
        if (kHighControls[i] == c)
            return static_cast<char>(0x80 + i);
    return '?';
}

// Length of the UTF-8 sequence at s[i] and its code point; 0 when invalid.
std::size_t DecodeUtf8(std::string_view s, std::size_t i, char32_t& cp) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t len = b >= 0xF0 && b < 0xF5 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 && b < 0xE0 ? 2 : 0;
    if (len == 0 || i + len > s.size())
        return 0;
    cp = b & (0x7F >> len);
    for (std::size_t k = 1; k < len; ++k) {
        const auto c = static_cast<unsigned char>(s[i + k]);
        if ((c & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (c & 0x3F);
    }
    return len;
}

} // namespace

std::string ToWindows1252(std::string_view utf8Text) {
    std::string out;
    for (std::size_t i = 0; i < utf8Text.size();) {
        const auto b = static_cast<unsigned char>(utf8Text[i]);
        char32_t cp = 0;
        const std::size_t len = b < 0x80 ? 0 : DecodeUtf8(utf8Text, i, cp);
        if (len == 0) {
            out += static_cast<char>(b);
            ++i;
        } else {
            out += ToCodePage(cp);
            i += len;
        }
    }
    return out;
}

std::uint32_t PasswordHash(std::string_view utf8Text) {
    const std::string bytes = ToWindows1252(utf8Text);
    return static_cast<std::uint32_t>(
        crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

bool IsPasswordConfigured() { return StoredHash() != 0; }

bool CheckPassword(std::string_view text, bool apply) {
    const int stored = StoredHash();
    const bool ok = stored != 0 && static_cast<std::uint32_t>(stored) == PasswordHash(text);
    if (apply)
        g_unlocked = ok;
    return ok;
}

bool IsUnlocked() { return g_unlocked; }

void Lock() { g_unlocked = false; }

bool SetPassword(std::string_view text) {
    const std::uint32_t hash = PasswordHash(text);
    if (hash == 0)
        return false;
    Settings& settings = Settings::Instance();
    const int previous = StoredHash();
    settings.SetInt(ini::Password.name, static_cast<int>(hash));
    if (!settings.Flush()) {
        settings.SetInt(ini::Password.name, previous);
        return false;
    }
    g_unlocked = true;
    return true;
}

int ValidatePasswordChange(std::string_view oldText, std::string_view newText, std::string_view confirmText) {
    if (!CheckPassword(oldText, false))
        return kStrBadPassword;
    return ValidateNewPassword(newText, confirmText);
}

int ValidateNewPassword(std::string_view newText, std::string_view confirmText) {
    // A new text hashing to 0 would stop the next start-up: refuse it too.
    if (newText.empty() || confirmText.empty() || newText != confirmText || PasswordHash(newText) == 0)
        return kStrBadNewPassword;
    return 0;
}

} // namespace vantix
