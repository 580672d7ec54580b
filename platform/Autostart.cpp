#include "platform/Autostart.h"

#include <filesystem>

#include "platform/Xdg.h"

namespace vantix {

namespace fs = std::filesystem;

namespace {
bool EntryExists(const std::string& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec)); // a dangling link is an entry too
}
} // namespace

AutostartFolders AutostartFolders::FromEnvironment() {
    return {xdg::FirstConfigDir() + "/autostart", xdg::ConfigHome() + "/autostart"};
}

std::string AutostartEntryPath(const std::string& folder) { return folder + "/" + kAutostartEntryName; }

int CurrentStartupChoice(const AutostartFolders& folders) {
    if (EntryExists(AutostartEntryPath(folders.allUsers)))
        return StartupAllUsers;
    if (EntryExists(AutostartEntryPath(folders.currentUser)))
        return StartupCurrentUser;
    return StartupNever;
}

bool CreateAutostartEntry(const std::string& folder, const std::string& executable, std::string* error) {
    const std::string path = AutostartEntryPath(folder);
    if (EntryExists(path))
        return true;
    const std::string exec = xdg::ExecArgument(executable);
    if (exec.empty()) {
        if (error)
            *error = "the program path cannot be written into " + path;
        return false;
    }
    const std::string text = "[Desktop Entry]\n"
                             "Type=Application\n"
                             "Name=Vantix\n"
                             "Exec=" + exec + "\n"
                             "Terminal=false\n"
                             "X-GNOME-Autostart-enabled=true\n";
    return xdg::WriteFileAtomically(path, text, error);
}

bool RemoveAutostartEntry(const std::string& folder, std::string* error) {
    const std::string path = AutostartEntryPath(folder);
    std::error_code ec;
    if (!EntryExists(path) || fs::remove(path, ec))
        return true;
    if (error)
        *error = path + ": " + ec.message();
    return false;
}

std::vector<std::string> ApplyStartupChoice(const AutostartFolders& folders, int choice,
                                            const std::string& executable) {
    std::vector<std::string> failures;
    std::string error;
    const auto remove = [&](const std::string& folder) {
        if (!RemoveAutostartEntry(folder, &error))
            failures.push_back(error);
    };
    const auto create = [&](const std::string& folder) {
        if (!CreateAutostartEntry(folder, executable, &error))
            failures.push_back(error);
    };
    if (choice == StartupAllUsers) {
        remove(folders.currentUser);
        create(folders.allUsers);
    } else if (choice == StartupCurrentUser) {
        remove(folders.allUsers);
        create(folders.currentUser);
    } else {
        remove(folders.allUsers);
        remove(folders.currentUser);
    }
    return failures;
}

} // namespace vantix
