#pragma once
#include <string>
#include <string_view>

namespace vantix::win {

// The program keeps paths and texts in UTF-8; Windows' wide functions take UTF-16.
std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);

// The system's text for an error code (GetLastError), without its line end.
std::string ErrorText(unsigned long code);
// The text for the calling thread's last error.
std::string LastErrorText();

} // namespace vantix::win
