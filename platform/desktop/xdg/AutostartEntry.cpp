#include "platform/desktop/Autostart.h"
#include "platform/desktop/xdg/Xdg.h"
#include "platform/system/File.h"

namespace vantix {

const char kAutostartEntryName[] = "Vantix.desktop";

AutostartFolders AutostartFolders::FromEnvironment() {
    return {xdg::FirstConfigDir() + "/autostart", xdg::ConfigHome() + "/autostart"};
}

Result<void> CreateAutostartEntry(const std::string& folder, const std::string& executable) {
    if (HasAutostartEntry(folder))
        return {};
    const std::string path = AutostartEntryPath(folder);
    const std::string exec = xdg::ExecArgument(executable);
    if (exec.empty())
        return Fail("the program path cannot be written into " + path);
    const std::string text = "[Desktop Entry]\n"
                             "Type=Application\n"
                             "Name=Vantix\n"
                             "Exec=" + exec + "\n"
                             "Terminal=false\n"
                             "X-GNOME-Autostart-enabled=true\n";
    return WriteFileAtomically(path, text);
}

} // namespace vantix
