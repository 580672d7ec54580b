#pragma once
#include <string>
#include <vector>

#include "core/Result.h"

namespace vantix {

// Where the settings file, the registration files and the language modules
// live. A copy in a directory its user may write to keeps everything there
// (the portable layout Windows-made INI files expect); an installed copy
// keeps them in the user's XDG directories (on Windows: the roaming
// application data folder), since the installed tree is not the user's to
// write.
struct FileLocations {
    bool portable = true;
    std::string iniFile;                        // the settings file
    std::string dataDirectory;                  // registration files; ends with '/'
    std::vector<std::string> moduleDirectories; // language modules; each ends with '/'

    // Everything in the program directory.
    static FileLocations Portable(const std::string& programDirectory);
    // $XDG_CONFIG_HOME/Vantix/Vantix.ini and $XDG_DATA_HOME/Vantix/; modules
    // beside the program and in the installed module directory.
    static FileLocations PerUser(const std::string& programDirectory, const std::string& installedModuleDirectory);
    static FileLocations PerUser(const std::string& programDirectory) {
        return PerUser(programDirectory, InstalledModuleDirectory(programDirectory));
    }
    // Portable when the user may write to the program directory and it is
    // not an installed copy, i.e. the install rules' module directory is not
    // beside it (root may write anywhere; an installed tree still is not the
    // place for a user's files).
    static FileLocations For(const std::string& programDirectory, const std::string& installedModuleDirectory);
    static FileLocations For(const std::string& programDirectory) {
        return For(programDirectory, InstalledModuleDirectory(programDirectory));
    }

    // For the running executable's directory.
    static FileLocations ForRunningProgram() { return For(ExecutableDirectory()); }

    // The per-user directories, made private to the user where they are
    // created.
    Result<void> CreateDirectories() const;

    // Where the install rules put the language modules for a program
    // installed into this directory (whatever the prefix).
    static std::string InstalledModuleDirectory(const std::string& programDirectory);
    // The running executable's directory, ending with '/'; empty when the
    // system does not say.
    static std::string ExecutableDirectory();
};

} // namespace vantix
