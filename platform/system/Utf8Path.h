#pragma once
#include <filesystem>
#include <string>
#include <string_view>

namespace vantix {

// The program keeps paths as UTF-8 strings; std::filesystem takes narrow
// strings in the system's code page on Windows, so convert explicitly.
inline std::filesystem::path Utf8Path(std::string_view utf8) {
    return std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

inline std::string Utf8String(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

} // namespace vantix
