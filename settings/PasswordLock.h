#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "settings/Configuration.h"

namespace vantix {

// The interface lock. Only the CRC-32 of the password is stored ("Password"
// in the configuration's cache); the interface starts locked on every run.

// zlib crc32 over the text in the Windows ANSI code page (Windows-1252), as
// Windows installations hash it. Input is UTF-8.
std::uint32_t PasswordHash(std::string_view utf8Text);

bool IsPasswordConfigured(Configuration& config);
// True when a hash is stored and the text matches it; with apply, the lock
// follows the result (a wrong password locks).
bool CheckPassword(Configuration& config, std::string_view text, bool apply);
bool IsUnlocked();
void Lock();
// Stores the hash and flushes the configuration at once, then unlocks. Refuses a
// text whose hash is 0 (it would stop the next start-up) and leaves
// everything as it was when the file cannot be written: false in both cases.
bool SetPassword(Configuration& config, std::string_view text);

// The OK rules of the change-password dialog: 0 when the change may go on,
// else the string id of the message to show (str::kBadPassword for the old
// password, str::kBadNewPassword for the new one). The lock is not touched.
int ValidatePasswordChange(Configuration& config, std::string_view oldText, std::string_view newText, std::string_view confirmText);
// The same rules for the new password alone.
int ValidateNewPassword(std::string_view newText, std::string_view confirmText);

} // namespace vantix
