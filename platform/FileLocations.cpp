#include "platform/FileLocations.h"

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Xdg.h"

// The install rules' module directory relative to their program directory.
#ifndef VANTIX_MODULE_DIR_FROM_BIN
#define VANTIX_MODULE_DIR_FROM_BIN "../lib/vantix"
#endif

namespace vantix {

namespace fs = std::filesystem;

namespace {

constexpr char kIniName[] = "Vantix.ini";
constexpr char kFolder[] = "Vantix";

std::string WithSlash(std::string dir) {
    if (dir.empty() || dir.back() != '/')
        dir += '/';
    return dir;
}

// Creates a directory and its parents; the ones created are 0700 (the
// files in them are the user's alone).
bool MakePrivateDirectory(const fs::path& dir, std::string* error) {
    std::error_code ec;
    if (fs::is_directory(dir, ec))
        return true;
    if (dir.has_parent_path() && dir.parent_path() != dir && !MakePrivateDirectory(dir.parent_path(), error))
        return false;
    if (::mkdir(dir.c_str(), 0700) != 0 && !fs::is_directory(dir, ec)) {
        if (error)
            *error = "cannot create " + dir.string() + ": " + std::error_code(errno, std::generic_category()).message();
        return false;
    }
    return true;
}

} // namespace

FileLocations FileLocations::Portable(const std::string& programDirectory) {
    const std::string dir = WithSlash(programDirectory);
    return {true, dir + kIniName, dir, {dir}};
}

FileLocations FileLocations::PerUser(const std::string& programDirectory, const std::string& installedModuleDirectory) {
    FileLocations files{false, xdg::ConfigHome() + "/" + kFolder + "/" + kIniName,
                        xdg::DataHome() + "/" + kFolder + "/",
                        {WithSlash(programDirectory)}};
    std::error_code ec;
    if (!installedModuleDirectory.empty() && !fs::equivalent(programDirectory, installedModuleDirectory, ec))
        files.moduleDirectories.push_back(WithSlash(installedModuleDirectory));
    return files;
}

FileLocations FileLocations::For(const std::string& programDirectory, const std::string& installedModuleDirectory) {
    std::error_code ec;
    if (::access(programDirectory.c_str(), W_OK) == 0 && !fs::is_directory(installedModuleDirectory, ec))
        return Portable(programDirectory);
    return PerUser(programDirectory, installedModuleDirectory);
}

bool FileLocations::CreateDirectories(std::string* error) const {
    if (portable)
        return true;
    return MakePrivateDirectory(fs::path(iniFile).parent_path(), error) &&
           MakePrivateDirectory(fs::path(dataDirectory).parent_path(), error);
}

std::string FileLocations::InstalledModuleDirectory(const std::string& programDirectory) {
    return (fs::path(WithSlash(programDirectory)) / VANTIX_MODULE_DIR_FROM_BIN).lexically_normal().string();
}

std::string FileLocations::ExecutableDirectory() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : WithSlash(exe.parent_path().string());
}

} // namespace vantix
