#include "platform/desktop/UserDirectories.h"

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/desktop/xdg/Xdg.h"

namespace vantix::userdirs {

std::string SettingsHome() { return xdg::ConfigHome(); }

std::string DataHome() { return xdg::DataHome(); }

bool MayWriteTo(const std::string& directory) { return ::access(directory.c_str(), W_OK) == 0; }

Result<void> MakePrivateDirectory(const std::string& directory) {
    std::error_code ec;
    if (::mkdir(directory.c_str(), 0700) != 0 && !std::filesystem::is_directory(directory, ec))
        return Fail("cannot create " + directory + ": " + std::error_code(errno, std::generic_category()).message());
    return {};
}

std::string ExecutableDirectory() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.parent_path().string();
}

} // namespace vantix::userdirs
