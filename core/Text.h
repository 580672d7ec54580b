#pragma once
#include <string>
#include <string_view>

namespace vantix {

// Texts stay 8-bit in the program's core, in the Windows code page 1252
// (Latin-1 with its additions in 0x80..0x9F), as Windows installations keep
// them; the user interface and the database speak UTF-8.

// UTF-8 to code page 1252; characters it lacks become '?'. Bytes that are
// not valid UTF-8 are taken as code-page bytes already.
std::string ToWindows1252(std::string_view utf8Text);

// Code page 1252 to UTF-8, line by line as files are read: a text that is
// valid UTF-8 already stays as it is, any other is converted byte by byte.
std::string AnsiToUtf8(std::string_view text);

// Characters as a list of code points ("U+00E9, U+20AC"), for messages
// about characters that cannot be shown or typed.
std::string CodePointList(const std::u32string& characters);

} // namespace vantix
