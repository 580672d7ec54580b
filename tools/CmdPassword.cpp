#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <termios.h>
#include <unistd.h>

#include "settings/Configuration.h"
#include "settings/PasswordLock.h"
#include "platform/FileLocations.h"
#include "tools/Commands.h"

namespace vantixctl {

namespace {

// One line from stdin without its line end; nullopt at end of input.
std::optional<std::string> ReadLine() {
    std::string line;
    if (!std::getline(std::cin, line))
        return std::nullopt;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

// Asks on the terminal with echo off; the echo comes back whatever happens.
std::optional<std::string> AskHidden(const char* prompt) {
    std::cerr << prompt << std::flush;
    termios saved{};
    const bool terminal = ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (terminal) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    auto line = ReadLine();
    if (terminal)
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
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
        if (std::string error; !files.CreateDirectories(&error)) {
            std::cerr << "vantixctl password: " << error << "\n";
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
    if (::isatty(STDIN_FILENO)) {
        password = AskHidden("New password: ");
        const auto confirm = AskHidden("Confirm new password: ");
        if (password && confirm && *password != *confirm) {
            std::cerr << "vantixctl password: the two entries differ\n";
            return ExitRefused;
        }
    } else {
        password = ReadLine();
    }
    if (!password || password->empty()) {
        std::cerr << "vantixctl password: an empty password is not allowed\n";
        return ExitRefused;
    }

    // The program's own settings object, so the hash is stored as it stores it.
    vantix::Configuration config(iniPath);
    if (!vantix::SetPassword(config, *password)) {
        if (vantix::PasswordHash(*password) == 0)
            std::cerr << "vantixctl password: this password hashes to 0, which the program cannot use; choose another\n";
        else
            std::cerr << "vantixctl password: cannot write " << iniPath << ": " << config.LastWriteError() << "\n";
        return ExitRefused;
    }
    std::cout << "password stored in " << iniPath << "\n";
    return ExitOk;
}

} // namespace vantixctl
