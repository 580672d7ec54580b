#pragma once
#include <string>
#include <vector>

#include "core/Result.h"

namespace vantix {

// Starting the program with the desktop session, for all users or for the
// current user: an XDG autostart entry "Vantix.desktop", or on Windows a
// shortcut "Vantix.lnk" in a Startup folder. The entries themselves are the
// state; nothing is kept elsewhere.
struct AutostartFolders {
    // XDG: <first $XDG_CONFIG_DIRS, default /etc/xdg>/autostart and
    // $XDG_CONFIG_HOME/autostart (default ~/.config/autostart).
    // Windows: the common and the user's Startup folders.
    std::string allUsers;
    std::string currentUser;

    static AutostartFolders FromEnvironment();
};

extern const char kAutostartEntryName[];

enum StartupChoice { StartupAllUsers = 0, StartupCurrentUser = 1, StartupNever = 2 };

std::string AutostartEntryPath(const std::string& folder);
bool HasAutostartEntry(const std::string& folder);

// All users when their entry exists, else the current user when theirs
// does, else never.
int CurrentStartupChoice(const AutostartFolders& folders);

// Creates the entry pointing at the executable; an existing entry is left
// as it is, wherever it points.
Result<void> CreateAutostartEntry(const std::string& folder, const std::string& executable);
// Removes the entry when there is one.
Result<void> RemoveAutostartEntry(const std::string& folder);

// Moves or keeps the entries for the choice (anything but 0 and 1 means
// never). Returns the reasons of the steps that failed; empty on success.
std::vector<std::string> ApplyStartupChoice(const AutostartFolders& folders, int choice,
                                            const std::string& executable);

} // namespace vantix
