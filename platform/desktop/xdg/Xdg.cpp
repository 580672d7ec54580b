#include "platform/desktop/xdg/Xdg.h"

#include <cstdlib>

namespace vantix::xdg {

namespace {
std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

std::string HomeDir() {
    const std::string home = Env("HOME");
    return home.empty() ? "/" : home;
}
} // namespace

std::string ConfigHome() {
    const std::string dir = Env("XDG_CONFIG_HOME");
    return dir.empty() || dir.front() != '/' ? HomeDir() + "/.config" : dir;
}

std::string DataHome() {
    const std::string dir = Env("XDG_DATA_HOME");
    return dir.empty() || dir.front() != '/' ? HomeDir() + "/.local/share" : dir;
}

std::string FirstConfigDir() {
    const std::string dirs = Env("XDG_CONFIG_DIRS");
    const std::string first = dirs.substr(0, dirs.find(':'));
    return first.empty() || first.front() != '/' ? "/etc/xdg" : first;
}

std::string ExecArgument(std::string_view path) {
    if (path.find_first_of("\r\n") != std::string_view::npos)
        return {};
    std::string quoted = "\"";
    for (char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        if (c == '%')
            quoted += '%'; // field codes start with %
        quoted += c;
    }
    quoted += '"';
    // The string-value escape applies on top of the quoting rule.
    std::string escaped;
    for (char c : quoted) {
        if (c == '\\')
            escaped += '\\';
        escaped += c;
    }
    return escaped;
}

} // namespace vantix::xdg
