#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>

#include "settings/PasswordLock.h"
#include "settings/Profile.h"
#include "settings/Settings.h"
#include "platform/desktop/FileLocations.h"
#include "platform/system/Console.h"
#include "tools/Commands.h"

namespace vantixctl {

namespace {

// Asks on the terminal with echo off; the echo comes back whatever happens.
std::optional<std::string> AskHidden(const char* prompt) {
    std::cerr << prompt << std::flush;
    auto line = vantix::ReadHiddenLine();
    std::cerr << "\n";
    return line;
}

} // namespace

int RunPassword(const Args& args) {
    std::string iniPath;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--ini" && i + 1 < args.size()) {
            iniPath = args[++i];
        } else {
            std::cerr << "vantixctl password: unexpected argument " << args[i] << "\n";
            return ExitUsage;
        }
    }
    if (iniPath.empty()) {
        // The settings file the program itself uses.
        const auto files = vantix::FileLocations::ForRunningProgram();
        if (const auto created = files.CreateDirectories(); !created) {
            std::cerr << "vantixctl password: " << created.error() << "\n";
            return ExitRefused;
        }
        iniPath = files.iniFile;
    }
    std::error_code ec;
    if (const auto parent = std::filesystem::path(iniPath).parent_path();
        !parent.empty() && !std::filesystem::is_directory(parent, ec)) {
        std::cerr << "vantixctl password: no directory " << parent.string() << "\n";
        return ExitRefused;
    }

    std::optional<std::string> password;
    if (vantix::InputIsTerminal()) {
        password = AskHidden("New password: ");
        const auto confirm = AskHidden("Confirm new password: ");
        if (password && confirm && *password != *confirm) {
            std::cerr << "vantixctl password: the two entries differ\n";
            return ExitRefused;
        }
    } else {
        password = vantix::ReadInputLine();
    }
    if (!password || password->empty()) {
        std::cerr << "vantixctl password: an empty password is not allowed\n";
        return ExitRefused;
    }

    vantix::Profile::SetAppPath(iniPath);
    if (!vantix::SetPassword(*password)) {
        if (vantix::PasswordHash(*password) == 0)
            std::cerr << "vantixctl password: this password hashes to 0, which the program cannot use; choose another\n";
        else
            std::cerr << "vantixctl password: cannot write " << iniPath << "\n";
        return ExitRefused;
    }
    vantix::Settings::Destroy();
    std::cout << "password stored in " << iniPath << "\n";
    return ExitOk;
}

} // namespace vantixctl
