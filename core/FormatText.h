#pragma once
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

namespace vantix {

// Fills a string-table text: each %s or %d takes the next argument in turn,
// %% is a percent sign. Never reads past the arguments it was given, whatever
// a translated text holds.
std::string FormatText(std::string_view format, std::span<const std::string_view> args);

inline std::string FormatText(std::string_view format, std::initializer_list<std::string_view> args) {
    return FormatText(format, std::span(args.begin(), args.size()));
}

} // namespace vantix
