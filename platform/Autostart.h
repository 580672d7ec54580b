#pragma once
#include <string>
#include <vector>

namespace vantix {

// Starting the program with the desktop session: an XDG autostart entry
// "Vantix.desktop" for all users or for the current user. The entries
// themselves are the state; nothing is kept elsewhere.
struct AutostartFolders {
    std::string allUsers;    // <first $XDG_CONFIG_DIRS, default /etc/xdg>/autostart
    std::string currentUser; // $XDG_CONFIG_HOME/autostart, default ~/.config/autostart

    static AutostartFolders FromEnvironment();
};

inline constexpr char kAutostartEntryName[] = "Vantix.desktop";

enum StartupChoice { StartupAllUsers = 0, StartupCurrentUser = 1, StartupNever = 2 };

std::string AutostartEntryPath(const std::string& folder);

// All users when their entry exists, else the current user when theirs
// does, else never.
int CurrentStartupChoice(const AutostartFolders& folders);

// Creates the entry pointing at the executable; an existing entry is left
// as it is, wherever it points. False with the reason in error on failure.
bool CreateAutostartEntry(const std::string& folder, const std::string& executable, std::string* error);
// Removes the entry when there is one. False with the reason on failure.
bool RemoveAutostartEntry(const std::string& folder, std::string* error);

// Moves or keeps the entries for the choice (anything but 0 and 1 means
// never). Returns the reasons of the steps that failed; empty on success.
std::vector<std::string> ApplyStartupChoice(const AutostartFolders& folders, int choice,
                                            const std::string& executable);

} // namespace vantix
