#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace vantix {

// The interface lock. Only the CRC-32 of the password is stored ("Password"
// in the Settings cache); the interface starts locked on every run.

// zlib crc32 over the text in the Windows ANSI code page (Windows-1252), as
// Windows installations hash it. Input is UTF-8.
std::uint32_t PasswordHash(std::string_view utf8Text);
// UTF-8 to Windows-1252; characters it lacks become '?'. Bytes that are not
// valid UTF-8 are taken as already 8-bit.
std::string ToWindows1252(std::string_view utf8Text);

bool IsPasswordConfigured();
// True when a hash is stored and the text matches it; with apply, the lock
// follows the result (a wrong password locks).
bool CheckPassword(std::string_view text, bool apply);
bool IsUnlocked();
void Lock();
// Stores the hash and writes the profile at once, then unlocks. Refuses a
// text whose hash is 0 (it would stop the next start-up) and leaves
// everything as it was when the file cannot be written: false in both cases.
bool SetPassword(std::string_view text);

// The OK rules of the change-password dialog: 0 when the change may go on,
// else the string id of the message to show (171 bad old password, 172 bad
// new password). The lock is not touched.
int ValidatePasswordChange(std::string_view oldText, std::string_view newText, std::string_view confirmText);
// The same rules for the new password alone.
int ValidateNewPassword(std::string_view newText, std::string_view confirmText);

inline constexpr int kStrBadPassword = 171;
inline constexpr int kStrBadNewPassword = 172;

} // namespace vantix
