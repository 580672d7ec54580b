#include "platform/desktop/Autostart.h"
#include "platform/system/Utf8Path.h"

#include <filesystem>

namespace vantix {

namespace fs = std::filesystem;

bool HasAutostartEntry(const std::string& folder) {
    std::error_code ec;
    // A dangling link is an entry too.
    return fs::exists(fs::symlink_status(Utf8Path(AutostartEntryPath(folder)), ec));
}

std::string AutostartEntryPath(const std::string& folder) { return folder + "/" + kAutostartEntryName; }

int CurrentStartupChoice(const AutostartFolders& folders) {
    if (HasAutostartEntry(folders.allUsers))
        return StartupAllUsers;
    if (HasAutostartEntry(folders.currentUser))
        return StartupCurrentUser;
    return StartupNever;
}

Result<void> RemoveAutostartEntry(const std::string& folder) {
    const std::string path = AutostartEntryPath(folder);
    std::error_code ec;
    if (!HasAutostartEntry(folder) || fs::remove(Utf8Path(path), ec))
        return {};
    return Fail(path + ": " + ec.message());
}

std::vector<std::string> ApplyStartupChoice(const AutostartFolders& folders, int choice,
                                            const std::string& executable) {
    std::vector<std::string> failures;
    const auto note = [&](const Result<void>& step) {
        if (!step)
            failures.push_back(step.error());
    };
    const auto remove = [&](const std::string& folder) { note(RemoveAutostartEntry(folder)); };
    const auto create = [&](const std::string& folder) { note(CreateAutostartEntry(folder, executable)); };
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
