#include "settings/PasswordLock.h"

#include <zlib.h>

#include "settings/IniKeys.h"
#include "core/Ids.h"
#include "core/Text.h"

namespace vantix {

namespace {

bool g_unlocked = false; // process-wide by design: one lock for the whole interface

int StoredHash(Configuration& config) { return config.CachedInt(ini::Password.name, ini::Password.defaultValue); }

} // namespace

std::uint32_t PasswordHash(std::string_view utf8Text) {
    const std::string bytes = ToWindows1252(utf8Text);
    return static_cast<std::uint32_t>(
        crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

bool IsPasswordConfigured(Configuration& config) { return StoredHash(config) != 0; }

bool CheckPassword(Configuration& config, std::string_view text, bool apply) {
    const int stored = StoredHash(config);
    const bool ok = stored != 0 && static_cast<std::uint32_t>(stored) == PasswordHash(text);
    if (apply)
        g_unlocked = ok;
    return ok;
}

bool IsUnlocked() { return g_unlocked; }

void Lock() { g_unlocked = false; }

bool SetPassword(Configuration& config, std::string_view text) {
    const std::uint32_t hash = PasswordHash(text);
    if (hash == 0)
        return false;
    const int previous = StoredHash(config);
    config.SetCachedInt(ini::Password.name, static_cast<int>(hash));
    if (!config.Flush()) {
        config.SetCachedInt(ini::Password.name, previous);
        return false;
    }
    g_unlocked = true;
    return true;
}

int ValidatePasswordChange(Configuration& config, std::string_view oldText, std::string_view newText,
                           std::string_view confirmText) {
    if (!CheckPassword(config, oldText, false))
        return str::kBadPassword;
    return ValidateNewPassword(newText, confirmText);
}

int ValidateNewPassword(std::string_view newText, std::string_view confirmText) {
    // A new text hashing to 0 would stop the next start-up: refuse it too.
    if (newText.empty() || confirmText.empty() || newText != confirmText || PasswordHash(newText) == 0)
        return str::kBadNewPassword;
    return 0;
}

} // namespace vantix
