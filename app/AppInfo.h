#pragma once
#include <string>
#include <string_view>

namespace vantix {

// The program's version as its resources spell it.
inline constexpr char kVersionLiteral[] = "2, 7, 1, 8";

// "2, 7, 1, 8" -> "2.7.1 (Build 8)": blanks removed, commas made full stops,
// the last part is the build.
std::string VersionText(std::string_view literal);

// <directory>/help/<first word of the language name>/vantix.chm
std::string HelpFilePath(const std::string& directory, const std::string& languageName);

} // namespace vantix
