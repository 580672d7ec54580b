#include "platform/desktop/FileLocations.h"
#include "platform/system/Utf8Path.h"

#include <filesystem>

#include "platform/desktop/UserDirectories.h"

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
    if (dir.empty() || (dir.back() != '/' && dir.back() != '\\'))
        dir += '/';
    return dir;
}

// Creates a directory and its parents; the ones created are the user's
// alone (the files in them are).
Result<void> MakePrivateDirectories(const fs::path& dir) {
    std::error_code ec;
    if (fs::is_directory(dir, ec))
        return {};
    if (dir.has_parent_path() && dir.parent_path() != dir)
        if (auto parent = MakePrivateDirectories(dir.parent_path()); !parent)
            return parent;
    return userdirs::MakePrivateDirectory(Utf8String(dir));
}

} // namespace

FileLocations FileLocations::Portable(const std::string& programDirectory) {
    const std::string dir = WithSlash(programDirectory);
    return {true, dir + kIniName, dir, {dir}};
}

FileLocations FileLocations::PerUser(const std::string& programDirectory, const std::string& installedModuleDirectory) {
    FileLocations files{false, userdirs::SettingsHome() + "/" + kFolder + "/" + kIniName,
                        userdirs::DataHome() + "/" + kFolder + "/",
                        {WithSlash(programDirectory)}};
    std::error_code ec;
    if (!installedModuleDirectory.empty() && !fs::equivalent(programDirectory, installedModuleDirectory, ec))
        files.moduleDirectories.push_back(WithSlash(installedModuleDirectory));
    return files;
}

FileLocations FileLocations::For(const std::string& programDirectory, const std::string& installedModuleDirectory) {
    std::error_code ec;
    if (userdirs::MayWriteTo(programDirectory) && !fs::is_directory(installedModuleDirectory, ec))
        return Portable(programDirectory);
    return PerUser(programDirectory, installedModuleDirectory);
}

Result<void> FileLocations::CreateDirectories() const {
    if (portable)
        return {};
    if (auto settings = MakePrivateDirectories(Utf8Path(iniFile).parent_path()); !settings)
        return settings;
    return MakePrivateDirectories(Utf8Path(dataDirectory).parent_path());
}

std::string FileLocations::InstalledModuleDirectory(const std::string& programDirectory) {
    return (fs::path(WithSlash(programDirectory)) / VANTIX_MODULE_DIR_FROM_BIN).lexically_normal().string();
}

std::string FileLocations::ExecutableDirectory() {
    const std::string directory = userdirs::ExecutableDirectory();
    return directory.empty() ? directory : WithSlash(directory);
}

} // namespace vantix
