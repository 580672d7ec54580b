#include "app/AppInfo.h"

namespace vantix {

std::string VersionText(std::string_view literal) {
    std::string normal;
    for (char c : literal)
        if (c != ' ')
            normal += c == ',' ? '.' : c;
    const auto dot = normal.rfind('.');
    if (dot == std::string::npos)
        return normal;
    return normal.substr(0, dot) + " (Build " + normal.substr(dot + 1) + ")";
}

std::string HelpFilePath(const std::string& directory, const std::string& languageName) {
    const std::string language = languageName.substr(0, languageName.find(' '));
    return directory + "/help/" + language + "/vantix.chm";
}

} // namespace vantix
