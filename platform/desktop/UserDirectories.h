#pragma once
#include <string>

#include "core/Result.h"

// What the file locations need from the system, once per backend.
namespace vantix::userdirs {

// Where per-user settings and data folders go: $XDG_CONFIG_HOME and
// $XDG_DATA_HOME, or %APPDATA% for both on Windows.
std::string SettingsHome();
std::string DataHome();
// Whether this user may create files in the directory.
bool MayWriteTo(const std::string& directory);
// Creates one directory that only its user may enter.
Result<void> MakePrivateDirectory(const std::string& directory);
// The running executable's directory; empty when the system does not say.
std::string ExecutableDirectory();

} // namespace vantix::userdirs
