#include "settings/Profile.h"

namespace vantix {

namespace {
IniFile& Storage() {
    // Until start-up names the program's INI file, the profile is one in the
    // working directory, like the framework's default.
    static IniFile file("Vantix.ini");
    return file;
}
} // namespace

IniFile& Profile::App() { return Storage(); }

void Profile::SetAppPath(const std::string& iniPath) { Storage() = IniFile(iniPath); }

} // namespace vantix
